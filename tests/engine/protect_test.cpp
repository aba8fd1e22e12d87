// Protected blocks: what extraction leaves in the document, its limits and codes, and that
// every block comes back at its own place, also when the passes disturb the placeholders.
#include "run/protect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "run/engine.h"
#include "include/tagsqueeze.h"
#include "passes/passes.h"
#include "text/text.h"
#include "support/literal_search.h"

namespace tsqz {
namespace {

const std::string kThorn = "\xFE";

// "<html>" and fewer than `limit` pieces picked at random.
std::string RandomDocument(std::mt19937& random, const std::vector<std::string>& pieces,
                           int limit) {
    std::string doc = "<html>";
    const int n = static_cast<int>(random() % static_cast<unsigned>(limit));
    for (int i = 0; i < n; ++i)
        doc += pieces[random() % pieces.size()];
    return doc;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Extraction then restore with a stand-in for the passes in between (the same stand-in is
// handed to the restore, which may run it again).
struct RoundTrip {
    int32_t extract_code = 0;
    std::string extracted;
    int32_t restore_code = 0;
    std::string restored;
};

RoundTrip CutAndRestore(Engine& engine, const std::string& doc, PassRunner passes) {
    RoundTrip r;
    std::string text = doc;
    r.extract_code = ExtractProtectedBlocks(engine, text);
    r.extracted = text;
    if (r.extract_code != 0) return r;
    if (!passes(engine, text)) ADD_FAILURE() << "passes failed";
    r.restore_code = RestoreProtectedBlocks(engine, text, passes);
    r.restored = text;
    return r;
}

bool NoPasses(Engine&, std::string&) { return true; }

// Deletes every "<!--" through the next "-->", as the comment pass does.
bool DropComments(Engine&, std::string& doc) {
    for (size_t at = doc.find("<!--"); at != std::string::npos; at = doc.find("<!--", at)) {
        const size_t end = doc.find("-->", at);
        if (end == std::string::npos) break;
        doc.erase(at, end + 3 - at);
    }
    return true;
}

// Deletes comments and turns " >" into ">", as the space pass does.
bool DropCommentsAndSpaces(Engine& engine, std::string& doc) {
    DropComments(engine, doc);
    ReplaceAllRepeat(doc, " >", ">");
    return true;
}

// A pass that, unlike any real one, reads the placeholders' letters: it cannot be repeated
// faithfully with numbered stand-ins.
bool DropPrePlaceholders(Engine& engine, std::string& doc) {
    DropComments(engine, doc);
    ReplaceAll(doc, "<@PRE@>", "");
    return true;
}

// --- What extraction leaves behind -------------------------------------------------------

TEST(ProtectExtraction, MixedKindsLeaveTheirPlaceholdersAndComeBackByteForByte) {
    Engine engine;
    const std::string doc =
        "<html><% x = 1 %><style>a { b }</style><SCRIPT LANGUAGE=js>f();</script>"
        "<xmp>a  b</xmp><pre>1\t2</pre><LISTING>l</LISTING><plaintext>p</plaintext>"
        "<pre>q</pre><pre>r</pre><%%></html>";
    const RoundTrip r = CutAndRestore(engine, doc, NoPasses);
    ASSERT_EQ(r.extract_code, 0);
    EXPECT_EQ(r.extracted, "<html><" + kThorn + kThorn +
                               "><@STY@><@SCR@><@XMP@><@PRE@><@LIS@><@PLA@><@PRE@><@PRE@><" +
                               kThorn + kThorn + "></html>");
    EXPECT_EQ(r.restore_code, 0);
    EXPECT_EQ(r.restored, doc);
}

// A start tag with attributes opens a literal block too: a browser keeps the white space of
// a PRE element whatever its attributes (at first only bare start tags did).
TEST(ProtectExtraction, StartTagsWithAttributesOpenLiteralBlocksToo) {
    Engine engine;
    std::string doc = "<html><PRE WIDTH=80>x  y</PRE><pre class='a>b'>a</pre></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(doc, "<html><@PRE@><@PRE@></html>");
    EXPECT_EQ(engine.store.literals[1], "<pre class='a>b'>a</pre>");
    // White space before the ">" still makes a bare start tag.
    doc = "<html><PRE\n>x  y</PRE><listing >l</listing><xmp\t>x</xmp><prefix>a</pre></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(doc, "<html><@PRE@><@LIS@><@XMP@><prefix>a</pre></html>");
    EXPECT_EQ(engine.store.literals[2], "<PRE\n>x  y</PRE>");
}

// A browser nests PRE and LISTING elements, so a block ends at the end tag that closes its
// own start tag: the text after an inner end tag is still preformatted and must stay as it
// is. XMP content is raw text and ends at its first end tag.
TEST(ProtectExtraction, NestedBlocksEndWhereTheBrowserEndsThem) {
    Engine engine;
    std::string doc = "<html><pre>a<pre>b</pre>c  d</pre>e</html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(doc, "<html><@PRE@>e</html>");
    doc = "<html><listing>a<LISTING x=1>b</listing>c</listing></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(doc, "<html><@LIS@></html>");
    doc = "<html><xmp>a<xmp>b</xmp>c</xmp></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(doc, "<html><@XMP@>c</xmp></html>");
    // An element left open to the end of the document: the browser shows the rest
    // preformatted, so the document is refused as one with a missing end tag.
    doc = "<html><pre>open<pre>x</pre> and  more</html>";
    const std::string before = doc;
    engine.error_count = 0;
    EXPECT_EQ(ExtractProtectedBlocks(engine, doc), TSQZ_ERR_UNCLOSED_BLOCK);
    EXPECT_EQ(engine.error_count, 1);
}

TEST(ProtectExtraction, ScriptAndStyleElementsWithAttributes) {
    Engine engine;
    std::string doc =
        "<html><style type=text/css>p{}</STYLE ><style>q</style>"
        "<script src=a.js></script><script>if (a</b) x();</script></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    // The first style element has the style slot; the later ones are cut out with the script
    // elements, in document order (at first they stayed in the document); each is one block.
    EXPECT_EQ(doc, "<html><@STY@><@SCR@><@SCR@><@SCR@></html>");
    EXPECT_EQ(engine.store.style, "<style type=text/css>p{}</STYLE >");
    ASSERT_EQ(engine.store.scripts.size(), 3u);
    EXPECT_EQ(engine.store.scripts[0], "<style>q</style>");
    EXPECT_EQ(engine.store.scripts[2], "<script>if (a</b) x();</script>");
}

TEST(ProtectExtraction, AspCodeLeavesTheMarkerPair) {
    Engine engine;
    std::string doc = "<html><% a %> text <%b%> 50%> <%%></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    const std::string marker = "<" + kThorn + kThorn + ">";
    EXPECT_EQ(doc, "<html>" + marker + " text " + marker + " 50%> " + marker + "</html>");
    EXPECT_EQ(engine.store.asp, (std::vector<std::string>{" a ", "b", ""}));
    // "<%>" does not close itself: the code runs to the next "%>".
    doc = "<html><%> x %></html>";
    ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(engine.store.asp, (std::vector<std::string>{"> x "}));
}

TEST(ProtectExtraction, AspStoreHasNoFixedBound) {
    Engine engine;
    const std::string doc = "<html>" + Repeat("<%x%>.", 1000) + "</html>";
    const RoundTrip r = CutAndRestore(engine, doc, NoPasses);
    ASSERT_EQ(r.extract_code, 0);
    EXPECT_EQ(r.restored, doc);
}

// The compressors are built elsewhere; this waits for them.
bool CompressorsAvailable() {
    Engine engine;
    engine.options.ScriptSpaces = 1;
    Text block = "<script>\tx</script>";
    CompressScriptBlock(engine, block);
    return block != "<script>\tx</script>";
}

TEST(ProtectExtraction, BlocksAreCompressedAsTheyAreCutOutWhenTheirSwitchSays) {
    if (!CompressorsAvailable()) GTEST_SKIP() << "script and style compressors not built yet";
    const std::string asp = " \tx ";
    const std::string style = "<style>p { color : red ; }</style>";
    const std::string script = "<script>\ty();</script>";
    for (uint8_t on = 0; on < 2; ++on) {
        SCOPED_TRACE(on);
        Engine engine;
        engine.options.ScriptSpaces = engine.options.StripSpaces = 1;
        engine.options.CompressScripts = engine.options.ASPBlocks = on;
        engine.options.CompressStyleSheets = on;
        std::string doc = "<html><%" + asp + "%>" + style + script + "<pre>\t</pre></html>";
        ASSERT_EQ(ExtractProtectedBlocks(engine, doc), 0);
        EXPECT_EQ(engine.store.asp[0] != asp, on == 1);
        EXPECT_EQ(engine.store.style != style, on == 1);
        EXPECT_EQ(engine.store.scripts[0] != script, on == 1);
        EXPECT_EQ(engine.store.literals[0], "<pre>\t</pre>");
    }
}

// --- Limits and failure codes ------------------------------------------------------------

TEST(ProtectExtraction, LiteralLimitIs255BlocksOfAllKinds) {
    Engine engine;
    const std::string blocks = Repeat("<pre>x</pre>", 255);
    RoundTrip r = CutAndRestore(engine, "<html>" + blocks + "</html>", NoPasses);
    EXPECT_EQ(r.extract_code, 0);
    EXPECT_EQ(r.restored, "<html>" + blocks + "</html>");

    engine.error_count = 0;
    std::string doc = "<html>" + blocks + "<pre>y</pre></html>";
    EXPECT_EQ(ExtractProtectedBlocks(engine, doc), TSQZ_ERR_TOO_MANY_BLOCKS);
    EXPECT_EQ(engine.error_count, 1);

    // With 255 blocks stored, the later kinds are skipped and stay in the document as text.
    engine.error_count = 0;
    doc = "<html>" + Repeat("<xmp>x</xmp>", 255) + "<pre>a  b</pre></html>";
    EXPECT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    EXPECT_EQ(doc, "<html>" + Repeat("<@XMP@>", 255) + "<pre>a  b</pre></html>");
    EXPECT_FALSE(engine.store.literal_ran[static_cast<size_t>(LiteralKind::kPre)]);
    EXPECT_EQ(engine.error_count, 0);
}

TEST(ProtectExtraction, ScriptLimitIs255BlocksAndIsNotCounted) {
    Engine engine;
    const std::string blocks = Repeat("<script>s</script>", 255);
    std::string doc = "<html>" + blocks + "</html>";
    EXPECT_EQ(ExtractProtectedBlocks(engine, doc), 0);
    doc = "<html>" + blocks + "<script>t</script></html>";
    EXPECT_EQ(ExtractProtectedBlocks(engine, doc), TSQZ_ERR_TOO_MANY_SCRIPTS);
    EXPECT_EQ(engine.error_count, 0);
}

TEST(ProtectExtraction, UnclosedBlocksGiveTheirCodesAndCountAsEachStepSays) {
    struct Row {
        std::string doc;
        int32_t code;
        int32_t counted;
    };
    const Row rows[] = {
        {"<html><pre>a</PRE</html>", TSQZ_ERR_UNCLOSED_BLOCK, 1},
        {"<html><xmp>a</html>", TSQZ_ERR_UNCLOSED_BLOCK, 1},
        {"<html><script>a</script ></html>", TSQZ_ERR_SCRIPT_UNCLOSED, 1},
        {"<html><style>a</html>", TSQZ_ERR_BAD_STYLE, 1},
        {"<html><style>a</style</html", TSQZ_ERR_BAD_STYLE, 1},
        {"<html><% a </html>", TSQZ_ERR_SCRIPT_UNCLOSED, 0},  // ASP code is not counted
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.doc);
        Engine engine;
        std::string doc = row.doc;
        EXPECT_EQ(ExtractProtectedBlocks(engine, doc), row.code);
        EXPECT_EQ(engine.error_count, row.counted);
    }
}

// --- Placeholder text that is already in the document --------------------------------------

TEST(ProtectExtraction, PlaceholderTextOfAKindWithBlocksIsRefused) {
    struct Row {
        std::string doc;
        int32_t code;
    };
    const Row rows[] = {
        {"<html><@PRE@><pre>a</pre></html>", TSQZ_ERR_TOKEN_IN_INPUT},
        {"<html><pre><@SCR@></pre><script>s</script></html>", TSQZ_ERR_TOKEN_IN_INPUT},
        {"<html><@STY@><style>s</style></html>", TSQZ_ERR_TOKEN_IN_INPUT},
        {"<html><" + kThorn + " x <%a%></html>", TSQZ_ERR_TOKEN_IN_INPUT},
        {"<html>x" + kThorn + "> <%a%></html>", TSQZ_ERR_TOKEN_IN_INPUT},
        // Placeholder text of a kind the document has no blocks of is left alone.
        {"<html><@PRE@><xmp>a</xmp></html>", 0},
        {"<html><" + kThorn + kThorn + "></html>", 0},
        // A thorn that does not touch "<" or ">" is ordinary text, also in ASP pages.
        {"<html>" + kThorn + "ingvellir <%a%> " + kThorn + "</html>", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.doc);
        Engine engine;
        const RoundTrip r = CutAndRestore(engine, row.doc, NoPasses);
        EXPECT_EQ(r.extract_code, row.code);
        EXPECT_EQ(engine.error_count, row.code == 0 ? 0 : 1);
        if (row.code == 0) {
            EXPECT_EQ(r.restored, row.doc);
        }
    }
}

// --- Restore when the passes disturb the placeholders --------------------------------------

TEST(ProtectRestore, ARemovedPlaceholderTakesOnlyItsOwnBlock) {
    struct Row {
        std::string doc;
        std::string expected;
        int32_t code;
    };
    const Row rows[] = {
        {"<html><!-- <pre>A</pre> --><pre>B</pre><pre>C</pre></html>",
         "<html><pre>B</pre><pre>C</pre></html>", 0},
        {"<html><xmp>X</xmp><!--<xmp>Y</xmp>--><pre>P</pre><xmp>Z</xmp></html>",
         "<html><xmp>X</xmp><pre>P</pre><xmp>Z</xmp></html>", 0},
        {"<html><!-- <script>a()</script> --><script>b()</script></html>",
         "<html><script>b()</script></html>", 0},
        {"<html><!-- <%= a %> --><%= b %></html>", "<html><%= b %></html>", 0},
        // ASP code inside a PRE block goes with the block.
        {"<html><!-- <pre><% a %></pre> --><% b %><pre>c</pre></html>",
         "<html><% b %><pre>c</pre></html>", 0},
        // The style block goes with its placeholder; that is still reported; the rest is put back.
        {"<html><!--<style>s</style>--><pre>p</pre><% q %></html>",
         "<html><pre>p</pre><% q %></html>", TSQZ_ERR_STYLE_RESTORE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.doc);
        Engine engine;
        const RoundTrip r = CutAndRestore(engine, row.doc, DropComments);
        ASSERT_EQ(r.extract_code, 0);
        EXPECT_EQ(r.restore_code, row.code);
        EXPECT_EQ(r.restored, row.expected);
    }
}

TEST(ProtectRestore, ALiteralBlockInsideALaterKindComesBack) {
    // The PLAINTEXT placeholder sits inside the PRE block, so a restore in slot order would
    // hand the PLAINTEXT block to the PRE placeholder and lose the PRE block.
    Engine engine;
    const std::string doc =
        "<html><pre>a<plaintext>b</plaintext>c</pre><listing><xmp>d</xmp></listing>"
        "<xmp>e<listing>f</listing></xmp></html>";
    const RoundTrip r = CutAndRestore(engine, doc, NoPasses);
    ASSERT_EQ(r.extract_code, 0);
    EXPECT_EQ(r.restored, doc);
}

TEST(ProtectRestore, APlaceholderThatAPassAssemblesIsNotTakenForOurs) {
    // The space pass makes "<@PRE@ >" read "<@PRE@>" while the comment pass removes a real
    // PRE placeholder: the count alone would not notice.
    Engine engine;
    const std::string doc = "<html><!--<pre>A</pre>--><@PRE@ ><pre>B</pre></html>";
    const RoundTrip r = CutAndRestore(engine, doc, DropCommentsAndSpaces);
    ASSERT_EQ(r.extract_code, 0);
    EXPECT_EQ(r.restored, "<html><@PRE@><pre>B</pre></html>");
}

TEST(ProtectRestore, UnmatchablePlaceholdersGiveTheDocumentBackAsRead) {
    Engine engine;
    engine.stats.on = true;
    engine.stats.file[kSlotStripComments] = 40;
    const std::string doc = "<html><!--<pre>A</pre>--><pre>B</pre><pre>C</pre></html>";
    const RoundTrip r = CutAndRestore(engine, doc, DropPrePlaceholders);
    ASSERT_EQ(r.extract_code, 0);
    EXPECT_EQ(r.restore_code, TSQZ_ERR_TOKEN_IN_INPUT);
    EXPECT_EQ(r.restored, doc);
    EXPECT_EQ(engine.stats.file[kSlotStripComments], 0);  // the passes' savings did not happen
}

// --- The fast extraction and restore against the literal algorithm -------------------------

// The algorithm as written: every block cut out with a delete and an insert in place, every
// search started again from the position the steps name, blocks put back by one shared cursor.
struct Literal {
    std::vector<std::string> asp, scripts, literals;
    std::string style;
    bool asp_ran = false, style_ran = false, script_ran = false;
    bool kind_ran[4] = {};
    int32_t errors = 0;

    static constexpr const char* kStart[4] = {"<plaintext", "<listing", "<xmp", "<pre"};
    static constexpr const char* kEnd[4] = {"</plaintext>", "</listing>", "</xmp>", "</pre>"};
    static constexpr const char* kToken[4] = {"<@PLA@>", "<@LIS@>", "<@XMP@>", "<@PRE@>"};
    static constexpr bool kNests[4] = {false, true, false, true};

    static bool Space(unsigned char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    }
    // The kind's name at p followed by white space or ">" (any tag of the kind).
    static bool NameEndsAt(const std::string& d, int k, int32_t p) {
        const unsigned char next = ByteAt(d, p + static_cast<int32_t>(std::strlen(kStart[k])));
        return next == '>' || Space(next);
    }
    // A start tag of the kind (attributes, quoted values passed over, up to its ">") at or
    // after pos; its length in len. None when the first such tag has no ">".
    static int32_t BareStart(const std::string& d, int k, int32_t pos, int32_t& len) {
        for (int32_t s = FindText(d, kStart[k], -pos); s != 0;
             s = FindText(d, kStart[k], -(s + 1))) {
            if (!NameEndsAt(d, k, s)) continue;
            for (int32_t p = s + static_cast<int32_t>(std::strlen(kStart[k])); p <= Len(d); ++p) {
                const unsigned char c = ByteAt(d, p);
                if ((c == '"' || c == '\'') && ByteAt(d, p - 1) == '=') {
                    p = FindChar(d, c, p + 1);
                    if (p == 0) return 0;
                } else if (c == '>') {
                    len = p - s + 1;
                    return s;
                }
            }
            return 0;
        }
        return 0;
    }
    // The end tag closing a block whose start tag ends before pos, nesting where browsers do.
    static int32_t EndOf(const std::string& d, int k, int32_t pos) {
        if (!kNests[k]) return FindText(d, kEnd[k], -pos);
        int depth = 1;
        for (int32_t p = pos; p <= Len(d); ++p) {
            if (FindText(d, kEnd[k], -p) == p) {
                if (--depth == 0) return p;
            } else if (FindText(d, kStart[k], -p) == p && NameEndsAt(d, k, p)) {
                ++depth;
            }
        }
        return 0;
    }

    int32_t Extract(std::string& d) {
        if (FindText(d, "<%", 1) != 0) {
            asp_ran = true;
            for (;;) {
                const int32_t p = FindText(d, "<%", 1);
                if (p == 0) break;
                d[static_cast<size_t>(p)] = '\xFE';
                const int32_t q = FindText(d, "%>", p + 2);
                if (q == 0) return -12;
                d[static_cast<size_t>(q - 1)] = '\xFE';
                asp.push_back(d.substr(static_cast<size_t>(p + 1), static_cast<size_t>(q - p - 2)));
                DeleteAt(d, p + 2, q - p - 2);
            }
        }
        if (FindText(d, "<style", -1) != 0) {
            style_ran = true;
            const int32_t s = FindText(d, "<style", -1);
            const int32_t e = FindText(d, "</style", -s);
            const int32_t g = e == 0 ? 0 : FindChar(d, '>', e);
            if (g == 0) return ++errors, -10;
            style = d.substr(static_cast<size_t>(s - 1), static_cast<size_t>(g - s + 1));
            DeleteAt(d, s, g - s + 1);
            InsertAt(d, s, "<@STY@>");
        }
        // Script elements, and the style elements after the first, in document order.
        bool styles = style_ran && FindText(d, "<style", -1) != 0;
        if (FindText(d, "<script", -1) != 0 || styles) {
            script_ran = true;
            int32_t pos = 1;
            for (;;) {
                const int32_t script = FindText(d, "<script", -pos);
                const int32_t sheet = styles ? FindText(d, "<style", -pos) : 0;
                const bool is_style = sheet != 0 && (script == 0 || sheet < script);
                const int32_t s = is_style ? sheet : script;
                if (s == 0) break;
                int32_t stop = 0;
                if (is_style) {
                    const int32_t e = FindText(d, "</style", -s);
                    const int32_t g = e == 0 ? 0 : FindChar(d, '>', e);
                    if (g == 0) {
                        styles = false;
                        continue;
                    }
                    stop = g + 1;
                } else {
                    if (scripts.size() == 255) return -5;
                    const int32_t e = FindText(d, "/script>", -(s + 2));
                    if (e == 0) return ++errors, -12;
                    stop = e + 8;
                }
                if (scripts.size() == 255) return -5;
                scripts.push_back(
                    d.substr(static_cast<size_t>(s - 1), static_cast<size_t>(stop - s)));
                DeleteAt(d, s, stop - s);
                InsertAt(d, s, "<@SCR@>");
                pos = s;
            }
        }
        for (int k = 0; k < 4; ++k) {
            if (k > 0 && literals.size() >= 255) break;
            int32_t len = 0;
            if (BareStart(d, k, 1, len) == 0) continue;
            kind_ran[k] = true;
            int32_t pos = 1;
            for (;;) {
                const int32_t s = BareStart(d, k, pos, len);
                if (s == 0) break;
                if (literals.size() == 255) return ++errors, -6;
                const int32_t e = EndOf(d, k, s + len);
                if (e == 0) return ++errors, -2;
                const int32_t stop = e + static_cast<int32_t>(std::string(kEnd[k]).size());
                literals.push_back(
                    d.substr(static_cast<size_t>(s - 1), static_cast<size_t>(stop - s)));
                DeleteAt(d, s, stop - s);
                InsertAt(d, s, kToken[k]);
                pos = s + 7;
            }
        }
        return 0;
    }

    int32_t Restore(std::string& d) {
        size_t cursor = 0;
        for (int k = 0; k < 4; ++k) {
            if (!kind_ran[k]) continue;
            for (int32_t at = FindText(d, kToken[k], 1); at != 0;) {
                const std::string block = cursor < literals.size() ? literals[cursor] : "";
                ++cursor;
                DeleteAt(d, at, 7);
                InsertAt(d, at, block);
                at = FindText(d, kToken[k], at + static_cast<int32_t>(block.size()));
            }
        }
        if (script_ran && !scripts.empty() && !scripts[0].empty()) {
            size_t slot = 0;
            for (int32_t at = FindText(d, "<@SCR@>", 1); at != 0; at = FindText(d, "<@SCR@>", at)) {
                const std::string block = slot < scripts.size() ? scripts[slot] : "";
                ++slot;
                DeleteAt(d, at, 7);
                InsertAt(d, at, block);
            }
        }
        int32_t code = 0;
        if (style_ran) {
            const int32_t at = FindText(d, "<@STY@>", 1);
            if (at == 0) {
                code = -3;
            } else {
                DeleteAt(d, at, 7);
                InsertAt(d, at, style);
            }
        }
        if (asp_ran) {
            size_t slot = 0;
            for (int32_t at = FindText(d, "<\xFE", 1); at != 0; at = FindText(d, "<\xFE", 1)) {
                d[static_cast<size_t>(at)] = '%';
                const int32_t close = FindText(d, "\xFE>", at);
                if (close != 0) d[static_cast<size_t>(close - 1)] = '%';
                if (slot < asp.size()) InsertAt(d, at + 2, asp[slot]);
                ++slot;
            }
        }
        return code;
    }
};

TEST(ProtectEquivalence, MatchesTheLiteralAlgorithmOnRandomDocuments) {
    const std::vector<std::string> pieces = {
        "<pre>",    "</pre>",     "<PRE>",      "</Pre>",      "<xmp>",
        "</xmp>",   "<listing>",  "</listing>", "<plaintext>", "</plaintext>",
        "<script>", "<SCRIPT a>", "</script>",  "/script>",    "<style>",
        "</style>", "</STYLE",    ">",          "<%",          "%>",
        "<%>",      "%",          "<",          "a",           " ",
        "\n",       "<@PRE@>",    "<@SCR@>",    "@PRE",        "\xFE",
        "<!--",     "-->",        "<pre\n>",    "<PRE x>",     "<listing >",
        "<xmp\t>"};
    std::mt19937 random(12345);
    int compared = 0, literal_misplaced = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string doc = RandomDocument(random, pieces, 24);
        SCOPED_TRACE(doc);

        Engine engine;
        std::string fast = doc;
        const int32_t code = ExtractProtectedBlocks(engine, fast);
        if (code == TSQZ_ERR_TOKEN_IN_INPUT) continue;  // refused before anything is cut
        Literal literal;
        std::string slow = doc;
        ASSERT_EQ(code, literal.Extract(slow));
        ASSERT_EQ(engine.error_count, literal.errors);
        if (code != 0) continue;
        ASSERT_EQ(fast, slow);
        ASSERT_EQ(engine.store.asp, literal.asp);
        ASSERT_EQ(engine.store.scripts, literal.scripts);
        ASSERT_EQ(engine.store.literals, literal.literals);
        ASSERT_EQ(engine.store.style, literal.style);

        // With nothing in between, every block must come back where it was; the literal
        // restore agrees wherever it gets that right.
        std::string back = fast;
        const int32_t restore_code = RestoreProtectedBlocks(engine, back, NoPasses);
        ASSERT_EQ(restore_code, 0);
        ASSERT_EQ(back, doc);
        const int32_t literal_code = literal.Restore(slow);
        if (slow == doc) {
            ASSERT_EQ(literal_code, restore_code);
            ++compared;
        } else {
            ++literal_misplaced;
        }
    }
    EXPECT_GT(compared, 2000);
    EXPECT_GT(literal_misplaced, 0);  // nested literal kinds
}

// Longer documents with start tags in every letter case among many other tags (which the
// look for start tags passes over sixteen bytes at a time), cut as the literal algorithm cuts.
TEST(ProtectEquivalence, StartTagsInAnyCaseAmongOtherTags) {
    const std::vector<std::string> pieces = {
        "<Pre>", "</PRE>", "<PLAINTEXT>", "</plainTEXT>", "<Listing>", "</LISTING>",
        "<XMP>", "</Xmp>", "<sCript>",    "</SCRIPT>",    "<STYLE>",   "</Style>",
        "<p>",   "<s>",    "<span>",      "<link a>",     "<x>",       "</p>",
        "</s>",  "<L",     "<",           "a b c d",      "e f g h i", "\n"};
    std::mt19937 random(4242);
    int cut = 0;
    for (int round = 0; round < 8000; ++round) {
        const std::string doc = RandomDocument(random, pieces, 60);
        SCOPED_TRACE(doc);
        Engine engine;
        std::string fast = doc;
        const int32_t code = ExtractProtectedBlocks(engine, fast);
        Literal literal;
        std::string slow = doc;
        ASSERT_EQ(code, literal.Extract(slow));
        if (code != 0) continue;
        ASSERT_EQ(fast, slow);
        ASSERT_EQ(engine.store.scripts, literal.scripts);
        ASSERT_EQ(engine.store.literals, literal.literals);
        ASSERT_EQ(engine.store.style, literal.style);
        cut += fast != doc;
    }
    EXPECT_GT(cut, 300);
}

TEST(ProtectEquivalence, DisturbedPlaceholdersOnRandomDocuments) {
    // With the comment pass in between: where the literal restore's counts hold it is the
    // result; otherwise each surviving block is where it stood and nothing else changed.
    const std::vector<std::string> pieces = {"<pre>a</pre>",
                                             "<xmp>b</xmp>",
                                             "<script>c</script>",
                                             "<% d %>",
                                             "<style>e</style>",
                                             "<!--",
                                             "-->",
                                             "x",
                                             "<plaintext>f</plaintext>",
                                             "<listing>g</listing>"};
    std::mt19937 random(777);
    for (int round = 0; round < 5000; ++round) {
        const std::string doc = RandomDocument(random, pieces, 16);
        SCOPED_TRACE(doc);
        Engine engine;
        const RoundTrip r = CutAndRestore(engine, doc, DropComments);
        if (r.extract_code != 0) continue;
        std::string expected = doc;
        DropComments(engine, expected);
        EXPECT_EQ(r.restored, expected);
        // The protected style element is the first one; it is gone when its comment is.
        std::string marked = doc;
        const size_t style = marked.find("<style>");
        if (style != std::string::npos) marked.replace(style, 7, "<#first#>");
        DropComments(engine, marked);
        const bool style_gone =
            style != std::string::npos && marked.find("<#first#>") == std::string::npos;
        EXPECT_EQ(r.restore_code, style_gone ? TSQZ_ERR_STYLE_RESTORE : 0);
    }
}

// The census of placeholder text, which looks only at the "@" bytes, against plain searches
// for every placeholder and for its middle parts anywhere in the text.
TEST(ProtectEquivalence, PlaceholderCensusMatchesPlainSearches) {
    const std::string kPlaceholders[] = {"<@PLA@>", "<@LIS@>", "<@XMP@>",
                                         "<@PRE@>", "<@SCR@>", "<@STY@>"};
    const std::string kPieces[] = {
        "<@PRE@>", "<@SCR@>", "<@STY@>", "<@PLA@>", "@PRE", "PRE@", "@", "@@",     "<", ">",
        "<@",      "@>",      "PRE",     "SCR",     "XMP@", "@LIS", "x", "<@XMP@", "@>"};
    std::mt19937 rng(42);
    std::uniform_int_distribution<size_t> count(0, 14);
    std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (size_t n = count(rng); n > 0; --n)
            text += kPieces[pick(rng)];
        SCOPED_TRACE(text);
        PlaceholderCensus census;
        CountPlaceholderText(text, round % 2 == 0, census);
        for (size_t kind = 0; kind < std::size(kPlaceholders); ++kind) {
            const std::string& p = kPlaceholders[kind];
            size_t whole = 0;
            for (size_t at = text.find(p); at != std::string::npos; at = text.find(p, at + 1))
                ++whole;
            EXPECT_EQ(census.whole[kind], whole) << p;
            bool partial = false;
            const std::string head = p.substr(1, 4), tail = p.substr(2, 4);
            for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1))
                partial = partial || at < 1 || text.compare(at - 1, p.size(), p) != 0;
            for (size_t at = text.find(tail); at != std::string::npos; at = text.find(tail, at + 1))
                partial = partial || at < 2 || text.compare(at - 2, p.size(), p) != 0;
            EXPECT_EQ(census.partial[kind], round % 2 == 0 && partial) << p;
        }
    }
}

}  // namespace
}  // namespace tsqz
