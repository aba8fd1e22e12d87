// Private-profile (INI) files: line-preserving reads, edits and atomic rewrites.
#include "profile.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tsqz::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

enum class LineKind { kOther, kHeader, kComment, kEntry };

struct ParsedLine {
    LineKind kind = LineKind::kOther;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // entry value, trimmed
    size_t value_start = 0;  // where the value begins in the line (after "=" and blanks)
};

ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty()) return parsed;
    if (trimmed.front() == ';') {
        parsed.kind = LineKind::kComment;
        return parsed;
    }
    if (trimmed.front() == '[') {
        const size_t close = trimmed.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::kHeader;
            parsed.name = Trim(trimmed.substr(1, close - 1));
        }
        return parsed;
    }
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.name = Trim(text.substr(0, equals));
    if (parsed.name.empty()) return parsed;
    parsed.kind = LineKind::kEntry;
    size_t start = text.find_first_not_of(kBlanks, equals + 1);
    if (start == std::string_view::npos) start = text.size();
    parsed.value_start = start;
    parsed.value = Trim(text.substr(start));
    return parsed;
}

// One pair of matching surrounding quotes is not part of the value.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Optional sign and leading digits; the rest is ignored. Saturates instead of wrapping, so
// an absurdly large number stays large rather than turning into an unrelated small one.
int32_t ParseProfileInt(std::string_view text) {
    text = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), kLimit);
    }
    const int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool StorableSection(std::string_view section) {
    return !section.empty() && !HasLineBreakOrNul(section) &&
           section.find(']') == std::string_view::npos;
}

bool StorableKey(std::string_view key) {
    return !key.empty() && !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
           key.front() != ';' && key.front() != '[';
}

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) {
    size_t pos = 0;
    bool eol_known = false;
    while (pos < bytes.size()) {
        const size_t newline = bytes.find('\n', pos);
        Line line;
        if (newline == std::string_view::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            const bool crlf = newline > pos && bytes[newline - 1] == '\r';
            line.text = bytes.substr(pos, newline - pos - (crlf ? 1 : 0));
            line.end = crlf ? "\r\n" : "\n";
            if (!eol_known) {
                eol_ = line.end;
                eol_known = true;
            }
            pos = newline + 1;
        }
        lines_.push_back(std::move(line));
    }
}

ReadResult ProfileFile::Load(const std::string& path) {
    std::string bytes;
    const ReadResult result = ReadWholeFile(path, bytes);
    *this = result == ReadResult::kOk ? ProfileFile(bytes) : ProfileFile();
    unreadable_ = result == ReadResult::kUnreadable;
    return result;
}

size_t ProfileFile::FindSection(std::string_view section) const {
    section = Trim(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view text = lines_[i].text;
        // A byte-order mark before the first line is not part of it.
        if (i == 0 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
        const ParsedLine parsed = ParseLine(text);
        if (parsed.kind == LineKind::kHeader && EqualsIgnoreCase(parsed.name, section)) return i;
    }
    return lines_.size();
}

size_t ProfileFile::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && ParseLine(lines_[i].text).kind != LineKind::kHeader)
        ++i;
    return i;
}

size_t ProfileFile::FindKey(size_t header, std::string_view key) const {
    key = Trim(key);
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const ParsedLine parsed = ParseLine(lines_[i].text);
        if (parsed.kind == LineKind::kEntry && EqualsIgnoreCase(parsed.name, key)) return i;
    }
    return lines_.size();
}

bool ProfileFile::FindValue(std::string_view section, std::string_view key,
                            std::string_view& value) const {
    const size_t header = FindSection(section);
    if (header == lines_.size()) return false;
    const size_t line = FindKey(header, key);
    if (line == lines_.size()) return false;
    value = ParseLine(lines_[line].text).value;
    return true;
}

int32_t ProfileFile::ReadInt(std::string_view section, std::string_view key,
                             int32_t default_value) const {
    std::string_view value;
    if (!FindValue(section, key, value)) return default_value;
    value = Unquote(value);
    // An entry without a value is treated like a missing one, as the platform reader does.
    if (value.empty()) return default_value;
    return ParseProfileInt(value);
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view default_value, size_t max_length) const {
    std::string_view value;
    if (!FindValue(section, key, value)) {
        value = default_value;
    } else {
        value = Unquote(value);
    }
    return std::string(value.substr(0, max_length));
}

void ProfileFile::InsertLine(size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = eol_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol_});
    changed_ = true;
}

bool ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (!StorableSection(section) || !StorableKey(key) || HasLineBreakOrNul(value)) return false;

    const size_t header = FindSection(section);
    if (header == lines_.size()) {
        // A new section goes at the end, after a blank line that sets it apart.
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) InsertLine(lines_.size(), "");
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), std::string(key) + "=" + std::string(value));
        return true;
    }
    const size_t line = FindKey(header, key);
    if (line != lines_.size()) {
        // Keep the key as written and the spacing around "=": only the value changes.
        std::string& text = lines_[line].text;
        std::string replaced = text.substr(0, ParseLine(text).value_start) + std::string(value);
        if (replaced != text) {
            text = std::move(replaced);
            changed_ = true;
        }
        return true;
    }
    // After the section's last line that is neither blank nor a comment, so blank lines and
    // comments that lead into the next section stay in front of it.
    size_t at = header + 1;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const ParsedLine parsed = ParseLine(lines_[i].text);
        if (parsed.kind != LineKind::kComment && !Trim(lines_[i].text).empty()) at = i + 1;
    }
    InsertLine(at, std::string(key) + "=" + std::string(value));
    return true;
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
    const size_t header = FindSection(section);
    if (header == lines_.size()) return;
    // Every entry of the key goes, so that no older duplicate surfaces in a later read.
    for (size_t line = FindKey(header, key); line != lines_.size(); line = FindKey(header, key)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
        changed_ = true;
    }
}

void ProfileFile::DeleteSection(std::string_view section) {
    // Every section of the name goes: reads use only the first one, so a duplicate left behind
    // would bring its stale values back.
    for (size_t header = FindSection(section); header != lines_.size();
         header = FindSection(section)) {
        const bool mark = header == 0 && lines_[0].text.starts_with(kByteOrderMark);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
        // The byte-order mark belongs to the file, not to the section that held the first line.
        if (mark && !lines_.empty()) lines_[0].text.insert(0, kByteOrderMark);
        changed_ = true;
    }
}

std::string ProfileFile::Bytes() const {
    std::string bytes;
    for (const Line& line : lines_) {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}

bool ProfileFile::Save(const std::string& path) const {
    if (unreadable_) return false;
    if (!changed_) return true;
    return WriteFileAtomically(path, Bytes());
}

int32_t ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                       int32_t default_value) {
    ProfileFile file;
    file.Load(path);
    return file.ReadInt(section, key, default_value);
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t max_length) {
    ProfileFile file;
    file.Load(path);
    return file.ReadString(section, key, default_value, max_length);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    ProfileFile file;
    if (file.Load(path) == ReadResult::kUnreadable) return false;
    return file.Write(section, key, value) && file.Save(path);
}

bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key) {
    ProfileFile file;
    if (file.Load(path) == ReadResult::kUnreadable) return false;
    file.DeleteKey(section, key);
    return file.Save(path);
}

bool DeleteProfileSection(const std::string& path, std::string_view section) {
    ProfileFile file;
    if (file.Load(path) == ReadResult::kUnreadable) return false;
    file.DeleteSection(section);
    return file.Save(path);
}

}  // namespace tsqz::platform
