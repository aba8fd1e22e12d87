// The option table as a host reads it through the exports: listing, setting and reading
// options by name, and the error texts of the result codes.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "tagsqueeze.h"

namespace {

using tsqz::test::TempDir;
using tsqz::test::WriteFile;

std::vector<TsqzOptionInfo> AllOptions() {
    std::vector<TsqzOptionInfo> options(static_cast<size_t>(TsqzOptionCount()));
    for (size_t i = 0; i < options.size(); ++i) {
        EXPECT_EQ(TsqzDescribeOption(static_cast<int32_t>(i), &options[i]), 1);
    }
    return options;
}

int32_t Get(const char* name) {
    int32_t value = -77;
    EXPECT_EQ(TsqzGetOption(name, &value), 1) << name;
    return value;
}

// The listing: unique names in section order, the defaults a fresh load holds, and every
// value in range stored as given (the width as its setter normalises it) while values out of
// range and unknown names change nothing.
TEST(OptionsE2eTest, ListSetAndReadEveryOption) {
    InitCompressionParams();
    const std::vector<TsqzOptionInfo> options = AllOptions();
    ASSERT_EQ(options.size(), 46u);  // 34 of the original and the web template's 12
    TsqzOptionInfo untouched{};
    EXPECT_EQ(TsqzDescribeOption(-1, &untouched), 0);
    EXPECT_EQ(TsqzDescribeOption(TsqzOptionCount(), &untouched), 0);
    EXPECT_EQ(untouched.name, nullptr);

    const std::vector<std::string> sections = {TSQZ_SECTION_TAG_OPTIONS, TSQZ_SECTION_FINE_TUNING,
                                               TSQZ_SECTION_SCRIPT_OPTIONS, TSQZ_SECTION_WEB_TEMPLATE};
    std::set<std::string> names;
    size_t section = 0;
    for (const TsqzOptionInfo& option : options) {
        EXPECT_TRUE(names.insert(option.name).second) << option.name;
        while (section < sections.size() && sections[section] != option.section) ++section;
        ASSERT_LT(section, sections.size()) << option.name << " out of section order";
        EXPECT_EQ(option.lowest, 0);
        EXPECT_EQ(option.highest, option.kind == TSQZ_OPTION_SWITCH  ? 1
                                  : option.kind == TSQZ_OPTION_LEVEL ? 5
                                                                     : 65535);
        // StripGenerator, MSNSOnly and CompressStyleSheets keep their loaded values through
        // InitCompressionParams, which are the defaults too.
        EXPECT_EQ(Get(option.name), option.default_value) << option.name;
    }

    for (const TsqzOptionInfo& option : options) {
        const bool width = option.kind == TSQZ_OPTION_WIDTH;
        ASSERT_EQ(TsqzSetOption(option.name, option.highest), 1) << option.name;
        EXPECT_EQ(Get(option.name), option.highest);
        EXPECT_EQ(TsqzSetOption(option.name, option.highest + 1), 0);
        EXPECT_EQ(TsqzSetOption(option.name, -1), 0);
        EXPECT_EQ(Get(option.name), option.highest);
        std::string lower = option.name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        ASSERT_EQ(TsqzSetOption(lower.c_str(), option.lowest), 1);
        EXPECT_EQ(Get(option.name), width ? 254 : 0);
        if (width) {
            ASSERT_EQ(TsqzSetOption(option.name, 12), 1);
            EXPECT_EQ(Get(option.name), 30);
        }
    }
    // The width leaves line optimisation alone, unlike RewrapLines.
    TsqzSetOption("OptimizeLines", 0);
    TsqzSetOption("WordWrap", 80);
    EXPECT_EQ(Get("OptimizeLines"), 0);
    EXPECT_EQ(TsqzSetOption("NoSuchOption", 1), 0);
    EXPECT_EQ(TsqzSetOption(nullptr, 1), 0);
    EXPECT_EQ(TsqzGetOption("NoSuchOption", nullptr), 0);
    InitCompressionParams();
}

// Each switch export stores into the option the table names for it.
TEST(OptionsE2eTest, SwitchExportsSetTheirOption) {
    struct Row {
        unsigned char (*setter)(unsigned char);
        const char* name;
    };
    const Row rows[] = {
        {CompressSTRONG2B, "STRONGtoB"},       {CompressEM2I, "EMToI"},
        {CompressCITE2I, "CITEToI"},           {CompressADDRESS2I, "ADDRESSToI"},
        {CompressDFN2I, "DFNToI"},             {CompressCODE2TT, "CODEToTT"},
        {CompressSAMP2TT, "SAMPToTT"},         {CompressKBD2TT, "KBDToTT"},
        {CompressEndP, "StripClosingP"},       {CompressEmpties, "StripEmpties"},
        {CompressHTMLComments, "StripComments"}, {CompressMetaTags, "StripAllMeta"},
        {InsertISOTag, "UseISOTag"},           {CompressDTD, "NoDTD"},
        {CompressListItems, "StripClosingLI"}, {CompressColors, "StandardColors"},
        {CompressFontTags, "ShrinkFontTags"},  {RemoveNonHTML, "StripNonHTML"},
        {RemoveBlankLines, "StripBlankLines"}, {RemoveExcessSpaces, "StripSpaces"},
        {RemoveExcessQuotes, "StripQuotes"},   {CompressEOLs, "CRLFToLF"},
        {CompressScriptBlocks, "CompressScripts"}, {CompressStyleSheets, "CompressStyleSheets"},
        {CompressScriptSpaces, "ScriptSpaces"}, {CompressScriptLines, "ScriptLines"},
        {CompressScriptComments, "ScriptComments"}, {CompressScriptEOLs, "ScriptEOLs"},
        {CompressASP, "ASPBlocks"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.setter(1), 1);
        EXPECT_EQ(Get(row.name), 1) << row.name;
        row.setter(0);
        EXPECT_EQ(Get(row.name), 0) << row.name;
    }
    InitCompressionParams();
}

// A settings file of random values in range reads back through the getter as the file holds
// them (the width normalised), so the listing and the reader agree on names and sections.
TEST(OptionsE2eTest, SettingsFileReadsBackByName) {
    TempDir dir;
    const std::string path = dir.path() + "/options.ini";
    std::mt19937 random(20);
    const std::vector<TsqzOptionInfo> options = AllOptions();
    for (int round = 0; round < 20; ++round) {
        std::string text;
        std::vector<int32_t> expected;
        const char* section = "";
        for (const TsqzOptionInfo& option : options) {
            if (std::string(section) != option.section) {
                section = option.section;
                text += "[" + std::string(section) + "]\n";
            }
            std::uniform_int_distribution<int32_t> pick(option.lowest, option.highest);
            const int32_t value = pick(random);
            text += std::string(option.name) + "=" + std::to_string(value) + "\n";
            expected.push_back(option.kind != TSQZ_OPTION_WIDTH ? value
                               : value == 0                     ? 254
                               : value < 30                     ? 30
                                                                : value);
        }
        WriteFile(path, text);
        int32_t status = 77;
        ASSERT_EQ(ReadCompressionParams(path.c_str(), &status), 1);
        ASSERT_EQ(status, 0);
        for (size_t i = 0; i < options.size(); ++i) {
            EXPECT_EQ(Get(options[i].name), expected[i]) << options[i].name;
        }
    }
    InitCompressionParams();
}

// Every failure code has its two-line text; success, status results and unknown codes none.
TEST(OptionsE2eTest, ErrorTextsOfTheCodes) {
    for (int32_t code = -24; code <= -1; ++code) {
        if (code == -4) {
            EXPECT_EQ(TsqzErrorText(code, 0), nullptr);
            continue;
        }
        ASSERT_NE(TsqzErrorText(code, 0), nullptr) << code;
        EXPECT_EQ(TsqzErrorText(code, 0)[0], '(') << code;
        ASSERT_NE(TsqzErrorText(code, 1), nullptr) << code;
        EXPECT_EQ(TsqzErrorText(code, 2), nullptr);
        EXPECT_EQ(TsqzErrorText(code, -1), nullptr);
    }
    EXPECT_STREQ(TsqzErrorText(TSQZ_ERR_FILE_NOT_FOUND, 0), "(file not found...unable to process)");
    EXPECT_STREQ(TsqzErrorText(TSQZ_ERR_FILE_NOT_FOUND, 1), "");
    for (int32_t code : {0, 1, 2, -25, 100}) EXPECT_EQ(TsqzErrorText(code, 0), nullptr) << code;
}

}  // namespace
