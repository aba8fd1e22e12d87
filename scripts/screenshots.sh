#!/bin/sh
# Saves a picture of each window of TsqzLite under docs/screenshots/, drawn on a virtual X
# display: the whole set in the default palette, again in a dark palette (dark/), and a few
# windows at a scale factor of 2 (scale2/, where the large-fonts rule gives regular type).
# Usage: scripts/screenshots.sh [build-dir]   (default build/dev)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/dev}
program=$build/bin/TsqzLite
out=$root/docs/screenshots
[ -x "$program" ] || { echo "no $program: build with -DTSQZ_BUILD_FRONTEND=ON first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# window name, picture file
shots="main:main_window.png first-time:first_time.png help:help_viewer.png
progress:progress_window.png tag-options:tag_options.png entity-options:entity_options.png
font-options:font_options.png fine-tuning:fine_tuning.png script-options:script_options.png
interface-options:interface_options.png backup-options:backup_options.png
report-options:report_options.png confirm:confirm.png"
scaled_shots="main:main_window.png progress:progress_window.png tag-options:tag_options.png
entity-options:entity_options.png report-options:report_options.png confirm:confirm.png"

# render <folder> <screen> <environment settings> <shots...>
render() {
  folder=$1 screen=$2 settings=$3
  shift 3
  mkdir -p "$folder"
  xvfb-run -a -s "-screen 0 ${screen}x24" sh -c '
    set -eu
    program=$1 out=$2 work=$3 sample=$4 settings=$5; shift 5
    for shot in "$@"; do
      name=${shot%%:*} file=${shot#*:}
      dir=$work/$name
      rm -rf "$dir"
      mkdir -p "$dir/run"
      chmod 700 "$dir/run"
      # A settings file that has seen its first run, so no welcome window gets in the way,
      # with the sample page as the current document and a few compression options on.
      mkdir -p "$dir/web"
      cp "$sample" "$dir/web/sample.html"
      tags="StripComments=1\nStripAllMeta=1\nNoDTD=1\nSTRONGtoB=1\n"
      fine="StripSpaces=1\nStripBlankLines=1\nCRLFToLF=1\n"
      more=""
      case $name in
        *-options|fine-tuning|confirm)
          # The option windows: the two rows that open every page of the options assistant,
          # more options on every page, and reports on.
          tags="${tags}StripEmpties=1\nShortSpecials=1\nStandardColors=1\nShrinkFontTags=1\n"
          fine="${fine}UseISOTag=1\nStandardizeChars=4\nOptimizeLines=1\nWordWrap=254\n"
          more="[Script block options]\nScriptLines=1\nScriptComments=1\nASPBlocks=1\n"
          more="${more}[Report Options]\nOutputReport=1\n"
          ;;
      esac
      printf "[General Options]\nUsedOnce=1\nLastCompressedFile=%s\n" "$dir/web/sample.html" \
        > "$dir/Tagsqueeze.ini"
      printf "[Tag Options]\n${tags}[Fine Tuning]\n${fine}${more}" >> "$dir/Tagsqueeze.ini"
      env $settings TAGSQUEEZE_PROGRAM_DIR=$dir XDG_RUNTIME_DIR=$dir/run QT_QPA_PLATFORM=xcb \
        TSQZ_SCREENSHOT_WINDOW=$name TSQZ_SCREENSHOT_FILE=$out/$file "$program"
      echo "wrote $out/$file"
    done
  ' sh "$program" "$folder" "$work" "$root/samples/sample.html" "$settings" "$@"
}

# shellcheck disable=SC2086
render "$out" 1024x768 "" $shots
# shellcheck disable=SC2086
render "$out/dark" 1024x768 "TSQZ_SCREENSHOT_PALETTE=dark" $shots
# shellcheck disable=SC2086
render "$out/scale2" 2048x1536 "QT_SCALE_FACTOR=2" $scaled_shots
