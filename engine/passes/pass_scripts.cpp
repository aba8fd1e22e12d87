// Script, ASP and style-sheet compression: the compressors run on protected blocks as they
// are cut out, and the ASP pass runs over the whole document after they are put back.
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "text/byte_scan.h"
#include "passes/passes.h"
#include "passes/script_steps.h"
#include "text/text_rewriter.h"

namespace tsqz {
namespace {

void Charge(Engine& engine, const Text& text, int slot, int32_t length_before) {
    if (engine.stats.on) RecordSavings(engine, text, slot, length_before);
}

// ---------------------------------------------------------------------------------------
// Language guess

constexpr std::array<std::string_view, 5> kLineShapesLF = {";\n", "{\n", "\n{", "}\n", "\n}"};
constexpr std::array<std::string_view, 5> kLineShapesCRLF = {";\r", "{\r", "\n{", "}\r", "\n}"};
constexpr std::string_view kJavaScriptOperators[] = {"==", "!=", "++", "{", "}"};
constexpr std::string_view kVBScriptKeywords[] = {"if ", "dim ", "sub ", "do ", "then "};

// Whether some occurrence of the pattern stands outside a string literal: an even number of
// double quotes lies between the start of its line and it.
bool OccursOutsideStrings(std::string_view block, std::string_view pattern, bool ignore_case) {
    size_t read = 0;
    int32_t quotes = 0;
    for (size_t p = FindFrom(block, pattern, 0, ignore_case); p != kNone;
         p = FindFrom(block, pattern, p + 1, ignore_case)) {
        for (; read < p; ++read) {
            const char c = block[read];
            if (c == '\n') quotes = 0;
            if (c == '"') ++quotes;
        }
        if (quotes % 2 == 0) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// JavaScript and style-sheet comments

// Line comments: "//" through its line feed goes, so the next line joins this one. A "//"
// with "-->" after it on its line closes a script hidden in an HTML comment and stays.
void RemoveLineComments(Rewriter& text, bool style_sheet) {
    CodeReader reader(style_sheet);
    size_t line_feed = kNone;  // the line feed after the comment start in hand
    size_t arrow = kNone;      // the first "-->" at or after two bytes past a comment start
    bool arrow_ahead = true;
    text.Track(reader.position());
    text.Track(arrow);
    for (size_t p = text.Find("//", 0); p != kNone;) {
        if (line_feed == kNone || line_feed < p) {
            line_feed = text.FindChar('\n', p);
            if (line_feed == kNone) return;
        }
        if (!reader.IsCodeAt(text, p)) {
            p = text.Find("//", p + 2);
            continue;
        }
        if (arrow_ahead && (arrow == kNone || arrow < p + 2)) {
            arrow = text.Find("-->", p + 2);
            arrow_ahead = arrow != kNone;
        }
        if (arrow_ahead && arrow < line_feed) {
            p = text.Find("//", p + 2);
            continue;
        }
        text.Delete(p, line_feed - p + 1);
        line_feed = kNone;
        p = text.Find("//", p);
    }
}

// Block comments: "/*" through the next "*/" found from it (so "/*/" closes itself).
void RemoveBlockComments(Rewriter& text, bool style_sheet) {
    CodeReader reader(style_sheet);
    text.Track(reader.position());
    for (size_t p = text.Find("/*", 0); p != kNone;) {
        if (!reader.IsCodeAt(text, p)) {
            p = text.Find("/*", p + 2);
            continue;
        }
        const size_t close = text.Find("*/", p);
        if (close == kNone) return;
        text.Delete(p, close + 2 - p);
        p = text.Find("/*", p);
    }
}

// ---------------------------------------------------------------------------------------
// VBScript

// What has been read of the current line, up to the position a loop has reached.
struct VBLine {
    size_t pos = 0;    // next index to read; tracked through edits
    size_t start = 0;  // first index of the line
    int32_t quotes = 0;
    bool only_spaces = true;
    bool only_tabs = true;
    bool only_quotes = true;
    bool comment = false;  // the last apostrophe read starts a comment

    void Restart(size_t at) {
        pos = at;
        NewLine(at);
    }

    void NewLine(size_t first) {
        start = first;
        quotes = 0;
        only_spaces = only_tabs = only_quotes = true;
        comment = false;
    }

    void ReadTo(const Rewriter& text, size_t at) {
        for (; pos < at; ++pos) {
            const unsigned char c = text.At(pos);
            if (c == '\n') {
                NewLine(pos + 1);
                continue;
            }
            if (c == '"') ++quotes;
            if (c == '\'') comment = quotes % 2 == 0;
            only_spaces = only_spaces && c == ' ';
            only_tabs = only_tabs && c == '\t';
            only_quotes = only_quotes && c == '"';
        }
    }

    // Nothing but spaces, or nothing but tabs, stands before the index reached.
    bool AtLineStart() const { return only_spaces || only_tabs; }

    // The index reached stands in code: outside a string and, unless comments go anyway,
    // outside an apostrophe comment.
    bool InCode(bool comments_removed) const {
        return quotes % 2 == 0 && (comments_removed || !comment);
    }
};

// Deletes the line that starts at `start` together with its line feed (the rest of the block
// when it has none).
void DeleteLine(Rewriter& text, size_t start, size_t from) {
    const size_t line_feed = text.FindChar('\n', from);
    text.Delete(start, (line_feed != kNone ? line_feed + 1 : text.Length()) - start);
}

// "REM " (upper case only) first on its line: the line goes.
void RemoveRemLines(Rewriter& text) {
    VBLine line;
    text.Track(line.pos);
    for (size_t p = text.Find("REM ", 0); p != kNone;) {
        line.ReadTo(text, p);
        if (!line.AtLineStart()) {
            p = text.Find("REM ", p + 3);
            continue;
        }
        const size_t start = line.start;
        DeleteLine(text, start, p);
        line.Restart(start);
        p = text.Find("REM ", start);
    }
}

// An apostrophe first on its line takes the line; one after code or a closed string starts a
// comment to the line end; one inside a string stays.
void RemoveApostropheComments(Rewriter& text, bool lf_only) {
    VBLine line;
    text.Track(line.pos);
    for (size_t p = text.FindChar('\'', 0); p != kNone;) {
        line.ReadTo(text, p);
        if (line.AtLineStart()) {
            const size_t start = line.start;
            DeleteLine(text, start, p);
            line.Restart(start);
            p = text.FindChar('\'', start);
        } else if (line.quotes % 2 == 0 || line.only_quotes) {
            size_t end = text.FindChar('\n', p);
            if (end == kNone) {
                end = text.Length();
            } else if (!lf_only && end - 1 > p && text.At(end - 1) == '\r') {
                --end;
            }
            text.Delete(p, end - p);
            p = text.FindChar('\'', p);
        } else {
            p = text.FindChar('\'', p + 1);
        }
    }
}

constexpr std::string_view kVBScriptOperators[] = {"=", "+", "-", "*", "<",  ">",  "/",
                                                   "&", ",", "(", ")", "<>", ">=", "<="};

// ---------------------------------------------------------------------------------------
// Script compressor steps

// Leading spaces of lines, then trailing ones (before the CR of a CR LF line end).
void TrimLineEdges(Text& block, bool lf_only) {
    RewriteWith(block, [](Rewriter& text) { DeleteSpacesAfter(text, "\n"); });
    RewriteWith(block,
                [lf_only](Rewriter& text) { DeleteSpacesBefore(text, lf_only ? "\n" : "\r"); });
}

// ---------------------------------------------------------------------------------------
// Style sheets

// Walks back from `end` over every `byte` at or before it: the byte goes when a space stands
// right before or right after it, otherwise it becomes a space. The marks (positions of bytes
// that are never walked over) move with their bytes. Returns where `end` now is.
int32_t JoinStyleLinesBack(Text& block, unsigned char byte, int32_t end,
                           std::vector<int32_t>& marks) {
    const int32_t n = Len(block);
    end = std::min(end, n);
    std::vector<uint8_t> gone(static_cast<size_t>(n) + 1, 0);
    auto at = [&block](int32_t pos) -> char& { return block[static_cast<size_t>(pos - 1)]; };
    // Walking backwards, `after` is the first byte of the part already walked.
    unsigned char after = end < n ? static_cast<unsigned char>(at(end + 1)) : 0;
    bool any_gone = false;
    for (int32_t pos = end; pos >= 1; --pos) {
        const auto c = static_cast<unsigned char>(at(pos));
        if (c != byte) {
            after = c;
            continue;
        }
        const unsigned char before = pos > 1 ? static_cast<unsigned char>(at(pos - 1)) : 0;
        if (before == ' ' || after == ' ') {
            gone[static_cast<size_t>(pos)] = 1;
            any_gone = true;
        } else {
            at(pos) = ' ';
            after = ' ';
        }
    }
    if (!any_gone) return end;
    // Positions shift left by the bytes gone before them.
    std::vector<int32_t> shift(static_cast<size_t>(n) + 2, 0);
    Text kept;
    kept.reserve(block.size());
    for (int32_t pos = 1; pos <= n; ++pos) {
        shift[static_cast<size_t>(pos + 1)] =
            shift[static_cast<size_t>(pos)] + gone[static_cast<size_t>(pos)];
        if (!gone[static_cast<size_t>(pos)]) kept.push_back(at(pos));
    }
    for (int32_t& mark : marks)
        mark -= shift[static_cast<size_t>(mark)];
    const int32_t new_end = end - shift[static_cast<size_t>(end)];
    block.swap(kept);
    return new_end;
}

// Lines that start with a space lose the spaces at their start and end.
void TrimIndentedLines(Text& block, bool lf_only) {
    const size_t n = block.size();
    const char line_end = lf_only ? '\n' : '\r';
    std::vector<uint8_t> gone(n, 0);
    const auto blank = [&](size_t i) { return gone[i] || block[i] == ' '; };
    bool any_gone = false;
    size_t end = kNone;          // the line end of the line in hand (n for the block's end)
    size_t trimmed_end = kNone;  // the line end whose trailing spaces are already gone
    // Only spaces go, so the lines that start with a space are those of the block as it was;
    // one that has already lost its spaces to the line before it is now empty and unchanged.
    for (size_t lf = FindFrom(block, "\n ", 0, false); lf != kNone;
         lf = FindFrom(block, "\n ", lf + 1, false)) {
        const size_t first = lf + 1;
        if (end == kNone || end < first) {
            end = block.find(line_end, first);
            if (end == kNone) end = n;
        }
        size_t text_start = first;
        while (text_start < end && blank(text_start))
            ++text_start;
        for (size_t i = first; i < text_start; ++i)
            gone[i] = 1;
        any_gone = true;
        if (text_start == end || trimmed_end == end) continue;
        for (size_t i = end - 1; i > text_start && blank(i); --i) {
            gone[i] = 1;
        }
        trimmed_end = end;
    }
    if (!any_gone) return;
    Text kept;
    kept.reserve(block.size());
    for (size_t i = 0; i < n; ++i) {
        if (!gone[i]) kept.push_back(block[i]);
    }
    block.swap(kept);
}

// Spaces beside style punctuation, in this order: "{ " becomes "{", "} " becomes "}", " {"
// becomes "{", and so on, each repeated until none is left.
struct StyleSpaceJoin {
    std::string_view punctuation;
    bool space_before;  // " {" rather than "{ "
};

constexpr StyleSpaceJoin kStyleSpaceJoins[] = {
    {"{", false}, {"}", false}, {"{", true},  {"}", true},
    {":", false}, {":", true},  {";", false}, {";", true},
};

// ---------------------------------------------------------------------------------------
// Whole-document ASP pass

struct Replacement {
    std::string_view from;
    std::string_view to;
};

// Only white space between the delimiters goes. What stands outside them is sent to the
// browser right beside the code's output, which may be words, part of an address or of an
// attribute value: a byte added or taken away there joins or splits what the reader sees.
constexpr Replacement kASPSpaceJoins[] = {{"<% ", "<%"}, {" %>", "%>"}, {" <% ", " <%"}};
constexpr Replacement kASPLineJoins[] = {
    {"<%\n", "<%"},
    {"\n%>", "%>"},
    {"<%\r\n", "<%"},
};

// The bytes of the text that may change a code reader's state, as a table over all byte values.
constexpr std::array<bool, 256> StopTable(std::string_view bytes) {
    std::array<bool, 256> table{};
    for (char c : bytes)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}

// Length of the stretch at the start of the text that holds none of the stop bytes.
size_t PlainStretch(std::string_view text, const std::array<char, 5>& stops) {
    size_t i = 0;
    for (; i + 16 <= text.size(); i += 16) {
        const Bytes16 b = Bytes16::Load(text.data() + i);
        const uint32_t mask = ((b == stops[0]) | (b == stops[1]) | (b == stops[2]) |
                               (b == stops[3]) | (b == stops[4]))
                                  .Mask();
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
    }
    for (; i < text.size(); ++i) {
        if (std::find(stops.begin(), stops.end(), text[i]) != stops.end()) return i;
    }
    return text.size();
}

}  // namespace

void CodeReader::Read(const Rewriter& text, unsigned char c) {
    if (in_comment_) {
        if (previous_ == '*' && c == '/') {
            in_comment_ = false;
            c = 0;  // "*/*" does not open another comment
        }
    } else if (quote_ != 0) {
        if (escaped_) {
            escaped_ = c == '\r';  // an escaped CR LF continues the string
        } else if (c == '\\') {
            escaped_ = true;
        } else if (c == quote_ || (c == '\n' && quote_ != '`')) {
            quote_ = 0;
        }
    } else if (in_url_) {
        if (c == ')' || c == '\n') in_url_ = false;
    } else if (c == '"' || c == '\'' || (c == '`' && !style_sheet_)) {
        quote_ = c;
    } else if (previous_ == '/' && c == '*') {
        in_comment_ = true;
        c = 0;  // "/*/" does not close it
    } else if (style_sheet_ && c == '(' && pos_ >= 3 && text.HasAt(pos_ - 3, "url", true)) {
        in_url_ = true;
    }
    previous_ = c;
}

const std::array<bool, 256>& CodeReader::StopBytes() const {
    static constexpr std::array<bool, 256> kComment = StopTable("/");
    static constexpr std::array<bool, 256> kDoubleQuoted = StopTable("\\\"\n");
    static constexpr std::array<bool, 256> kSingleQuoted = StopTable("\\'\n");
    static constexpr std::array<bool, 256> kTemplate = StopTable("\\`\n");
    static constexpr std::array<bool, 256> kUrl = StopTable(")\n");
    static constexpr std::array<bool, 256> kStyleCode = StopTable("\"'*(");
    static constexpr std::array<bool, 256> kScriptCode = StopTable("\"'`*");
    if (in_comment_) return kComment;
    if (quote_ == '"') return kDoubleQuoted;
    if (quote_ == '\'') return kSingleQuoted;
    if (quote_ != 0) return kTemplate;
    if (in_url_) return kUrl;
    return style_sheet_ ? kStyleCode : kScriptCode;
}

std::array<char, 5> CodeReader::Stops() const {
    if (in_comment_) return {'/', '/', '/', '/', '/'};
    if (quote_ != 0) {
        const auto quote = static_cast<char>(quote_);
        return {'\\', quote, '\n', quote, quote};
    }
    if (in_url_) return {')', '\n', ')', ')', ')'};
    if (style_sheet_) return {'"', '\'', '*', '(', '('};
    return {'"', '\'', '`', '*', '*'};
}

// Reads byte by byte only where a byte may change the state: the stretches in between only
// leave their last byte as the previous one. A stretch is first looked through byte by byte
// for a few bytes (strings and the code between them are often short), then sixteen bytes
// at a time.
bool CodeReader::IsCodeAt(const Rewriter& text, size_t at) {
    constexpr size_t kFirstLook = 16;
    while (pos_ < at) {
        const std::string_view run = text.RunAt(pos_).substr(0, at - pos_);
        if (run.empty()) {  // past the end of the text, where the bytes read as 0
            Read(text, 0);
            ++pos_;
            continue;
        }
        const size_t base = pos_;
        for (size_t i = 0; i < run.size(); ++i) {
            if (!escaped_) {
                const std::array<bool, 256>& stop = StopBytes();
                const size_t first_end = std::min(run.size(), i + kFirstLook);
                size_t j = i;
                while (j < first_end && !stop[static_cast<unsigned char>(run[j])])
                    ++j;
                if (j == first_end && j < run.size()) j += PlainStretch(run.substr(j), Stops());
                if (j > i) {
                    previous_ = static_cast<unsigned char>(run[j - 1]);
                    i = j;
                    if (i == run.size()) break;
                }
            }
            pos_ = base + i;
            Read(text, static_cast<unsigned char>(run[i]));
        }
        pos_ = base + run.size();
    }
    return quote_ == 0 && !in_comment_ && !in_url_;
}

size_t CodeReader::SameStateThrough(const Rewriter& text) const {
    if (escaped_) return pos_;
    return pos_ + PlainStretch(text.RunAt(pos_), Stops());
}

ScriptLanguage GuessScriptLanguage(std::string_view block, bool lf_only) {
    for (std::string_view shape : lf_only ? kLineShapesLF : kLineShapesCRLF) {
        if (FindFrom(block, shape, 0, false) != kNone) return ScriptLanguage::kJavaScript;
    }
    for (std::string_view op : kJavaScriptOperators) {
        if (OccursOutsideStrings(block, op, false)) return ScriptLanguage::kJavaScript;
    }
    for (std::string_view keyword : kVBScriptKeywords) {
        if (OccursOutsideStrings(block, keyword, true)) return ScriptLanguage::kVBScript;
    }
    return ScriptLanguage::kOther;
}

void RemoveCodeComments(Text& block, bool style_sheet) {
    RewriteWith(block, [style_sheet](Rewriter& text) { RemoveLineComments(text, style_sheet); });
    RewriteWith(block, [style_sheet](Rewriter& text) { RemoveBlockComments(text, style_sheet); });
}

void RemoveVBScriptComments(Text& block, bool lf_only) {
    RewriteWith(block, RemoveRemLines);
    RewriteWith(block, [lf_only](Rewriter& text) { RemoveApostropheComments(text, lf_only); });
}

// For each operator in turn, every occurrence with a space beside it that stands in code
// loses the space after it and then the one before it. The next search starts one byte after
// the occurrence's position as it was found.
void RemoveVBScriptOperatorSpaces(Text& block, bool comments_removed) {
    for (std::string_view op : kVBScriptOperators) {
        RewriteWith(block, [op, comments_removed](Rewriter& text) {
            const size_t length = op.size();
            VBLine line;
            text.Track(line.pos);
            for (size_t p = text.Find(op, 0); p != kNone; p = text.Find(op, p + 1)) {
                const bool before = p > 0 && text.At(p - 1) == ' ';
                const bool after = text.At(p + length) == ' ';
                if (!before && !after) continue;
                line.ReadTo(text, p);
                if (!line.InCode(comments_removed)) continue;
                if (after) text.Delete(p + length, 1);
                if (before) text.Delete(p - 1, 1);
            }
        });
    }
}

// Marks the ";" or "}" to break after: from a probe 254 bytes in, the last one not yet marked
// at or before the probe, then again W bytes after each mark. Marking stops early when the
// last candidate lies more than 254 bytes before the probe; lines are then joined only up to
// the last mark. The marks are kept as positions beside the text, so bytes of the block
// itself cannot be mistaken for them. A line end inside a string or an unquoted url() ends
// it there and the browser drops the declaration (data:image/png;base64,... is common), so
// those ";" and "}" are passed over.
void BreakStyleLines(Text& block, bool lf_only, int32_t width) {
    constexpr int32_t kReach = 254;
    const int32_t n = Len(block);
    std::vector<uint8_t> marked(static_cast<size_t>(n) + 1, 0);
    {
        const Rewriter view(block);
        CodeReader reader(true);
        // The marks are kept by 1-based position; the reader counts from index 0.
        for (int32_t pos = 1; pos <= n;) {
            reader.IsCodeAt(view, static_cast<size_t>(pos - 1));
            const uint8_t literal = reader.InLiteral();
            const int32_t last =
                std::min(n, static_cast<int32_t>(reader.SameStateThrough(view)) + 1);
            for (; pos <= last; ++pos)
                marked[static_cast<size_t>(pos)] = literal;
        }
    }
    const auto candidate = [&](int32_t pos) {
        const char c = block[static_cast<size_t>(pos - 1)];
        return (c == ';' || c == '}') && !marked[static_cast<size_t>(pos)];
    };
    std::vector<int32_t> marks;
    int32_t probe = kReach;
    bool stopped_early = false;
    while (probe < n) {
        int32_t at = 0;
        for (int32_t pos = probe; pos >= std::max(1, probe - kReach) && at == 0; --pos) {
            if (candidate(pos)) at = pos;
        }
        if (at == 0) {
            for (int32_t pos = probe - kReach - 1; pos >= 1 && !stopped_early; --pos) {
                stopped_early = candidate(pos);
            }
            break;
        }
        marked[static_cast<size_t>(at)] = 1;
        marks.push_back(at);
        probe = at + width;
    }
    // Stopping early always follows a mark, since the first probe reaches back to position 1;
    // the join end then moves with that mark.
    int32_t end = stopped_early ? marks.back() : n;
    if (!lf_only) end = JoinStyleLinesBack(block, '\r', end, marks);
    JoinStyleLinesBack(block, '\n', end, marks);

    if (marks.empty()) return;
    std::sort(marks.begin(), marks.end());
    const std::string_view line_end = lf_only ? "\n" : "\r\n";
    Text out;
    out.reserve(block.size() + marks.size() * line_end.size());
    size_t copied = 0;
    for (int32_t mark : marks) {
        out.append(block, copied, static_cast<size_t>(mark) - copied);
        out.append(line_end);
        copied = static_cast<size_t>(mark);
    }
    out.append(block, copied);
    block.swap(out);
}

void CompressStyleSpaces(Text& block, bool lf_only) {
    RemoveChar(block, '\t');
    CollapseRuns(block, " ");
    TrimIndentedLines(block, lf_only);
    for (const StyleSpaceJoin& join : kStyleSpaceJoins) {
        RewriteWith(block, [&join](Rewriter& text) {
            if (join.space_before) {
                DeleteSpacesBefore(text, join.punctuation);
            } else {
                DeleteSpacesAfter(text, join.punctuation);
            }
        });
    }
}

int32_t CompressScriptBlock(Engine& engine, Text& block) {
    const OptionBlock& options = engine.options;
    const bool lf_only = engine.run.lf_only;
    const std::string_view line_end = lf_only ? "\n" : "\r\n";
    const int32_t whole = Len(block);
    const ScriptLanguage language = GuessScriptLanguage(block, lf_only);
    if (options.ScriptSpaces) {
        const int32_t before = Len(block);
        RemoveChar(block, '\t');
        TrimLineEdges(block, lf_only);
        if (language == ScriptLanguage::kJavaScript) {
            block = TrimCharRight(TrimCharLeft(block, ' '), ' ');
        } else if (language == ScriptLanguage::kVBScript) {
            RemoveVBScriptOperatorSpaces(block, options.ScriptComments != 0);
        }
        Charge(engine, block, kSlotScriptSpaces, before);
    }
    if (options.ScriptComments) {
        const int32_t before = Len(block);
        if (language == ScriptLanguage::kJavaScript) RemoveCodeComments(block, false);
        if (language == ScriptLanguage::kVBScript) RemoveVBScriptComments(block, lf_only);
        Charge(engine, block, kSlotScriptComments, before);
    }
    if (options.ScriptLines) {
        const int32_t before = Len(block);
        if (language == ScriptLanguage::kVBScript) {
            ReplaceAll(block, Text("<%") + Text(line_end), "<%");
        }
        CollapseRuns(block, line_end);
        Charge(engine, block, kSlotScriptLines, before);
    }
    if (options.ScriptEOLs) {
        const int32_t before = Len(block);
        CarriageReturnsToLineFeeds(block);
        Charge(engine, block, kSlotScriptEOLs, before);
    }
    Yield(engine);
    Charge(engine, block, kSlotScripts, whole);
    return 0;
}

void CompressStyleBlock(Engine& engine, Text& block) {
    const OptionBlock& options = engine.options;
    if (!options.CompressStyleSheets) return;
    const bool lf_only = engine.run.lf_only;
    const int32_t whole = Len(block);
    if (options.StripComments) RemoveCodeComments(block, true);
    Yield(engine);
    if (options.OptimizeLines) BreakStyleLines(block, lf_only, engine.run.wrap_column);
    if (options.CRLFToLF && !lf_only) CarriageReturnsToLineFeeds(block);
    Yield(engine);
    if (options.StripSpaces) CompressStyleSpaces(block, lf_only);
    Charge(engine, block, kSlotStyleSheets, whole);
}

void CompressASPDocument(Engine& engine, Text& document) {
    const OptionBlock& options = engine.options;
    const int32_t start = Len(document);
    if (options.ScriptSpaces) {
        for (const Replacement& r : kASPSpaceJoins)
            ReplaceAll(document, r.from, r.to);
    }
    Charge(engine, document, kSlotStyleSheets, start);
    const int32_t middle = Len(document);
    if (options.ScriptLines) {
        for (const Replacement& r : kASPLineJoins)
            ReplaceAll(document, r.from, r.to);
    }
    Charge(engine, document, kSlotScriptSpaces, middle);
    Yield(engine);
}

}  // namespace tsqz
