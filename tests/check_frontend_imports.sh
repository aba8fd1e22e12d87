#!/bin/sh
# The desktop program calls only the engine exports it is allowed to: the ten for compression
# work and the two host hooks. Usage: check_frontend_imports.sh <program> <engine export list>
set -eu
program=$1
exports=$2
allowed="CompressHTMLFile CompressionBaseStats CompressionSavings GetOptErrors
ReadCompressionParams ResetCompressionStatistics SetCompressionMode SetMessageBoxHandler
SetMessagePump SetReportParameters WriteCompressionReport WriteSwitchTemplate"
used=$(nm -D --undefined-only "$program" | awk '{print $NF}' | sed 's/@.*//' | sort -u |
  grep -Fx -f "$exports" || true)
bad=""
for name in $used; do
  case " $(echo $allowed) " in
    *" $name "*) ;;
    *) bad="$bad $name" ;;
  esac
done
if [ -n "$bad" ]; then
  echo "TsqzLite calls engine exports it must not use:$bad"
  exit 1
fi
echo "engine imports allowed:" $used
