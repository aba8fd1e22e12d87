// The search and edit primitives: their guards, and the fast forms against literal loops.
#include "text/text.h"
#include "support/literal_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tsqz {
namespace {

// ---- Literal reference forms: the byte-by-byte loops the primitives must agree with. ----

int32_t LiteralFindText(const std::string& t, const std::string& p, int32_t start) {
    if (t.empty() || p.empty() || start == 0) return 0;
    const bool ic = start < 0;
    const int64_t s = ic ? -static_cast<int64_t>(start) : start;
    const auto n = static_cast<int64_t>(t.size()), m = static_cast<int64_t>(p.size());
    if (s > n || m > n - s + 1) return 0;
    for (int64_t c = s; c <= n - m + 1; ++c) {
        bool all = true;
        for (int64_t i = 0; i < m && all; ++i) {
            all = BytesMatch(static_cast<unsigned char>(p[i]),
                             static_cast<unsigned char>(t[c - 1 + i]), ic);
        }
        if (all) return static_cast<int32_t>(c);
    }
    return 0;
}

int32_t LiteralFindTextBack(const std::string& t, const std::string& p, int32_t limit) {
    if (t.empty() || p.empty()) return 0;
    const bool ic = limit < 0;
    const auto n = static_cast<int64_t>(t.size()), m = static_cast<int64_t>(p.size());
    int64_t e = ic ? -static_cast<int64_t>(limit) : limit;
    if (e == 0 || e > n) e = n;
    if (m > e) return 0;
    for (int64_t c = e - m + 1; c >= 1; --c) {
        bool all = true;
        for (int64_t i = 0; i < m && all; ++i) {
            all = BytesMatch(static_cast<unsigned char>(p[i]),
                             static_cast<unsigned char>(t[c - 1 + i]), ic);
        }
        if (all) return static_cast<int32_t>(c);
    }
    return 0;
}

// Insert-then-delete in place, searching again where the design says.
int32_t LiteralReplaceAll(std::string& t, const std::string& p, const std::string& r, bool ic) {
    if (p.empty()) return 0;
    int32_t count = 0;
    int32_t at = LiteralFindText(t, p, ic ? -1 : 1);
    while (at != 0) {
        if (!r.empty()) {
            t.insert(static_cast<size_t>(at - 1), r);
            t.erase(static_cast<size_t>(at - 1) + r.size(), p.size());
            ++count;
            const auto next = at + static_cast<int32_t>(r.size());
            at = LiteralFindText(t, p, ic ? -next : next);
        } else {
            t.erase(static_cast<size_t>(at - 1), p.size());
            ++count;
            if (t.empty()) break;
            at = LiteralFindText(t, p, ic ? -at : at);
        }
    }
    return count;
}

// Texts and patterns from a small alphabet that exercises the wildcard, the "@"/"`" quirk of
// case-insensitive matching, the bytes between the letter ranges, and letters of both cases.
std::string RandomBytes(std::mt19937& rng, size_t max_length) {
    static const std::string kAlphabet = "aAbB?@`[_z{Z<>/ \x80\xfe";
    std::uniform_int_distribution<size_t> length(0, max_length);
    std::uniform_int_distribution<size_t> pick(0, kAlphabet.size() - 1);
    std::string s(length(rng), ' ');
    for (char& c : s)
        c = kAlphabet[pick(rng)];
    return s;
}

TEST(TextSearch, MatchRuleIgnoresCaseOfLettersOnlyWithTheGraveAccentQuirk) {
    EXPECT_TRUE(BytesMatch('a', 'A', true));
    EXPECT_TRUE(BytesMatch('A', 'a', true));
    EXPECT_FALSE(BytesMatch('A', 'a', false));
    EXPECT_TRUE(BytesMatch('@', '`', true));   // text grave accent matches pattern "@"
    EXPECT_FALSE(BytesMatch('`', '@', true));  // but not the other way round
    EXPECT_FALSE(BytesMatch('[', '{', true));
    EXPECT_FALSE(BytesMatch('{', '[', true));
    EXPECT_TRUE(BytesMatch('?', '\xff', false));
    EXPECT_FALSE(BytesMatch('\xe9', '\xc9', true));  // bytes above "z" only match themselves
}

TEST(TextSearch, FindTextGuardsAndCase) {
    EXPECT_EQ(FindText("<b>x</HTML>", "html>", -1), 7);
    EXPECT_EQ(FindText("<b>x</Html>", "html>", -1), 7);
    EXPECT_EQ(FindText("<b>x</HTML>", "html>", 1), 0);
    EXPECT_EQ(FindText("<b>x</html>", "html>", 1), 7);
    EXPECT_EQ(FindText("a<xb", "<?", 1), 2);  // "?" is a one-byte wildcard
    EXPECT_EQ(FindText("abc", "c", 1), 3);
    EXPECT_EQ(FindText("abc", "c", 4), 0);  // start beyond the end
    EXPECT_EQ(FindText("abc", "c", 0), 0);
    EXPECT_EQ(FindText("", "c", 1), 0);
    EXPECT_EQ(FindText("abc", "", 1), 0);
    EXPECT_EQ(FindText("abc", "bcd", 2), 0);  // pattern longer than the rest
}

TEST(TextSearch, FindTextBackLimitCoversTheWholeMatch) {
    const std::string text = "12345678<P>xyz";  // the only "<P>" starts at 9
    EXPECT_EQ(FindTextBack(text, "<P>", -10), 0);
    EXPECT_EQ(FindTextBack(text, "<p>", -11), 9);
    EXPECT_EQ(FindTextBack(text, "<p>", 11), 0);  // case-sensitive
    EXPECT_EQ(FindTextBack(text, "<P>", 0), 9);   // 0 means the whole text
    EXPECT_EQ(FindTextBack(text, "<P>", 999), 9);
    EXPECT_EQ(FindTextBack("ab", "abc", 0), 0);
    // The convenience form refuses "before position 1" instead of meaning the whole text.
    EXPECT_EQ(FindBack(text, "1", 0, true), 0);
    EXPECT_EQ(FindBack(text, "1", 1, true), 1);
}

TEST(TextSearch, ByteSearchesAndCounts) {
    EXPECT_EQ(FindChar("abcabc", 'c', 4), 6);
    EXPECT_EQ(FindChar("abc", 'c', 0), 0);
    EXPECT_EQ(FindChar("abc", 'c', 4), 0);
    EXPECT_EQ(FindCharBack("abcabc", 'a', 3), 1);
    EXPECT_EQ(FindCharBack("abcabc", 'a', 0), 4);  // 0: from the last position
    EXPECT_EQ(FindCharBack("abcabc", 'a', 99), 4);
    EXPECT_EQ(SkipChar("  x ", ' '), 3);
    EXPECT_EQ(SkipChar("   ", ' '), 0);
    EXPECT_EQ(SkipChar("", ' '), 0);
    EXPECT_EQ(SkipCharBack(" x  ", ' '), 2);
    EXPECT_EQ(SkipCharBack("   ", ' '), 0);
    EXPECT_EQ(CountCharFrom("a-b-c", '-', 3), 1);
    EXPECT_EQ(CountCharFrom("a-b-c", '-', 6), 0);
    EXPECT_EQ(CountCharIn("a-b-c", '-', 2), 1);
    EXPECT_EQ(CountCharIn("a-b-c", '-', 6), 0);
    EXPECT_EQ(CountCharIn("a-b-c", '-', 0), 0);
}

TEST(TextEdit, ReplaceAllResumesAfterTheInsertedText) {
    Text t = "<strong>x</Strong>";
    EXPECT_EQ(ReplaceAllCase(t, "STRONG>", "B>", true), 2);
    EXPECT_EQ(t, "<B>x</B>");

    Text lines = "\n\n\n";
    EXPECT_EQ(ReplaceAll(lines, "\n\n", "\n"), 1);  // one pass leaves two
    EXPECT_EQ(lines, "\n\n");
    EXPECT_EQ(ReplaceAllRepeat(lines, "\n\n", "\n"), 1);
    EXPECT_EQ(lines, "\n");

    Text grows = "aa";
    EXPECT_EQ(ReplaceAll(grows, "a", "aa"), 2);  // a replacement holding the pattern
    EXPECT_EQ(grows, "aaaa");
}

TEST(TextEdit, DeleteAllResumesWhereTheDeletionBegan) {
    // The search resumes at the deletion point, so bytes brought together before it are not
    // matched again: "aabb" minus "ab" leaves "ab" after one deletion.
    Text t = "aabb";
    EXPECT_EQ(ReplaceAll(t, "ab", ""), 1);
    EXPECT_EQ(t, "ab");
    Text u = "</P></P>x";
    EXPECT_EQ(ReplaceAllCase(u, "</p>", "", true), 2);
    EXPECT_EQ(u, "x");
}

TEST(TextEdit, TrimAndRemove) {
    EXPECT_EQ(TrimCharLeft("   ", ' '), "   ");  // all of the byte: returned whole
    EXPECT_EQ(TrimCharRight("   ", ' '), "");
    EXPECT_EQ(TrimCharLeft("  x ", ' '), "x ");
    EXPECT_EQ(TrimCharRight("  x ", ' '), "  x");
    Text t = "a\rb\r\n";
    EXPECT_EQ(RemoveChar(t, '\r'), 3);
    EXPECT_EQ(t, "ab\n");
    ReplaceChar(t, '\n', ' ');
    EXPECT_EQ(t, "ab ");
    // Texts without the byte, with it first, last or only, stay whole or lose every copy.
    for (const auto& [before, after] : std::initializer_list<std::pair<Text, Text>>{
             {"", ""}, {"abc", "abc"}, {"\tab", "ab"}, {"ab\t", "ab"}, {"\t\t", ""}}) {
        Text text = before;
        EXPECT_EQ(RemoveChar(text, '\t'), Len(after));
        EXPECT_EQ(text, after);
    }
}

TEST(TextEdit, DateStampUsesEnglishMonthsWithAPoint) {
    std::tm day{};
    day.tm_year = 98;
    day.tm_mon = 0;
    day.tm_mday = 5;
    EXPECT_EQ(DateStamp(day), "Jan. 5, 1998");
    day.tm_mon = 4;
    EXPECT_EQ(DateStamp(day), "May. 5, 1998");
}

TEST(TextEquivalence, SearchesAgreeWithLiteralLoops) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomBytes(rng, 40);
        std::string pattern = RandomBytes(rng, 4);
        const int32_t n = Len(text);
        std::uniform_int_distribution<int32_t> pos(-(n + 2), n + 2);
        const int32_t start = pos(rng);
        SCOPED_TRACE("text=[" + text + "] pattern=[" + pattern +
                     "] start=" + std::to_string(start));
        ASSERT_EQ(FindText(text, pattern, start), LiteralFindText(text, pattern, start));
        ASSERT_EQ(FindTextBack(text, pattern, start), LiteralFindTextBack(text, pattern, start));
    }
}

