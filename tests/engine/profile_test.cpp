// Private-profile files: integer and text reads, in-place writes, removals, line-end styles.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tsqz::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// A value reads as an integer the way the platform reader does: optional sign and leading
// digits, text that is no number is 0, an empty value is the default; beyond 32 bits the
// nearest limit.
TEST(ProfileTest, ReadsIntegersLikeThePlatformReader) {
    struct Row {
        const char* value;
        int32_t expected;
    };
    const Row rows[] = {
        {"2", 2},
        {"0", 0},
        {"-1", -1},
        {"+5", 5},
        {"  42  ", 42},
        {"12abc", 12},
        {"abc", 0},
        {"-", 0},
        {"1.9", 1},
        {"\"9\"", 9},
        {"", 7},
        {"2147483647", 2147483647},
        {"99999999999", 2147483647},
        {"-99999999999", INT32_MIN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        ProfileFile file("[S]\nk=" + std::string(row.value) + "\n");
        EXPECT_EQ(file.ReadInt("S", "k", 7), row.expected);
    }
}

// Missing file, section or key give the default; names match ignoring case and surrounding
// blanks; the first section of a name and the first entry of a key win; comments, lines before
// any section and malformed headers hold no keys.
TEST(ProfileTest, FindsKeysByTheirSectionIgnoringCase) {
    TempDir dir;
    EXPECT_EQ(ReadProfileInt(dir.File("missing.ini"), "S", "k", 254), 254);
    EXPECT_EQ(ReadProfileString(dir.File("missing.ini"), "S", "k", "dflt", 255), "dflt");

    const std::string path = dir.File("a.ini");
    WriteFile(path,
              "orphan=5\n"
              "[ tag OPTIONS ]\n"
              "  msnsonly = 3\n"
              "MSNSOnly=4\n"
              ";StripQuotes=1\n"
              "[Broken\n"
              "inbroken=6\n"
              "[Other]\n"
              "Only=1\n"
              "[Tag Options]\n"
              "Later=8\n");
    EXPECT_EQ(ReadProfileInt(path, "Tag Options", "MSNSOnly", -1), 3);
    EXPECT_EQ(ReadProfileInt(path, "tag options", "inbroken", -1), 6);
    EXPECT_EQ(ReadProfileInt(path, "Tag Options", "StripQuotes", -1), -1);
    EXPECT_EQ(ReadProfileInt(path, "Tag Options", ";StripQuotes", -1), -1);
    EXPECT_EQ(ReadProfileInt(path, "Tag Options", "Later", -1), -1);
    EXPECT_EQ(ReadProfileInt(path, "Tag Options", "Only", -1), -1);
    EXPECT_EQ(ReadProfileInt(path, "Other", "only", -1), 1);
    EXPECT_EQ(ReadProfileInt(path, "", "orphan", -1), -1);
    EXPECT_EQ(ReadProfileInt(path, "Missing", "Only", -1), -1);
}

// Text: blanks around it and one pair of matching quotes are dropped, the result is cut to
// the bound, and so is the default.
TEST(ProfileTest, ReadsBoundedText) {
    ProfileFile file(
        "\xEF\xBB\xBF[General Options]\r\n"
        "DefaultBrowser =  /usr/bin/web browser  \r\n"
        "Quoted=\"a b\"\r\n"
        "Single='x'\r\n"
        "Mixed=\"x'\r\n"
        "Empty=\r\n");
    EXPECT_EQ(file.ReadString("general options", "DefaultBrowser", "", 255),
              "/usr/bin/web browser");
    EXPECT_EQ(file.ReadString("General Options", "DefaultBrowser", "", 8), "/usr/bin");
    EXPECT_EQ(file.ReadString("General Options", "Quoted", "", 255), "a b");
    EXPECT_EQ(file.ReadString("General Options", "Single", "", 255), "x");
    EXPECT_EQ(file.ReadString("General Options", "Mixed", "", 255), "\"x'");
    EXPECT_EQ(file.ReadString("General Options", "Empty", "dflt", 255), "");
    EXPECT_EQ(file.ReadString("General Options", "None", "default", 3), "def");
    EXPECT_EQ(file.ReadString("General Options", "Quoted", "", 0), "");
}

// A write replaces the value where it stands (key spelling and spacing kept), adds a new key
// after the section's last entry (before the blank line and comment that lead into the next
// section), and adds a new section at the end; every other byte stays, CR LF included.
TEST(ProfileTest, WritesInPlaceKeepingEveryOtherLine) {
    TempDir dir;
    const std::string path = dir.File("Tagsqueeze.ini");
    WriteFile(path,
              "; settings\r\n"
              "[General Options]\r\n"
              "UsedOnce=1\r\n"
              "\r\n"
              "[Tag Options]\r\n"
              "MSNSonly = 1\r\n"
              "strongtob=0\r\n"
              "\r\n"
              "; the next section is tuning\r\n"
              "[Fine Tuning]\r\n"
              "WordWrap=80");
    EXPECT_TRUE(WriteProfileString(path, "TAG OPTIONS", "MSNSOnly", "0"));
    EXPECT_TRUE(WriteProfileString(path, "Tag Options", "STRONGtoB", "1"));
    EXPECT_TRUE(WriteProfileString(path, "Tag Options", "NoDTD", "0"));
    EXPECT_TRUE(WriteProfileString(path, "Fine Tuning", "CRLFToLF", "1"));
    EXPECT_TRUE(WriteProfileString(path, "Script block options", "ASPBlocks", "1"));
    EXPECT_EQ(ReadFile(path),
              "; settings\r\n"
              "[General Options]\r\n"
              "UsedOnce=1\r\n"
              "\r\n"
              "[Tag Options]\r\n"
              "MSNSonly = 0\r\n"
              "strongtob=1\r\n"
              "NoDTD=0\r\n"
              "\r\n"
              "; the next section is tuning\r\n"
              "[Fine Tuning]\r\n"
              "WordWrap=80\r\n"
              "CRLFToLF=1\r\n"
              "\r\n"
              "[Script block options]\r\n"
              "ASPBlocks=1\r\n");
}

// A new file is written with LF line ends; an LF file stays LF; an empty section gets its
// first key right after its header.
TEST(ProfileTest, NewFilesAndLfFilesUseLf) {
    TempDir dir;
    const std::string fresh = dir.File("new.ini");
    EXPECT_TRUE(WriteProfileString(fresh, "Tag Options", "STRONGtoB", "0"));
    EXPECT_TRUE(WriteProfileString(fresh, "Fine Tuning", "WordWrap", "254"));
    EXPECT_EQ(ReadFile(fresh), "[Tag Options]\nSTRONGtoB=0\n\n[Fine Tuning]\nWordWrap=254\n");

    const std::string lf = dir.File("lf.ini");
    WriteFile(lf, "[A]\n[B]\nx=1\n");
    EXPECT_TRUE(WriteProfileString(lf, "a", "k", "v"));
    EXPECT_EQ(ReadFile(lf), "[A]\nk=v\n[B]\nx=1\n");
}

// Names and values that would not stay one line of their own are refused and leave the file
// as it was; so does a file that cannot be written or read.
TEST(ProfileTest, RefusesWritesThatCannotBeStored) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    const std::string before = "[S]\nk=1\n";
    WriteFile(path, before);
    EXPECT_FALSE(WriteProfileString(path, "S", "k", "1\n[Evil]"));
    EXPECT_FALSE(WriteProfileString(path, "S", "k", std::string_view("a\0b", 3)));
    EXPECT_FALSE(WriteProfileString(path, "S]x", "k", "1"));
    EXPECT_FALSE(WriteProfileString(path, "S", "a=b", "1"));
    EXPECT_FALSE(WriteProfileString(path, "S", ";k", "1"));
    EXPECT_FALSE(WriteProfileString(path, "S", "[k", "1"));
    EXPECT_FALSE(WriteProfileString(path, " ", "k", "1"));
    EXPECT_FALSE(WriteProfileString(path, "S", "", "1"));
    EXPECT_EQ(ReadFile(path), before);

    EXPECT_FALSE(WriteProfileString(dir.File("no/such/dir.ini"), "S", "k", "1"));
    EXPECT_FALSE(WriteProfileString(dir.path(), "S", "k", "1"));
    EXPECT_FALSE(DeleteProfileSection(dir.path(), "S"));

    // A file whose contents could not be read is never replaced by what was edited in memory.
    ProfileFile unreadable;
    EXPECT_EQ(unreadable.Load(dir.path()), ReadResult::kUnreadable);
    EXPECT_TRUE(unreadable.Write("S", "k", "1"));
    EXPECT_FALSE(unreadable.Save(dir.File("elsewhere.ini")));
    EXPECT_FALSE(test::PathExists(dir.File("elsewhere.ini")));

    // The rewrite leaves no temporary file beside the settings file.
    EXPECT_TRUE(WriteProfileString(path, "S", "k", "2"));
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

// Removing a key removes every entry of it in the section; removing a section removes every
// section of the name with its lines up to the next section (a byte-order mark before the
// first one stays with the file). Removing what is not there
// leaves the file untouched and does not create a missing one.
TEST(ProfileTest, RemovesKeysAndSections) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteFile(path,
              "[Tag Options]\r\n"
              "A=1\r\n"
              "a=2\r\n"
              "B=3\r\n"
              "[Keep]\r\n"
              "A=4\r\n"
              "[tag options]\r\n"
              "C=5\r\n");
    EXPECT_TRUE(DeleteProfileKey(path, "TAG OPTIONS", "a"));
    EXPECT_EQ(ReadFile(path), "[Tag Options]\r\nB=3\r\n[Keep]\r\nA=4\r\n[tag options]\r\nC=5\r\n");
    EXPECT_TRUE(DeleteProfileSection(path, "Tag Options"));
    EXPECT_EQ(ReadFile(path), "[Keep]\r\nA=4\r\n");

    WriteFile(path, "\xEF\xBB\xBF[Tag Options]\r\nA=1\r\n[Keep]\r\nA=4\r\n");
    EXPECT_TRUE(DeleteProfileSection(path, "Tag Options"));
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[Keep]\r\nA=4\r\n");

    EXPECT_TRUE(DeleteProfileSection(path, "Absent"));
    EXPECT_TRUE(DeleteProfileKey(path, "Keep", "Absent"));
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[Keep]\r\nA=4\r\n");
    EXPECT_TRUE(DeleteProfileSection(dir.File("missing.ini"), "Keep"));
    EXPECT_FALSE(test::PathExists(dir.File("missing.ini")));
}

