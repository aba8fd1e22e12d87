// The run of one document: cut points, basefont size, option rules and the error log.
#include "run/pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/errors.h"
#include "run/options.h"
#include "support/test_support.h"

namespace tsqz {
namespace {

std::string Filler(size_t n) { return std::string(n, 'x'); }

// A document of `length` bytes with tags placed at the given 1-based positions.
std::string DocumentWith(size_t length, const std::vector<std::pair<size_t, std::string>>& at) {
    std::string doc = Filler(length);
    for (const auto& [pos, tag] : at)
        doc.replace(pos - 1, tag.size(), tag);
    return doc;
}

std::vector<std::string> Cut(const std::string& doc, int32_t& code) {
    std::vector<std::string_view> views;
    code = CutIntoChunks(doc, views);
    return {views.begin(), views.end()};
}

TEST(Chunking, CutsBeforeTheLastParagraphTagOfTheWindow) {
    const std::string doc = DocumentWith(70000, {{40000, "<P>"}});
    int32_t code = 1;
    auto chunks = Cut(doc, code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].size(), 39999u);          // positions 1 to 39999
    EXPECT_EQ(chunks[1].size(), 70000u - 39999);  // 40000 to 70000, starting with the tag
    EXPECT_EQ(chunks[1].substr(0, 3), "<P>");
    EXPECT_EQ(chunks[0] + chunks[1], doc);
}

TEST(Chunking, FallsBackToParagraphWithAttributesThenDiv) {
    int32_t code = 1;
    // A lower-case "<p>" counts; a later "<P " does not win over an earlier "<P>".
    auto chunks = Cut(DocumentWith(70000, {{30000, "<p>"}, {50000, "<P "}}), code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(chunks[0].size(), 29999u);
    chunks = Cut(DocumentWith(70000, {{50000, "<P class"}}), code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(chunks[0].size(), 49999u);
    chunks = Cut(DocumentWith(70000, {{20000, "<DIVISION"}}), code);  // any "<DIV" prefix
    ASSERT_EQ(code, 0);
    EXPECT_EQ(chunks[0].size(), 19999u);
}

TEST(Chunking, WindowEdgesAndFailures) {
    int32_t code = 1;
    // Exactly 65535 bytes is one chunk without any cut point.
    auto chunks = Cut(Filler(65535), code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(chunks.size(), 1u);
    // A cut point must lie wholly inside the first 65535 bytes.
    Cut(DocumentWith(70000, {{65534, "<P>"}}), code);
    EXPECT_EQ(code, TSQZ_ERR_NO_CUT_POINT);
    chunks = Cut(DocumentWith(70000, {{65533, "<P>"}}), code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(chunks[0].size(), 65532u);
    // A cut point at the chunk's own first byte does not count.
    Cut(DocumentWith(140000, {{1, "<P>"}, {60000, "<P>"}}), code);
    EXPECT_EQ(code, TSQZ_ERR_NO_CUT_POINT);
    Cut(Filler(70000), code);
    EXPECT_EQ(code, TSQZ_ERR_NO_CUT_POINT);
}

TEST(Chunking, RefusesMoreThan256Chunks) {
    std::string paragraph = "<P>" + Filler(60000);
    std::string doc;
    for (int i = 0; i < 256; ++i)
        doc += paragraph;
    int32_t code = 1;
    auto chunks = Cut(doc, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(chunks.size(), 256u);
    doc += paragraph + paragraph;
    Cut(doc, code);
    EXPECT_EQ(code, TSQZ_ERR_TOO_MANY_CHUNKS);
}

TEST(Basefont, DigitAfterSizeWithOptionalSpacesEqualsAndQuote) {
    struct Row {
        const char* doc;
        int size;
    };
    const Row rows[] = {
        {"<basefont size=5>", 5},        {"<BASEFONT SIZE=\"5\">", 5}, {"<basefont size = 5>", 5},
        {"<basefont size = \"5\">", 5},  {"<basefont size=+1>", 3},  // relative sizes keep 3
        {"<basefont size='5'>", 3},                               // single quotes are not skipped
        {"<basefont>x size=5", 3},                                // "size" after the element's ">"
        {"<html><p>no basefont</p>", 3}, {"<basefont size=", 3},  // no ">" at all
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.doc);
        EXPECT_EQ(FindBasefontSize(row.doc), row.size);
    }
}

TEST(Options, SettersWithRulesOfTheirOwn) {
    OptionBlock o;
    uint8_t level = 6;
    EXPECT_EQ(SetEntityLevel(o, &level), 0);
    EXPECT_EQ(level, 0);  // written back into the caller's byte
    level = 5;
    EXPECT_EQ(SetEntityLevel(o, &level), 5);
    EXPECT_EQ(o.StandardizeChars, 5);

    o.WordWrap = 100;
    EXPECT_EQ(SetRewrapWidth(o, 0), 0);
    EXPECT_TRUE(o.OptimizeLines);
    EXPECT_EQ(o.WordWrap, 254);
    SetRewrapWidth(o, 12);
    EXPECT_EQ(o.WordWrap, 30);
    SetRewrapWidth(o, 80);
    EXPECT_EQ(o.WordWrap, 80);
    EXPECT_EQ(SetRewrapWidth(o, -1), -1);
    EXPECT_FALSE(o.OptimizeLines);
    EXPECT_EQ(o.WordWrap, 80);  // a negative width keeps the width
}

TEST(Options, ResetKeepsTheThreeSwitchesWithoutAFullSetter) {
    OptionBlock o;
    for (const OptionInfo& info : OptionTable()) {
        if (info.byte_member) o.*info.byte_member = 1;
    }
    o.WordWrap = 77;
    ResetOptions(o);
    EXPECT_EQ(o.StripGenerator, 1);
    EXPECT_EQ(o.MSNSOnly, 1);
    EXPECT_EQ(o.CompressStyleSheets, 1);
    EXPECT_EQ(o.STRONGtoB, 0);
    EXPECT_EQ(o.StandardizeChars, 0);
    EXPECT_EQ(o.WordWrap, 254);
    EXPECT_EQ(OptionTable().size(), 46u);  // 34 of the original and the web template's 12
    EXPECT_NE(FindOption("msnsonly"), nullptr);
}

TEST(ErrorLog, FirstEntryCarriesTheHeadingLaterOnesAnEmptyLine) {
    test::ProgramDirScope program_dir;
    const Engine engine;
    AppendErrorLog(engine, "page.htm", TSQZ_ERR_FILE_NOT_FOUND);
    const std::string long_name = "/very/long/folder/name/that/goes/on/and/on/and/on/x/page2.htm";
    ASSERT_GT(long_name.size(), 60u);
    AppendErrorLog(engine, long_name, TSQZ_ERR_UNCLOSED_BLOCK);
    EXPECT_EQ(test::ReadFile(program_dir.File("~errors.tmp")),
              "\r\nError log:\r\n==========\r\n"
              "Error processing page.htm:\r\n"
              "(file not found...unable to process)\r\n"
              "\r\n"
              "\r\n"
              "Error processing page2.htm:\r\n"
              "(invalid HTML syntax...one or more tags which requires a\r\n"
              "closing tag does not have a corresponding closing tag)\r\n");
}

TEST(ErrorLog, EveryCodeHasItsText) {
    for (int32_t code = -1; code >= -24; --code) {
        if (code == -4) {
            EXPECT_EQ(FindErrorText(code), nullptr);
            continue;
        }
        ASSERT_NE(FindErrorText(code), nullptr) << code;
        EXPECT_FALSE(FindErrorText(code)->first.empty());
    }
}

}  // namespace
}  // namespace tsqz