// Long texts in which letters are sparse and one case is rare: the searches look for both
// cases in windows, so candidates must be found across window ends, both ways.
TEST(TextEquivalence, SearchesAgreeWithLiteralLoopsOnLongSparseTexts) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> per_million(0, 999999);
    constexpr int kLowerDensity[] = {20, 300, 3000, 300000};  // per million bytes
    for (int round = 0; round < 400; ++round) {
        std::uniform_int_distribution<size_t> length(0, 40000);
        std::string text(length(rng), '.');
        const int lower = kLowerDensity[round % 4];
        const int upper = round % 3 == 0 ? 0 : lower / (1 + round % 5);
        for (char& c : text) {
            const int roll = per_million(rng);
            if (roll < upper) {
                c = roll % 2 ? 'A' : 'B';
            } else if (roll < upper + lower) {
                c = roll % 2 ? 'a' : 'b';
            }
        }
        for (const std::string pattern : {"ab", "AB", "aB", "a?", "Ab.", "a", ".A"}) {
            const int32_t n = Len(text);
            std::uniform_int_distribution<int32_t> pos(1, n + 1);
            for (int32_t start : {1, pos(rng), -1, -pos(rng), -n, n}) {
                SCOPED_TRACE("length=" + std::to_string(n) + " pattern=[" + pattern +
                             "] start=" + std::to_string(start));
                ASSERT_EQ(FindText(text, pattern, start), LiteralFindText(text, pattern, start));
                ASSERT_EQ(FindTextBack(text, pattern, start),
                          LiteralFindTextBack(text, pattern, start));
            }
        }
    }
}

