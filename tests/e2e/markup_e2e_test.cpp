// The markup passes through the public interface: switched on by their setters, run by
// the library on a document in the caller's memory.
#include <gtest/gtest.h>
#include <tagsqueeze.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

TEST(MarkupE2E, SettersSwitchTheMarkupPassesOn) {
    tsqz::test::ProgramDirScope program_dir;
    InitCompressionParams();
    SetCompressionMode(0, 0, 0);
    ResetCompressionStatistics(0);
    RemoveExcessQuotes(1);
    CompressSTRONG2B(1);
    CompressEM2I(1);
    CompressEndP(1);
    CompressColors(1);
    CompressFontTags(1);

    const std::string page =
        "<HTML><BODY TEXT=\"#000000\" BGCOLOR=\"white\">"
        "<P ALIGN=\"left\"><STRONG>a</STRONG> <ITEM>problem></ITEM> <EM CLASS=c>b</EM></P>"
        "<FONT SIZE=\"+2\" COLOR=navy>c</FONT> color=red</BODY></HTML>";
    const std::string expected =
        "<HTML><BODY TEXT=#000000 BGCOLOR=#FFFFFF>"
        "<P ALIGN=left><B>a</B> <ITEM>problem></ITEM> <EM CLASS=c>b</EM>"
        "<FONT SIZE=5 COLOR=#000080>c</FONT> color=red</BODY></HTML>";
    std::vector<char> memory(page.begin(), page.end());
    memory.resize(page.size() + 64, '\0');
    ASSERT_EQ(CompressHTMLBufferEx("page", memory.data(), static_cast<int32_t>(memory.size())), 0);
    EXPECT_EQ(std::string(memory.data()), expected);

    // Each switch off again: the same page comes back byte for byte.
    InitCompressionParams();
    std::vector<char> untouched(page.begin(), page.end());
    untouched.resize(page.size() + 1, '\0');
    ASSERT_EQ(
        CompressHTMLBufferEx("page", untouched.data(), static_cast<int32_t>(untouched.size())), 0);
    EXPECT_EQ(std::string(untouched.data()), page);
}

}  // namespace
