// Option persistence: reading the option block from INI files and the key store, and writing,
// and deleting, the switch templates.
#include "run/persist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <initializer_list>
#include <map>
#include <string>

#include "run/options.h"
#include "platform/keystore.h"
#include "support/test_support.h"

namespace tsqz {
namespace {

using test::PathExists;
using test::ReadFile;
using test::RegistryDirScope;
using test::TempDir;
using test::WriteFile;

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Tagsqueeze";

using Values = std::map<std::string, int>;

// Every member by name, so that a failing comparison names the member.
Values ValuesOf(const OptionBlock& options) {
    Values values;
    for (const OptionInfo& info : OptionTable()) {
        values[std::string(info.name)] =
            info.byte_member ? options.*info.byte_member : options.WordWrap;
    }
    return values;
}

Values AllOffExcept(std::initializer_list<std::pair<const std::string, int>> changes) {
    Values values;
    for (const OptionInfo& info : OptionTable())
        values[std::string(info.name)] = 0;
    values["WordWrap"] = 254;
    for (const auto& [name, value] : changes)
        values[name] = value;
    return values;
}

std::string Lines(std::initializer_list<const char*> lines, const char* eol) {
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + eol;
    return text;
}

void TurnEverythingOn(OptionBlock& options) {
    for (const OptionInfo& info : OptionTable()) {
        if (info.byte_member) options.*info.byte_member = 1;
    }
    options.WordWrap = 80;
}

// The all-options template as the option sets list it, read back from either store.
const Values kAllOptions = AllOffExcept({
    {"STRONGtoB", 1},
    {"EMToI", 1},
    {"CITEToI", 1},
    {"ADDRESSToI", 1},
    {"DFNToI", 1},
    {"CODEToTT", 1},
    {"SAMPToTT", 1},
    {"KBDToTT", 1},
    {"StripEmpties", 1},
    {"StripComments", 1},
    {"StripGenerator", 1},
    {"StripAllMeta", 1},
    {"StripClosingLI", 1},
    {"StandardColors", 1},
    {"ShrinkFontTags", 1},
    {"StandardizeChars", 1},
    {"StripNonHTML", 1},
    {"StripBlankLines", 1},
    {"OptimizeLines", 1},
    {"StripSpaces", 1},
    {"StripQuotes", 1},
    {"CRLFToLF", 1},
    {"CompressStyleSheets", 1},
    {"CompressScripts", 1},
    {"ScriptSpaces", 1},
    {"ScriptLines", 1},
    {"ScriptComments", 1},
    {"ASPBlocks", 1},
});

// Each member has exactly one row in the templates, and each row is a member; the web
// template's members are in none of the three.
TEST(PersistTest, TemplatesCoverEveryMemberOnce) {
    size_t members = 0;
    for (const OptionInfo& info : OptionTable()) {
        if (info.section == kWebTemplate) {
            EXPECT_FALSE(info.templates.present) << info.name;
            continue;
        }
        ++members;
        int rows = 0;
        for (const TemplateRow& row : SwitchTemplates())
            rows += row.name == info.name;
        EXPECT_EQ(rows, 1) << info.name;
    }
    EXPECT_EQ(SwitchTemplates().size(), members);
}

// The safe template in a file that does not exist yet: the three sections in order, every
// value as decimal text, LF line ends.
TEST(PersistTest, WritesTheSafeTemplateIntoANewFile) {
    TempDir dir;
    Engine engine;
    const std::string path = dir.File("Tagsqueeze.ini");
    ASSERT_EQ(WriteTemplate(engine, path, 2), 1);
    EXPECT_EQ(ReadFile(path), Lines({"[Tag Options]",
                                     "STRONGtoB=0",
                                     "EMToI=0",
                                     "CITEToI=0",
                                     "ADDRESSToI=0",
                                     "DFNToI=0",
                                     "CODEToTT=0",
                                     "SAMPToTT=0",
                                     "KBDToTT=0",
                                     "StripClosingP=0",
                                     "StripEmpties=1",
                                     "StripComments=0",
                                     "StripGenerator=0",
                                     "StripAllMeta=0",
                                     "NoDTD=0",
                                     "StripClosingLI=0",
                                     "StandardColors=1",
                                     "ShrinkFontTags=0",
                                     "MSNSOnly=0",
                                     "",
                                     "[Fine Tuning]",
                                     "UseISOTag=1",
                                     "StandardizeChars=4",
                                     "StripNonHTML=0",
                                     "StripBlankLines=1",
                                     "OptimizeLines=1",
                                     "StripSpaces=1",
                                     "StripQuotes=1",
                                     "CRLFToLF=1",
                                     "CompressStyleSheets=1",
                                     "WordWrap=254",
                                     "CompressScripts=0",
                                     "",
                                     "[Script block options]",
                                     "ScriptSpaces=0",
                                     "ScriptLines=1",
                                     "ScriptComments=1",
                                     "ScriptEOLs=0",
                                     "ASPBlocks=1"},
                                    "\n"));
    int32_t status = -5;
    EXPECT_EQ(ReadOptions(engine, path, status), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(engine.error_code, 0);
}

// The all-options template gives the same option block through an INI file and through the
// key store; all-off gives every switch off with the default width; in the key store the tag
// option numbers write all 34 values, with WordWrap stored as 0.
TEST(PersistTest, TemplatesReadBackAlikeFromBothStores) {
    TempDir dir;
    RegistryDirScope registry;
    Engine engine;
    int32_t status = -5;

    const std::string path = dir.File("all.ini");
    ASSERT_EQ(WriteTemplate(engine, path, 3), 1);
    ASSERT_EQ(ReadOptions(engine, path, status), 1);
    EXPECT_EQ(ValuesOf(engine.options), kAllOptions);

    ASSERT_EQ(WriteTemplate(engine, kKey, 3), 1);
    TurnEverythingOn(engine.options);
    ASSERT_EQ(ReadOptions(engine, kKey, status), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ValuesOf(engine.options), kAllOptions);

    ASSERT_EQ(WriteTemplate(engine, kKey, 17), 1);
    ASSERT_EQ(ReadOptions(engine, kKey, status), 1);
    EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({}));
    const auto key = platform::KeyStore::Default().OpenKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadValue("WordWrap"), 0u);
    EXPECT_EQ(key->ReadValue("ASPBlocks"), 0u);

