// The forward rewriter against plain in-place edits, and its run helpers against repeated
// replace-all.
#include "text/text_rewriter.h"
#include "support/literal_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tsqz {
namespace {

// The 1-based position of the model for an index of the Rewriter: 0 for kNone.
int32_t PositionFrom(size_t index) { return index == kNone ? 0 : static_cast<int32_t>(index) + 1; }

Text RandomText(std::mt19937& rng, std::string_view alphabet, int max_length) {
    std::uniform_int_distribution<int> length(0, max_length);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    Text text;
    for (int n = length(rng); n > 0; --n)
        text.push_back(alphabet[pick(rng)]);
    return text;
}

// Every query answers as the primitive does on the same text, and every edit leaves the same
// text and marks as the in-place edit, wherever the cursor stands.
TEST(RewriterTest, EditsAndSearchesMatchInPlaceText) {
    std::mt19937 rng(7);
    constexpr std::string_view kAlphabet = "ab<> \n";
    for (int round = 0; round < 3000; ++round) {
        const Text source = RandomText(rng, kAlphabet, 40);
        Text model = source;
        Rewriter text(source);
        // The marks are indexes (kNone for none); the model moves them as positions (0 for none).
        size_t mark_a = kNone;
        size_t mark_b = kNone;
        int32_t model_a = 0;
        int32_t model_b = 0;
        if (!source.empty()) {
            model_a = std::uniform_int_distribution<int32_t>(1, Len(source))(rng);
            model_b = std::uniform_int_distribution<int32_t>(1, Len(source))(rng);
            mark_a = static_cast<size_t>(model_a - 1);
            mark_b = static_cast<size_t>(model_b - 1);
        }
        text.Track(mark_a);
        text.Track(mark_b);
        const auto move_mark = [](int32_t& mark, int32_t pos, int32_t delta) {
            if (delta < 0) {
                if (mark >= pos - delta) {
                    mark += delta;
                } else if (mark > pos) {
                    mark = pos;
                }
            } else if (mark >= pos) {
                mark += delta;
            }
        };
        for (int step = 0; step < 12; ++step) {
            const int32_t length = Len(model);
            ASSERT_EQ(text.Length(), static_cast<size_t>(length));
            const int32_t pos = std::uniform_int_distribution<int32_t>(0, length + 2)(rng);
            const Text pattern = RandomText(rng, "ab<?", 3);
            const bool ignore_case = rng() % 2 == 0;
            SCOPED_TRACE(model + " @" + std::to_string(pos) + " " + pattern);
            const size_t i = static_cast<size_t>(pos - 1);  // pos as an index (kNone for 0)
            EXPECT_EQ(text.At(i), ByteAt(model, pos));
            if (pos >= 1) {
                EXPECT_EQ(PositionFrom(text.Find(pattern, i, ignore_case)),
                          Find(model, pattern, pos, ignore_case));
                EXPECT_EQ(PositionFrom(text.FindChar('>', i)), FindChar(model, '>', pos));
                EXPECT_EQ(PositionFrom(text.FindCharBack('<', i + 1)),
                          FindCharBack(model, '<', pos));
                EXPECT_EQ(text.HasAt(i, pattern, ignore_case),
                          Find(model, pattern, pos, ignore_case) == pos);
            }
            if (rng() % 2 == 0 && pos >= 1 && pos <= length) {
                const int32_t count =
                    std::min(std::uniform_int_distribution<int32_t>(1, 3)(rng), length - pos + 1);
                text.Delete(i, static_cast<size_t>(count));
                DeleteAt(model, pos, count);
                move_mark(model_a, pos, -count);
                move_mark(model_b, pos, -count);
            } else if (pos >= 1 && pos <= length + 1) {
                const Text what = RandomText(rng, "xy", 2);
                text.Insert(i, what);
                InsertAt(model, pos, what);
                if (!what.empty()) {
                    move_mark(model_a, pos, Len(what));
                    move_mark(model_b, pos, Len(what));
                }
            }
            EXPECT_EQ(PositionFrom(mark_a), model_a);
            EXPECT_EQ(PositionFrom(mark_b), model_b);
        }
        EXPECT_EQ(text.Finish(), model);
    }
}

// The first place at or after start (1-based) where the pattern stands byte for byte, or 0.
int32_t FindLiterally(const Text& text, std::string_view pattern, int32_t start) {
    for (size_t i = static_cast<size_t>(start - 1); i + pattern.size() <= text.size(); ++i) {
        if (text.compare(i, pattern.size(), pattern) == 0) return static_cast<int32_t>(i + 1);
    }
    return 0;
}

// Exact searches over long texts, before and after the cursor and across it, find the first
// place as a byte-by-byte walk does: patterns at every place of a sixteen-byte block, at the
// very end, cut off by the end, and patterns that overlap themselves.
// The tag tracker against the plain definition (the last "<" at or before an index lies after
// the last ">" at or before it): on a fixed text asked in increasing order with now and then a
// step back, and on a Rewriter's text while spaces after the asked position are deleted, which
// the rewriter variant asks of the bytes before a position.
TEST(TagTrackerTest, AnswersAsTheLastBracketBeforeThePlace) {
    const auto open_of = [](std::string_view t, size_t i) {
        const size_t open = t.find_last_of('<', i);
        const size_t close = t.find_last_of('>', i);
        return open != kNone && (close == kNone || open > close) ? open : kNone;
    };
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const Text source = RandomText(rng, "a<> ", 60);
        TagTracker tags(source);
        size_t i = 0;
        for (int ask = 0; ask < 20; ++ask) {
            i = rng() % 8 == 0 ? i / 2 : i + rng() % 6;
            SCOPED_TRACE(source + " @" + std::to_string(i));
            const size_t expected = source.empty() ? kNone : open_of(source, i);
            ASSERT_EQ(tags.OpenOf(i), expected);
        }
        Text model = source;
        Rewriter text(source);
        RewriterTagTracker rewriter_tags(text);
        for (size_t at = 0; at < model.size(); ++at) {
            SCOPED_TRACE(model + " @" + std::to_string(at));
            const bool expected = at >= 1 && open_of(model, at - 1) != kNone;
            ASSERT_EQ(rewriter_tags.InsideTag(at), expected);
            const int32_t space = FindChar(model, ' ', static_cast<int32_t>(at) + 2);
            if (space != 0 && rng() % 2 == 0) {
                text.Delete(static_cast<size_t>(space - 1), 1);
                DeleteAt(model, space, 1);
            }
        }
    }
}