// On random files built from headers, entries, comments, blank and stray lines in both
// line-end styles: after a write the key reads back as written; every line that was not the
// replaced entry is still there, byte for byte and in order; the line-end style is kept.
TEST(ProfileTest, RandomWritesKeepOtherLinesAndReadBack) {
    const std::vector<std::string> pieces = {
        "[A]", "[a ]", "[B]", "k=1", " K = 2", "j=3", "; k=4", "", "  ", "stray", "[C", "=5",
    };
    const std::vector<std::string> sections = {"A", "b", "C", "D"};
    const std::vector<std::string> keys = {"k", "J", "new"};
    std::mt19937 rng(20240611);
    for (int round = 0; round < 2000; ++round) {
        const std::string eol = rng() % 2 ? "\r\n" : "\n";
        std::string bytes;
        const size_t count = rng() % 10;
        for (size_t i = 0; i < count; ++i) {
            bytes += pieces[rng() % pieces.size()];
            if (i + 1 < count || rng() % 2) bytes += eol;
        }
        const std::vector<std::string> lines = SplitLines(bytes);
        const std::string section = sections[rng() % sections.size()];
        const std::string key = keys[rng() % keys.size()];
        const std::string value = std::to_string(rng() % 1000);
        SCOPED_TRACE(bytes + " <- [" + section + "] " + key + "=" + value);

        ProfileFile file(bytes);
        const std::string before_value = file.ReadString(section, key, "(none)", 99);
        ASSERT_TRUE(file.Write(section, key, value));
        EXPECT_EQ(file.ReadString(section, key, "", 99), value);
        EXPECT_EQ(file.changed(), before_value != value);

        // Replacing a value changes that one line; adding a key or a section only inserts
        // lines, so the old lines remain a subsequence of the new ones.
        const std::string after = file.Bytes();
        EXPECT_EQ(ProfileFile(after).Bytes(), after);
        const std::vector<std::string> after_lines = SplitLines(after);
        if (before_value != "(none)") {
            ASSERT_EQ(after_lines.size(), lines.size());
            int differing = 0;
            for (size_t i = 0; i < lines.size(); ++i)
                differing += lines[i] != after_lines[i];
            EXPECT_LE(differing, 1);
        } else {
            size_t next = 0;
            for (const std::string& line : after_lines) {
                if (next < lines.size() && line == lines[next]) ++next;
            }
            EXPECT_EQ(next, lines.size());
        }
        if (bytes.find(eol) != std::string::npos) {
            for (size_t i = 0; i < after.size(); ++i) {
                if (after[i] != '\n') continue;
                EXPECT_EQ(i > 0 && after[i - 1] == '\r', eol == "\r\n");
            }
        }
    }
}

}  // namespace
}  // namespace tsqz::platform