    const std::string off = dir.File("off.ini");
    ASSERT_EQ(WriteTemplate(engine, off, 1), 1);
    TurnEverythingOn(engine.options);
    ASSERT_EQ(ReadOptions(engine, off, status), 1);
    EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({}));
}

// INI values: a switch is on from 1 up; the entity level is taken as stored from 0 to 255 and
// is 0 outside that; the width's 0 (or anything not above 0) is 254, 1..29 are 30, and widths
// above 65535 are 65535; an empty or missing value is the default.
TEST(PersistTest, TakesIniValuesByTheirMeaning) {
    struct Row {
        const char* key;
        const char* text;
        const char* member;
        int expected;
    };
    const Row rows[] = {
        {"StripQuotes", "1", "StripQuotes", 1},
        {"StripQuotes", "2", "StripQuotes", 1},
        {"StripQuotes", "-1", "StripQuotes", 0},
        {"StripQuotes", "0", "StripQuotes", 0},
        {"StripQuotes", "yes", "StripQuotes", 0},
        {"StripQuotes", "", "StripQuotes", 0},
        {"stripquotes", "1", "StripQuotes", 1},
        {"WordWrap", "0", "WordWrap", 254},
        {"WordWrap", "10", "WordWrap", 30},
        {"WordWrap", "29", "WordWrap", 30},
        {"WordWrap", "30", "WordWrap", 30},
        {"WordWrap", "300", "WordWrap", 300},
        {"WordWrap", "65535", "WordWrap", 65535},
        {"WordWrap", "70000", "WordWrap", 65535},
        {"WordWrap", "-5", "WordWrap", 254},
        {"WordWrap", "wide", "WordWrap", 254},
        {"WordWrap", "", "WordWrap", 254},
        {"StandardizeChars", "4", "StandardizeChars", 4},
        {"StandardizeChars", "200", "StandardizeChars", 200},
        {"StandardizeChars", "255", "StandardizeChars", 255},
        {"StandardizeChars", "256", "StandardizeChars", 0},
        {"StandardizeChars", "-1", "StandardizeChars", 0},
    };
    TempDir dir;
    const std::string path = dir.File("a.ini");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + "=" + row.text);
        WriteFile(path, std::string("[fine tuning]\n") + row.key + "=" + row.text + "\n");
        Engine engine;
        int32_t status = -5;
        ASSERT_EQ(ReadOptions(engine, path, status), 1);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ValuesOf(engine.options)[row.member], row.expected);
    }
}