TEST(RewriterTest, ExactSearchesFindTheFirstPlace) {
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        const Text source = RandomText(rng, "/*%>a", 120);
        Text model = source;
        Rewriter text(source);
        for (int step = 0; step < 6; ++step) {
            const Text pattern = RandomText(rng, "/*%>", 4);
            if (pattern.empty()) continue;
            const int32_t start = std::uniform_int_distribution<int32_t>(1, Len(model) + 1)(rng);
            SCOPED_TRACE(model + " @" + std::to_string(start) + " " + pattern);
            ASSERT_EQ(PositionFrom(text.Find(pattern, static_cast<size_t>(start - 1))),
                      FindLiterally(model, pattern, start));
            if (model.empty()) break;
            const int32_t at = std::uniform_int_distribution<int32_t>(1, Len(model))(rng);
            text.Delete(static_cast<size_t>(at - 1), 1);
            DeleteAt(model, at, 1);
        }
    }
}

// The run helpers give the fixed point of the repeated replace-all they stand for.
TEST(RewriterTest, RunHelpersMatchRepeatedReplaceAll) {
    std::mt19937 rng(11);
    for (int round = 0; round < 5000; ++round) {
        const Text source = RandomText(rng, "  \n\r\n<>a", 30);
        SCOPED_TRACE(source);
        for (std::string_view unit : {" ", "\n", "\r\n"}) {
            Text fast = source;
            CollapseRuns(fast, unit);
            Text literal = source;
            ReplaceAllRepeat(literal, Text(unit) + Text(unit), unit);
            EXPECT_EQ(fast, literal) << "collapse " << unit.size();
        }
        for (std::string_view anchor : {"\n", "\r\n", "\r", ">", "<"}) {
            Text before = source;
            RewriteWith(before, [anchor](Rewriter& text) { DeleteSpacesBefore(text, anchor); });
            Text literal_before = source;
            ReplaceAllRepeat(literal_before, " " + Text(anchor), anchor);
            EXPECT_EQ(before, literal_before);
            Text after = source;
            RewriteWith(after, [anchor](Rewriter& text) { DeleteSpacesAfter(text, anchor); });
            Text literal_after = source;
            ReplaceAllRepeat(literal_after, Text(anchor) + " ", anchor);
            EXPECT_EQ(after, literal_after);
        }
    }
}

}  // namespace
}  // namespace tsqz
