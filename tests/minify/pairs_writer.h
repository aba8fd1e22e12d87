// One line of the pairs file that minify_oracle.cjs reads: a text and its minified form.
#pragma once

#include <cstdio>
#include <ostream>
#include <string_view>

namespace tsqz::test {

// Writes |s| as a JSON string whose code points are the bytes (Latin-1), so any bytes pass.
inline void WriteJsonBytes(std::ostream& out, std::string_view s) {
    out << '"';
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out << '\\' << c;
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out << buf;
        } else {
            out << c;
        }
    }
    out << '"';
}

// |kind|: script, module, json, script-other, style, style-attribute.
inline void WritePair(std::ostream& out, std::string_view page, std::string_view kind,
                      std::string_view type, std::string_view before, std::string_view after) {
    out << "{\"page\":";
    WriteJsonBytes(out, page);
    out << ",\"kind\":\"" << kind << "\",\"type\":";
    WriteJsonBytes(out, type);
    out << ",\"before\":";
    WriteJsonBytes(out, before);
    out << ",\"after\":";
    WriteJsonBytes(out, after);
    out << "}\n";
}

}  // namespace tsqz::test