// Key store values: a switch is on when not 0; the level and the width follow the INI rules;
// a value that is no 32-bit number counts as missing.
TEST(PersistTest, TakesKeyStoreValuesByTheirMeaning) {
    RegistryDirScope registry;
    const auto key = platform::KeyStore::Default().CreateKey(kKey);
    ASSERT_TRUE(key);
    Engine engine;
    int32_t status = -5;

    const platform::KeyValue first[] = {{"StripQuotes", 1},
                                        {"MSNSOnly", 4294967295u},
                                        {"WordWrap", 0},
                                        {"StandardizeChars", 300},
                                        {"NoDTD", 0}};
    ASSERT_TRUE(key->WriteValues(first));
    ASSERT_EQ(ReadOptions(engine, kKey, status), 1);
    EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({{"StripQuotes", 1}, {"MSNSOnly", 1}}));

    const platform::KeyValue second[] = {
        {"StripQuotes", 0}, {"WordWrap", 10}, {"StandardizeChars", 5}};
    ASSERT_TRUE(key->WriteValues(second));
    ASSERT_EQ(ReadOptions(engine, kKey, status), 1);
    EXPECT_EQ(ValuesOf(engine.options),
              AllOffExcept({{"MSNSOnly", 1}, {"WordWrap", 30}, {"StandardizeChars", 5}}));

    ASSERT_TRUE(key->WriteValue("WordWrap", 70000));
    ASSERT_EQ(ReadOptions(engine, kKey, status), 1);
    EXPECT_EQ(engine.options.WordWrap, 65535);
    WriteFile(key->folder() + "/.values", "WordWrap=wide\nStripQuotes=1\n");
    ASSERT_EQ(ReadOptions(engine, kKey, status), 1);
    EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({{"StripQuotes", 1}}));
}

// A read resets first: a missing file leaves the block as the reset leaves it (members
// without setters and CompressStyleSheets kept), while a file that exists sets every member,
// those three included. A reset after a read keeps those three as read.
TEST(PersistTest, ReadsResetFirstAndTheKeptMembersSurviveAReset) {
    TempDir dir;
    Engine engine;
    TurnEverythingOn(engine.options);
    engine.error_code = -3;
    engine.error_count = 2;
    int32_t status = -5;
    const std::string missing = dir.File("missing.ini");
    EXPECT_EQ(ReadOptions(engine, missing, status), 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(engine.settings_source, missing);
    EXPECT_EQ(engine.error_code, 0);
    EXPECT_EQ(engine.error_count, 0);
    EXPECT_EQ(ValuesOf(engine.options),
              AllOffExcept({{"StripGenerator", 1}, {"MSNSOnly", 1}, {"CompressStyleSheets", 1}}));

    // A folder is no settings file.
    EXPECT_EQ(ReadOptions(engine, dir.path(), status), 0);
    EXPECT_EQ(status, 1);

    const std::string empty = dir.File("empty.ini");
    WriteFile(empty, "[General Options]\nUsedOnce=1\n");
    EXPECT_EQ(ReadOptions(engine, empty, status), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({}));

    const std::string kept = dir.File("kept.ini");
    WriteFile(kept,
              "[Tag Options]\nStripGenerator=1\nMSNSonly=1\nSTRONGtoB=1\n"
              "[Fine Tuning]\nCompressStyleSheets=1\nWordWrap=100\n");
    ASSERT_EQ(ReadOptions(engine, kept, status), 1);
    ResetOptions(engine.options);
    EXPECT_EQ(ValuesOf(engine.options),
              AllOffExcept({{"StripGenerator", 1}, {"MSNSOnly", 1}, {"CompressStyleSheets", 1}}));
}

// "HKEY_" anywhere makes the source a key path: a root spelled in another case, a file path
// without a backslash after its root, or a key that does not exist cannot be opened: status
// and error code -19, the block as the reset leaves it, the error count untouched.
TEST(PersistTest, KeyPathsThatOpenNoKeyFailWithNineteen) {
    TempDir dir;
    RegistryDirScope registry;
    Engine engine;
    ASSERT_EQ(WriteTemplate(engine, kKey, 3), 1);
    const std::string file_path = dir.File("HKEY_options.ini");
    EXPECT_EQ(WriteTemplate(engine, file_path, 3), 0);  // taken as a key path, so it fails
    EXPECT_EQ(engine.error_code, -19);
    WriteFile(file_path, "[Tag Options]\nSTRONGtoB=1\n");

    for (const std::string& source :
         {std::string("HKEY_Current_User\\Software\\Tagsqueeze"), file_path,
          std::string("HKEY_CURRENT_USER\\Software\\Missing"), std::string("HKEY_")}) {
        SCOPED_TRACE(source);
        engine.error_count = 0;
        engine.options.StripGenerator = 1;
        int32_t status = 5;
        EXPECT_EQ(ReadOptions(engine, source, status), 0);
        EXPECT_EQ(status, -19);
        EXPECT_EQ(engine.error_code, -19);
        EXPECT_EQ(engine.error_count, 0);
        EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({{"StripGenerator", 1}}));
    }
    EXPECT_FALSE(PathExists(registry.path() + "/HKEY_Current_User"));
}

