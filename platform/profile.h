// Private-profile (INI) files: sections of "key=value" lines, read and written in place.
//
// Section and key names match without regard to ASCII case, blanks around them ignored. A
// write keeps every other line of the file as it was (comments, blank lines, other sections,
// their order) and the file's line-end style (CR LF or LF, taken from its first line end; new
// files use LF). Every rewrite goes through a temporary file that is renamed over the old one,
// so a crash never leaves a truncated file. A file that exists but cannot be read is never
// rewritten: its contents are unknown, so replacing it would lose them.
//
// Lines: "[name]" opens a section (text after the "]" is ignored); a line whose first non-blank
// is ";" is a comment; "key=value" is an entry (the key is the text before the first "=").
// Lines before the first section and lines of any other shape belong to nothing and are kept.
// Reads and writes use the first section of a name and the first entry of a key in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace tsqz::platform {

// The key's value read as an integer: optional blanks, optional sign and leading decimal
// digits; a value that does not start with a number reads 0. A missing file, section or key,
// or an empty value, gives the default. Numbers beyond 32 bits read as the nearest 32-bit
// limit.
int32_t ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                       int32_t default_value);

// The key's text (blanks around it removed, one pair of surrounding quotes removed), cut to
// at most max_length bytes; the default (cut the same way) when the file, section or key is
// missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t max_length);

// Writes "key=value": replaces the key's value where it stands, or adds it after the last
// entry of its section, or adds the section at the end of the file (creating the file). False
// when the file cannot be read or written, or when a name or the value cannot be stored as a
// line of its own (a line break or NUL anywhere, a "]" in the section name, a "=" in the key,
// an empty name, a key starting with ";" or "[").
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Removes one key (every entry of it in the section), or every section of the name with all
// its lines up to the next section. Removing what is not there succeeds and leaves the file
// untouched (a missing file is not created). False when the file cannot be read or written.
bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);
bool DeleteProfileSection(const std::string& path, std::string_view section);

// A profile file held in memory, for callers that read or write many keys at once: one read,
// any number of reads and edits with the meanings above, one atomic rewrite.
class ProfileFile {
  public:
    ProfileFile() = default;  // an empty file that will use LF
    explicit ProfileFile(std::string_view bytes);

    // Reads the file at path: kOk, kMissing (the profile is then empty, as a new file) or
    // kUnreadable (the profile is empty and Save refuses to replace the file).
    ReadResult Load(const std::string& path);

    int32_t ReadInt(std::string_view section, std::string_view key, int32_t default_value) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view default_value, size_t max_length) const;

    // True when the file has a header for this section (ASCII case ignored).
    bool HasSection(std::string_view section) const { return FindSection(section) < lines_.size(); }

    // False (nothing changed) when the names or the value cannot be stored.
    bool Write(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);

    // The file's bytes as they stand now.
    std::string Bytes() const;
    // True once an edit changed the bytes.
    bool changed() const { return changed_; }

    // Writes the bytes to path when an edit changed them; true when the file now holds them.
    bool Save(const std::string& path) const;

  private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\n", "\r\n", or empty for a last line without one
    };
    // Index of the first section header of this name, or lines_.size().
    size_t FindSection(std::string_view section) const;
    // One past the section's last line (the next header or the end of the file).
    size_t SectionEnd(size_t header) const;
    // Index of the first entry of key in the section that starts at header, or lines_.size().
    size_t FindKey(size_t header, std::string_view key) const;
    // The raw value of the key (blanks around it removed); false when it is missing.
    bool FindValue(std::string_view section, std::string_view key, std::string_view& value) const;
    void InsertLine(size_t at, std::string text);

    std::vector<Line> lines_;
    std::string eol_ = "\n";
    bool changed_ = false;
    bool unreadable_ = false;
};

}  // namespace tsqz::platform
