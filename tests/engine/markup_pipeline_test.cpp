// The markup passes in the pipeline: a document of two chunks, with an element that opens
// in the first chunk and closes in the second, and each pass's savings in its slot.
#include <gtest/gtest.h>

#include <string>

#include "run/pipeline.h"

namespace tsqz {
namespace {

std::string Filler(size_t words) {
    std::string out;
    for (size_t i = 0; i < words; ++i)
        out += "word ";
    return out;
}

TEST(MarkupPipeline, TwoChunkDocument) {
    const std::string first_in =
        "<HTML><HEAD></HEAD><BODY BGCOLOR=\"white\">\n"
        "<P ALIGN=\"center\"><CODE CLASS=x>kept <STRONG>bold</STRONG> "
        "<FONT COLOR=\"red\" SIZE=\"+1\">a</FONT>";
    const std::string first_out =
        "<HTML><HEAD></HEAD><BODY BGCOLOR=#FFFFFF>\n"
        "<P ALIGN=center><CODE CLASS=x>kept <B>bold</B> "
        "<FONT COLOR=#FF0000 SIZE=4>a</FONT>";
    const std::string second_in =
        "<P>c</CODE> <CODE>t</CODE></P><UL><LI>i</LI></UL>"
        "<H2>t</H2><FONT SIZE=4>big</FONT>";
    const std::string second_out = "<P>c</CODE> <TT>t</TT><UL><LI>i</UL><H2>t</H2><BIG>big</BIG>";
    const std::string tail = "</BODY></HTML>\n";
    const std::string document = first_in + Filler(8000) + second_in + Filler(6000) + tail;
    ASSERT_GT(document.size(), 65535u);

    Engine engine;
    engine.stats.on = true;
    OptionBlock& o = engine.options;
    o.StripQuotes = o.STRONGtoB = o.CODEToTT = o.StripClosingP = o.StripClosingLI = 1;
    o.StandardColors = o.ShrinkFontTags = o.MSNSOnly = 1;
    RunOutcome outcome;
    ASSERT_EQ(RunPipeline(engine, document, "two-chunks.htm", "", outcome), 0);
    ASSERT_TRUE(outcome.completed);

    std::vector<std::string_view> chunks;
    ASSERT_EQ(CutIntoChunks(document, chunks), 0);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].substr(0, second_in.size()), second_in);

    EXPECT_EQ(outcome.document, first_out + Filler(8000) + second_out + Filler(6000) + tail);
    const auto& saved = engine.stats.file;
    EXPECT_EQ(saved[kSlotStripQuotes], 8);
    EXPECT_EQ(saved[kSlotSTRONGtoB], 10);
    EXPECT_EQ(saved[kSlotCODEToTT], 4);
    EXPECT_EQ(saved[kSlotStripClosingP], 4);
    EXPECT_EQ(saved[kSlotStripClosingLI], 5);
    EXPECT_EQ(saved[kSlotStandardColors], -6);
    EXPECT_EQ(saved[kSlotShrinkFontTags], 10);
}

// The base font size of the document, found before the passes, drives the font pass.
TEST(MarkupPipeline, BasefontFiveMakesSizeFourSmall) {
    const std::string document =
        "<html><head></head><body><basefont size=5>"
        "<font size=4>a</font><font size=+1>b</font></body></html>";
    Engine engine;
    engine.options.ShrinkFontTags = engine.options.MSNSOnly = 1;
    RunOutcome outcome;
    ASSERT_EQ(RunPipeline(engine, document, "basefont.htm", "", outcome), 0);
    EXPECT_EQ(outcome.document,
              "<html><head></head><body><basefont size=5>"
              "<SMALL>a</SMALL><BIG>b</BIG></body></html>");
}

}  // namespace
}  // namespace tsqz