// Template 18 writes the safe tag options in place into a CR LF file with comments, blank
// lines, other sections and keys in other letter cases; template 0 then removes the three
// option sections and nothing else.
TEST(PersistTest, TemplateWritesKeepTheRestOfTheSettingsFile) {
    TempDir dir;
    Engine engine;
    const std::string path = dir.File("Tagsqueeze.ini");
    WriteFile(path, Lines({"; Tagsqueeze settings", "[General Options]", "UsedOnce=1", "",
                           "[tag options]", "msnsonly=1", "StripClosingP = 1", "; chosen by hand",
                           "", "[Fine Tuning]", "WordWrap=80", "standardizechars=5", "",
                           "[Script block options]", "ASPBlocks=0", "", "[Recent Files]",
                           "MRUFile1=/home/u/a.html"},
                          "\r\n"));
    ASSERT_EQ(WriteTemplate(engine, path, 18), 1);
    EXPECT_EQ(ReadFile(path), Lines({"; Tagsqueeze settings",
                                     "[General Options]",
                                     "UsedOnce=1",
                                     "",
                                     "[tag options]",
                                     "msnsonly=0",
                                     "StripClosingP = 0",
                                     "STRONGtoB=0",
                                     "EMToI=0",
                                     "CITEToI=0",
                                     "ADDRESSToI=0",
                                     "DFNToI=0",
                                     "CODEToTT=0",
                                     "SAMPToTT=0",
                                     "KBDToTT=0",
                                     "StripEmpties=1",
                                     "StripComments=0",
                                     "StripGenerator=0",
                                     "StripAllMeta=0",
                                     "NoDTD=0",
                                     "StripClosingLI=0",
                                     "StandardColors=1",
                                     "ShrinkFontTags=0",
                                     "; chosen by hand",
                                     "",
                                     "[Fine Tuning]",
                                     "WordWrap=80",
                                     "standardizechars=5",
                                     "",
                                     "[Script block options]",
                                     "ASPBlocks=0",
                                     "",
                                     "[Recent Files]",
                                     "MRUFile1=/home/u/a.html"},
                                    "\r\n"));
    int32_t status = -5;
    ASSERT_EQ(ReadOptions(engine, path, status), 1);
    EXPECT_EQ(ValuesOf(engine.options), AllOffExcept({{"StripEmpties", 1},
                                                      {"StandardColors", 1},
                                                      {"WordWrap", 80},
                                                      {"StandardizeChars", 5}}));

    ASSERT_EQ(WriteTemplate(engine, path, 0), 1);
    EXPECT_EQ(ReadFile(path), Lines({"; Tagsqueeze settings", "[General Options]", "UsedOnce=1", "",
                                     "[Recent Files]", "MRUFile1=/home/u/a.html"},
                                    "\r\n"));
    EXPECT_EQ(WriteTemplate(engine, dir.File("never.ini"), 0), 1);
    EXPECT_FALSE(PathExists(dir.File("never.ini")));
}

