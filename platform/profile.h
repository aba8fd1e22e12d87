// Private-profile (INI) files: sections of "key=value" lines, read and written in place.
//
// Section and key names match without regard to ASCII case. A write keeps every other line
// of the file as it was (comments, blank lines, other sections, their order) and the file's
// line-end style (CR LF or LF; new files use LF). Every rewrite goes through a temporary file
// that is renamed over the old one, so a crash never leaves a truncated file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tsqz::platform {

// The key's value read as an integer: optional blanks, optional sign and leading decimal
// digits; a value that does not start with a number reads 0. A missing file, section or key
// gives the default.
int32_t ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                       int32_t default_value);

// The key's text (blanks around it removed, one pair of surrounding quotes removed), cut to
// at most max_length bytes; the default when the file, section or key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t max_length);

// Writes "key=value": replaces the key where it stands, or adds it at the end of its section,
// or adds the section at the end of the file (creating the file). False when the file cannot
// be written.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Removes one key, or a whole section with its keys. Removing what is not there succeeds.
bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);
bool DeleteProfileSection(const std::string& path, std::string_view section);

}  // namespace tsqz::platform