// End-tag patterns are looked for by their "/" and the byte after it: matches at the start
// and end of the text, right after another "<" or "</", and in texts full of "</".
TEST(TextEquivalence, EndTagSearchesAgreeWithLiteralLoops) {
    std::mt19937 rng(31);
    std::uniform_int_distribution<size_t> pick(0, 8);
    const std::string patterns[] = {"</a", "</A>", "</ab>", "</?", "</", "</a?b", "<</a", "</`"};
    for (int round = 0; round < 3000; ++round) {
        std::string text(std::uniform_int_distribution<size_t>(0, 120)(rng), ' ');
        for (char& c : text)
            c = "</aAbB>@`"[pick(rng)];
        for (const std::string& pattern : patterns) {
            const int32_t n = Len(text);
            for (int32_t start : {1, -1, n / 2 + 1, -(n / 3 + 1)}) {
                SCOPED_TRACE("text=[" + text + "] pattern=[" + pattern +
                             "] start=" + std::to_string(start));
                ASSERT_EQ(FindText(text, pattern, start), LiteralFindText(text, pattern, start));
            }
            std::string fast = text, literal = text;
            ASSERT_EQ(ReplaceAllCase(fast, pattern, "", true),
                      LiteralReplaceAll(literal, pattern, "", true));
            ASSERT_EQ(fast, literal);
        }
    }
}

TEST(TextEquivalence, ReplaceAllAgreesWithInsertAndDeleteInPlace) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomBytes(rng, 40);
        const std::string pattern = RandomBytes(rng, 3);
        const std::string replacement = RandomBytes(rng, 3);
        const bool ignore_case = round % 2 == 1;
        SCOPED_TRACE("text=[" + text + "] pattern=[" + pattern + "] replacement=[" + replacement +
                     "]");
        std::string fast = text, literal = text;
        const int32_t fast_count = ReplaceAllCase(fast, pattern, replacement, ignore_case);
        const int32_t literal_count = LiteralReplaceAll(literal, pattern, replacement, ignore_case);
        ASSERT_EQ(fast, literal);
        ASSERT_EQ(fast_count, literal_count);
    }
}

}  // namespace
}  // namespace tsqz