// Template numbers other than 0..3 and 17..19 do nothing and answer 0.
TEST(PersistTest, OtherTemplateNumbersDoNothing) {
    TempDir dir;
    RegistryDirScope registry;
    Engine engine;
    for (int number : {4, 16, 20, 33, 255}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(WriteTemplate(engine, dir.File("t.ini"), static_cast<uint8_t>(number)), 0);
        EXPECT_EQ(WriteTemplate(engine, kKey, static_cast<uint8_t>(number)), 0);
    }
    EXPECT_FALSE(PathExists(dir.File("t.ini")));
    EXPECT_FALSE(platform::KeyStore::Default().OpenKey(kKey));
    EXPECT_EQ(engine.error_code, 0);
}

// An INI file that cannot be written makes every template write and the deletion answer 0
// (never 1 for work that was not done); the error code is not the key store's.
TEST(PersistTest, UnwritableSettingsFilesAnswerZero) {
    TempDir dir;
    Engine engine;
    for (const std::string& path : {dir.File("no/such/folder/Tagsqueeze.ini"), dir.path()}) {
        SCOPED_TRACE(path);
        for (int number : {1, 2, 3, 17, 18, 19}) {
            EXPECT_EQ(WriteTemplate(engine, path, static_cast<uint8_t>(number)), 0) << number;
        }
    }
    // Deleting from a folder path: there is no file to edit, and nothing may pretend there was.
    EXPECT_EQ(WriteTemplate(engine, dir.path(), 0), 0);
    EXPECT_EQ(engine.error_code, 0);
}

// Key store failures: a store that cannot be created gives -19 for writing and deleting; a
// key with subkeys cannot be deleted (-19); a first value that cannot be written answers 0
// without -19; deleting removes the key, so a later read fails.
TEST(PersistTest, KeyStoreFailuresAndDeletion) {
    TempDir dir;
    RegistryDirScope registry;
    Engine engine;
    ASSERT_EQ(WriteTemplate(engine, kKey, 2), 1);
    ASSERT_TRUE(platform::KeyStore::Default().CreateKey(std::string(kKey) + "\\Sub"));
    EXPECT_EQ(WriteTemplate(engine, kKey, 0), 0);
    EXPECT_EQ(engine.error_code, -19);
    ASSERT_TRUE(platform::KeyStore::Default().DeleteKey(std::string(kKey) + "\\Sub"));

    engine.error_code = 0;
    EXPECT_EQ(WriteTemplate(engine, kKey, 0), 1);
    EXPECT_EQ(engine.error_code, 0);
    int32_t status = 0;
    EXPECT_EQ(ReadOptions(engine, kKey, status), 0);
    EXPECT_EQ(status, -19);
    // Deleting a key that is not there creates it first, so it succeeds.
    engine.error_code = 0;
    EXPECT_EQ(WriteTemplate(engine, kKey, 0), 1);
    EXPECT_EQ(engine.error_code, 0);

    const auto key = platform::KeyStore::Default().CreateKey("HKEY_USERS\\Blocked");
    ASSERT_TRUE(key);
    ASSERT_EQ(::mkdir((key->folder() + "/.values").c_str(), 0700), 0);
    EXPECT_EQ(WriteTemplate(engine, "HKEY_USERS\\Blocked", 3), 0);
    EXPECT_EQ(engine.error_code, 0);

    WriteFile(dir.File("file"), "not a folder");
    ::setenv("TAGSQUEEZE_REGISTRY_DIR", dir.File("file/registry").c_str(), 1);
    EXPECT_EQ(WriteTemplate(engine, kKey, 2), 0);
    EXPECT_EQ(engine.error_code, -19);
    engine.error_code = 0;
    EXPECT_EQ(WriteTemplate(engine, kKey, 0), 0);
    EXPECT_EQ(engine.error_code, -19);
}

}  // namespace
}  // namespace tsqz
