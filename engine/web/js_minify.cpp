// Script minification: a JavaScript tokenizer (regular expressions versus division by the
// token before, templates with nested substitutions, HTML-like comments), then a writer that
// keeps a line end only where automatic semicolon insertion could have used it and a space
// only where two tokens would run together.
#include "web/js_minify.h"

#include "text/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace tsqz::web {
namespace {

// ---------------------------------------------------------------------------------------
// Rules as data.

// Punctuators, longest first within each first byte (the tokenizer takes the longest match).
constexpr std::string_view kPunctuators[] = {
    ">>>=", "...", "===", "!==", "**=", "<<=", ">>=", ">>>", "&&=", "||=", "?\?=",
    "=>", "==", "!=", "<=", ">=", "&&", "||", "??", "?.", "++", "--", "+=", "-=", "*=", "/=",
    "%=", "&=", "|=", "^=", "<<", ">>", "**",
    "{", "}", "(", ")", "[", "]", ";", ",", "<", ">", "+", "-", "*", "/", "%", "&", "|", "^",
    "!", "~", "?", ":", "=", ".", "@",
};

// Words after which a "/" begins a regular expression rather than a division.
constexpr std::string_view kRegexAfterWords[] = {
    "return", "typeof", "instanceof", "in", "of", "new", "delete", "void", "throw", "case",
    "do", "else", "yield", "await", "extends",
};

// Words that can never end a statement: a line end after them is only white space.
constexpr std::string_view kCannotEndWords[] = {
    "var", "const", "in", "instanceof", "typeof", "new", "delete", "void", "else", "case", "do",
    "function", "class", "extends", "if", "for", "while", "switch", "try", "catch", "finally",
    "with", "export", "import",
};

// Words after which a line end may end the statement by itself (restricted productions and
// contextual keywords whose meaning a line end changes).
constexpr std::string_view kLineEndSensitiveWords[] = {
    "return", "break", "continue", "throw", "yield", "async", "await", "let", "get", "set",
    "static", "accessor",
};

// Punctuators that cannot begin a statement, so a line end before them is never an automatic
// semicolon (except after the words above): they continue the expression.
constexpr std::string_view kContinuingPunctuators[] = {
    ".", "?.", ",", "?", ":", ";", ")", "]", "}", "(", "[", "=", "==", "===", "!=", "!==",
    "<", ">", "<=", ">=", "<<", ">>", ">>>", "+", "-", "*", "**", "/", "%", "&", "|", "^",
    "&&", "||", "??", "+=", "-=", "*=", "/=", "%=", "**=", "<<=", ">>=", ">>>=", "&=", "|=",
    "^=", "&&=", "||=", "?\?=",
};

// Punctuators after a value that would bind it tighter than a unary operator before it (or
// that a unary expression cannot stand before): "true" stays "true" before them.
constexpr std::string_view kBindsBeforeUnary[] = {
    ".", "?.", "[", "(", "**", "=>", "++", "--", "=", "+=", "-=", "*=", "/=", "%=", "**=",
    "<<=", ">>=", ">>>=", "&=", "|=", "^=", "&&=", "||=", "?\?=",
};

// Reserved words (and the literals), which a property name keeps its quotes for.
constexpr std::string_view kReservedWords[] = {
    "await", "break", "case", "catch", "class", "const", "continue", "debugger", "default",
    "delete", "do", "else", "enum", "export", "extends", "false", "finally", "for", "function",
    "if", "implements", "import", "in", "instanceof", "interface", "let", "new", "null",
    "package", "private", "protected", "public", "return", "static", "super", "switch", "this",
    "throw", "true", "try", "typeof", "var", "void", "while", "with", "yield",
};

// Tokens after which a "(" opens a group: an operand follows them, so the parenthesis is
// neither a call's nor a statement's. Not "{", ";", "}" or a statement's start (a string
// there may be a directive).
constexpr std::string_view kGroupAfterWords[] = {"return", "typeof", "void", "delete", "throw",
                                                 "case", "in", "instanceof"};
constexpr std::string_view kGroupAfterPunctuators[] = {
    "=", "(", ",", "[", ":", "?", "=>", "==", "===", "!=", "!==", "&&", "||", "??", "*", "/",
    "%", "+", "-", "**", "<", ">", "<=", ">=", "&", "|", "^", "!", "~", "+=", "-=", "*=", "/=", "%=", "**=",
    "<<=", ">>=", ">>>=", "&=", "|=", "^=", "&&=", "||=", "?\?=", "<<", ">>", ">>>", "...",
};

// Words that may open the parenthesis of a condition, after which a statement follows.
constexpr std::string_view kConditionWords[] = {"if", "while", "for", "with", "switch", "catch"};

// Words after which "{" opens a block statement.
constexpr std::string_view kBlockWords[] = {"else", "do", "try", "finally", "catch"};

// Words after which "function" or "class" begins a declaration.
constexpr std::string_view kDeclarationAfterWords[] = {"else", "do", "default", "export"};

// JavaScript MIME types (matched ignoring ASCII case, after trimming white space).
constexpr std::string_view kJavaScriptTypes[] = {
    "application/ecmascript", "application/javascript", "application/x-ecmascript",
    "application/x-javascript", "text/ecmascript", "text/javascript", "text/javascript1.0",
    "text/javascript1.1", "text/javascript1.2", "text/javascript1.3", "text/javascript1.4",
    "text/javascript1.5", "text/jscript", "text/livescript", "text/x-ecmascript",
    "text/x-javascript",
};
constexpr std::string_view kJsonTypes[] = {
    "application/json", "application/ld+json", "importmap", "speculationrules",
    "text/json", "application/manifest+json",
};

template <size_t N>
bool InList(const std::string_view (&list)[N], std::string_view s) {
    return std::find(std::begin(list), std::end(list), s) != std::end(list);
}

// ---------------------------------------------------------------------------------------
// Token numbers. The tokenizer numbers every punctuator by its place in kPunctuators and every
// word the rules name by its place in kKnownWords, so the rules compare numbers and test bits
// of sets instead of comparing texts.

static_assert(std::size(kPunctuators) <= 64, "a punctuator set is one 64-bit word");

// Reserved words first, then the contextual words the rules name.
constexpr std::string_view kContextualWords[] = {"async", "get", "set", "accessor", "of", "as"};
constexpr size_t kKnownWordCount = std::size(kReservedWords) + std::size(kContextualWords);
static_assert(kKnownWordCount < 64, "a word set is one 64-bit word, 0 for other words");

constexpr std::string_view KnownWord(size_t k) {
    return k < std::size(kReservedWords) ? kReservedWords[k]
                                         : kContextualWords[k - std::size(kReservedWords)];
}

// The number of a punctuator or a known word; a text that is neither does not compile.
consteval uint8_t PunctuatorNumber(std::string_view p) {
    for (size_t k = 0; k < std::size(kPunctuators); ++k)
        if (kPunctuators[k] == p) return static_cast<uint8_t>(k);
    throw "not a punctuator";
}
consteval uint8_t WordNumber(std::string_view w) {
    for (size_t k = 0; k < kKnownWordCount; ++k)
        if (KnownWord(k) == w) return static_cast<uint8_t>(k + 1);
    throw "not a known word";
}
// Written as the text itself where a rule names one punctuator or word.
struct Punctuator {
    uint8_t number;
    consteval Punctuator(const char* p) : number(PunctuatorNumber(p)) {}
};
struct KnownName {
    uint8_t number;
    consteval KnownName(const char* w) : number(WordNumber(w)) {}
};

// A set of punctuators or of known words, as bits by number.
using TokenSet = uint64_t;
template <size_t N>
consteval TokenSet PunctuatorSet(const std::string_view (&list)[N]) {
    TokenSet set = 0;
    for (std::string_view p : list) set |= TokenSet{1} << PunctuatorNumber(p);
    return set;
}
template <size_t N>
consteval TokenSet WordSet(const std::string_view (&list)[N]) {
    TokenSet set = 0;
    for (std::string_view w : list) set |= TokenSet{1} << WordNumber(w);
    return set;
}
bool InSet(TokenSet set, uint8_t number) { return (set >> number) & 1; }

constexpr TokenSet kRegexAfterWordSet = WordSet(kRegexAfterWords);
constexpr TokenSet kCannotEndWordSet = WordSet(kCannotEndWords);
constexpr TokenSet kLineEndSensitiveWordSet = WordSet(kLineEndSensitiveWords);
constexpr TokenSet kReservedWordSet = WordSet(kReservedWords);
constexpr TokenSet kGroupAfterWordSet = WordSet(kGroupAfterWords);
constexpr TokenSet kConditionWordSet = WordSet(kConditionWords);
constexpr TokenSet kBlockWordSet = WordSet(kBlockWords);
constexpr TokenSet kDeclarationAfterWordSet = WordSet(kDeclarationAfterWords);
constexpr TokenSet kContinuingPunctuatorSet = PunctuatorSet(kContinuingPunctuators);
constexpr TokenSet kBindsBeforeUnarySet = PunctuatorSet(kBindsBeforeUnary);
constexpr TokenSet kGroupAfterPunctuatorSet = PunctuatorSet(kGroupAfterPunctuators);

// Known words are looked up in an open-addressed table by a hash of their length and three
// of their letters; a slot holds a word's number, 0 when empty.
constexpr size_t kWordTableSize = 256;
constexpr size_t WordHash(std::string_view w) {
    return (w.size() * 7 + static_cast<unsigned char>(w[0]) * 31 +
            static_cast<unsigned char>(w[1]) * 5 + static_cast<unsigned char>(w.back())) %
           kWordTableSize;
}
constexpr auto kWordTable = [] {
    std::array<uint8_t, kWordTableSize> table{};
    for (size_t k = 0; k < kKnownWordCount; ++k) {
        size_t h = WordHash(KnownWord(k));
        while (table[h] != 0) h = (h + 1) % kWordTableSize;
        table[h] = static_cast<uint8_t>(k + 1);
    }
    return table;
}();

// The number of a known word, or 0.
uint8_t WordNumberOf(std::string_view w) {
    if (w.size() < 2 || w.size() > 10 || w[0] < 'a' || w[0] > 'z') return 0;
    for (size_t h = WordHash(w); kWordTable[h] != 0; h = (h + 1) % kWordTableSize) {
        const std::string_view known = KnownWord(kWordTable[h] - 1);
        if (known.size() != w.size()) continue;
        size_t k = 0;  // a few bytes, compared inline
        while (k < w.size() && known[k] == w[k]) ++k;
        if (k == w.size()) return kWordTable[h];
    }
    return 0;
}

bool IsReservedWord(std::string_view w) { return InSet(kReservedWordSet, WordNumberOf(w)); }

// The punctuators by their first byte, longest first (the tokenizer takes the longest
// match): the tokenizer tries only those that can match.
struct PunctuatorsByByte {
    std::array<uint8_t, 256> first{};  // where a byte's list begins in numbers
    std::array<uint8_t, 256> count{};
    std::array<uint8_t, std::size(kPunctuators)> numbers{};
};
constexpr PunctuatorsByByte kPunctuatorsByByte = [] {
    PunctuatorsByByte by{};
    size_t next = 0;
    for (size_t c = 0; c < 256; ++c) {
        by.first[c] = static_cast<uint8_t>(next);
        for (size_t k = 0; k < std::size(kPunctuators); ++k)  // kPunctuators is longest first
            if (static_cast<unsigned char>(kPunctuators[k][0]) == c) by.numbers[next++] = static_cast<uint8_t>(k);
        by.count[c] = static_cast<uint8_t>(next - by.first[c]);
    }
    return by;
}();

// Whether punctuator |a| written right before punctuator |b| would read as a longer one:
// bit b of row a.
constexpr auto kPunctuatorsJoin = [] {
    std::array<TokenSet, std::size(kPunctuators)> join{};
    for (size_t a = 0; a < std::size(kPunctuators); ++a) {
        const std::string_view pa = kPunctuators[a];
        for (std::string_view p : kPunctuators) {
            if (p.size() <= pa.size() || !p.starts_with(pa)) continue;
            const std::string_view rest = p.substr(pa.size());  // what |b| would have to begin with
            for (size_t b = 0; b < std::size(kPunctuators); ++b)
                if (rest.size() <= 3 && kPunctuators[b].starts_with(rest)) join[a] |= TokenSet{1} << b;
        }
    }
    return join;
}();

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (Lower(a[k]) != Lower(b[k])) return false;
    return true;
}

// ---------------------------------------------------------------------------------------
// Tokens.

enum class JsTok : uint8_t {
    Word, Number, String, Regex, Punct, PrivateName, Hashbang, KeptComment,
    TemplateWhole, TemplateHead, TemplateMiddle, TemplateTail,
};

// What a "{" opened (and so what its "}" closes).
enum class Brace : uint8_t { Block, Expression, ArrowBody, FunctionBody };
// What a "(" or "[" opened.
enum class Paren : uint8_t { Condition, Parameters, Other, Bracket };

// Where a name or string stands, as far as its spelling may change there.
enum class Place : uint8_t {
    Plain,
    BraceItem,   // right after "{" or "," directly inside braces: in an object literal a
                 // property name, else a block's or an import or export list's item
    ObjectItem,  // the same where the braces are an object literal's (or pattern's)
    ClassBody,   // directly inside a class body: a member's name or its initializer
};

struct JsToken {
    JsTok kind;
    bool line_before;  // a line terminator lies between the previous token and this one
    bool free_after;   // ends a block statement or a condition: a line end after it is free
    bool line_comment; // a kept comment that runs to the end of its line
    bool arrow_body;   // the "}" of an arrow function's body: nothing may continue it
    bool params_end;   // the ")" of a function's parameters: only its body's "{" follows
    bool property;     // a name after "." or "?.": a property's, never a keyword
    Place place;
    uint8_t number;    // a punctuator's or known word's number (0 for other words); for a
                       // string literal 1 when it holds a backslash
    uint32_t begin;
    uint32_t end;
};

constexpr bool IsAsciiIdentCharTest(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '$';
}
constexpr auto kAsciiIdentChars = [] {
    std::array<bool, 256> chars{};
    for (size_t c = 0; c < 256; ++c) chars[c] = IsAsciiIdentCharTest(static_cast<unsigned char>(c));
    return chars;
}();
bool IsAsciiIdentChar(unsigned char c) { return kAsciiIdentChars[c]; }

// ASCII bytes that begin a token at once: none of white space, a line end or a comment ("/",
// and "<" and "-" for HTML-like comments) can begin with them.
constexpr auto kBeginsToken = [] {
    std::array<bool, 256> begins{};
    for (size_t c = 0; c < 0x80; ++c) begins[c] = true;
    for (unsigned char c : {' ', '\t', '\v', '\f', '\n', '\r', '/', '<', '-'}) begins[c] = false;
    return begins;
}();

// A view of s[begin, end) without the bounds check of substr (the tokens' bounds are s's).
std::string_view Slice(std::string_view s, size_t begin, size_t end) {
    return std::string_view(s.data() + begin, end - begin);
}

// Whether any of the eight bytes of |x| is |b|, or below |limit| (at most 0x80).
constexpr uint64_t kEveryByte = 0x0101010101010101ull, kHighBits = 0x8080808080808080ull;
bool HasByte(uint64_t x, unsigned char b) {
    const uint64_t y = x ^ (kEveryByte * b);
    return ((y - kEveryByte) & ~y & kHighBits) != 0;
}
bool HasByteBelow(uint64_t x, unsigned char limit) {
    return ((x - kEveryByte * limit) & ~x & kHighBits) != 0;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

// Reads a script token by token and hands each one, complete, to |sink| (sink.Take(token))
// as soon as it is read, so no list of the script's tokens is ever held: the tokenizer itself
// only looks back at the last few code tokens. When Run returns false the sink has had the
// tokens up to the point where reading stopped, and the caller drops what it made of them.
template <class Sink>
class Tokenizer {
public:
    Tokenizer(std::string_view s, bool module, Sink& sink) : s_(s), module_(module), sink_(sink) {}

    bool Run() {
        if (s_.substr(0, 2) == "#!") {
            size_t e = 0;
            while (e < s_.size() && !LineTerminatorAt(e)) ++e;
            p_ = e;
            Push(JsTok::Hashbang, 0, static_cast<uint32_t>(e));
        }
        while (SkipSpaceAndComments()) {
            if (!NextToken()) return false;
        }
        return !failed_ && stack_.empty();
    }

private:
    unsigned char At(size_t k) const {
        return k < s_.size() ? static_cast<unsigned char>(s_[k]) : 0;
    }
    bool End(size_t k) const { return k >= s_.size(); }

    // Byte length of a line terminator at |k| (LF, CR, U+2028, U+2029), or 0.
    size_t LineTerminatorAt(size_t k) const {
        const unsigned char c = At(k);
        if (End(k)) return 0;
        if (c == '\n' || c == '\r') return 1;
        if (c == 0xE2 && At(k + 1) == 0x80 && (At(k + 2) == 0xA8 || At(k + 2) == 0xA9)) return 3;
        return 0;
    }
    // Byte length of white space other than a line terminator at |k|, or 0.
    size_t SpaceAt(size_t k) const {
        const unsigned char c = At(k);
        if (End(k)) return 0;
        if (c == ' ' || c == '\t' || c == '\v' || c == '\f') return 1;
        if (c < 0x80) return 0;
        const unsigned char c1 = At(k + 1), c2 = At(k + 2);
        if (c == 0xC2 && c1 == 0xA0) return 2;                                   // U+00A0
        if (c == 0xEF && c1 == 0xBB && c2 == 0xBF) return 3;                     // U+FEFF
        if (c == 0xE1 && c1 == 0x9A && c2 == 0x80) return 3;                     // U+1680
        if (c == 0xE2 && c1 == 0x80 && (c2 <= 0x8A || c2 == 0xAF) && c2 >= 0x80) return 3;
        if (c == 0xE2 && c1 == 0x81 && c2 == 0x9F) return 3;                     // U+205F
        if (c == 0xE3 && c1 == 0x80 && c2 == 0x80) return 3;                     // U+3000
        return 0;
    }
    bool IdentCharAt(size_t k) const {
        const unsigned char c = At(k);
        if (End(k)) return false;
        if (c < 0x80) return IsAsciiIdentChar(c) || c == '\\';
        return SpaceAt(k) == 0 && LineTerminatorAt(k) == 0;
    }

    // Inline at each place a token is read: the call and the packing of its arguments cost
    // more than the copies of the code.
    [[gnu::always_inline]] void Push(JsTok kind, uint32_t begin, uint32_t end,
                                     bool line_comment = false, bool free_after = false,
                                     bool arrow_body = false, bool params_end = false,
                                     uint8_t number = 0) {
        const JsToken t{kind, line_before_, free_after, line_comment, arrow_body, params_end,
                        kind == JsTok::Word && AfterMemberAccess(),
                        PlaceOf(kind), number, begin, end};
        if (kind != JsTok::KeptComment && kind != JsTok::Hashbang) {
            recent_[recent_next_] = t;
            recent_next_ = (recent_next_ + 1) & (kRecent - 1);
            recent_count_ = std::min(recent_count_ + 1, kRecent);
        }
        sink_.Take(t);
        line_before_ = false;
        at_line_start_ = false;
    }
    void SkipToLineEnd() {
        for (; !End(p_); ++p_) {
            const unsigned char c = static_cast<unsigned char>(s_[p_]);
            if (c == '\n' || c == '\r' || (c == 0xE2 && LineTerminatorAt(p_))) return;
        }
    }

    // Licence comments stay: "/*!", "@license", "@preserve", and "/*@" (conditional
    // compilation, which old browsers execute).
    static bool KeepComment(std::string_view c) {
        return (c[1] == '*' && c.size() > 2 && (c[2] == '!' || c[2] == '@')) ||
               c.find("@license") != std::string_view::npos ||
               c.find("@preserve") != std::string_view::npos;
    }

    // Skips white space and comments; returns false at the end of the text.
    bool SkipSpaceAndComments() {
        while (!End(p_)) {
            const unsigned char b = static_cast<unsigned char>(s_[p_]);
            if (b == ' ' || b == '\t') {  // the common white space, without the general tests
                ++p_;
                continue;
            }
            if (kBeginsToken[b]) return true;  // no space, line end or comment can begin here
            if (size_t n = LineTerminatorAt(p_)) {
                p_ += n;
                line_before_ = at_line_start_ = true;
                continue;
            }
            if (size_t n = SpaceAt(p_)) {
                p_ += n;
                continue;
            }
            const unsigned char c = At(p_);
            const bool html_open = !module_ && c == '<' && s_.substr(p_, 4) == "<!--";
            const bool html_close = !module_ && at_line_start_ && c == '-' &&
                                    s_.substr(p_, 3) == "-->";
            if ((c == '/' && At(p_ + 1) == '/') || html_open || html_close) {
                const size_t begin = p_;
                SkipToLineEnd();
                if (c == '/' && KeepComment(Slice(s_, begin, p_))) {
                    Push(JsTok::KeptComment, static_cast<uint32_t>(begin), static_cast<uint32_t>(p_),
                         /*line_comment=*/true);
                }
                continue;
            }
            if (c == '/' && At(p_ + 1) == '*') {
                const size_t close = s_.find("*/", p_ + 2);
                if (close == std::string_view::npos) { failed_ = true; return false; }
                const std::string_view body = Slice(s_, p_, close + 2);
                for (size_t k = p_; k < close; ++k) {
                    const unsigned char c = static_cast<unsigned char>(s_[k]);
                    if (c == '\n' || c == '\r' || (c == 0xE2 && LineTerminatorAt(k))) {
                        line_before_ = true;
                        break;
                    }
                }
                const bool line_start = at_line_start_ || line_before_;
                if (KeepComment(body)) {
                    const bool line = line_before_;
                    Push(JsTok::KeptComment, static_cast<uint32_t>(p_), static_cast<uint32_t>(close + 2));
                    line_before_ = line;  // the next token still follows that line end
                }
                at_line_start_ = line_start;
                p_ = close + 2;
                continue;
            }
            return true;
        }
        return false;
    }

    // Where a name or string about to be pushed stands (Plain for other tokens).
    Place PlaceOf(JsTok kind) const {
        if ((kind != JsTok::Word && kind != JsTok::String) || stack_.empty()) return Place::Plain;
        if (!class_bodies_.empty() && class_bodies_.back() + 1 == stack_.size()) return Place::ClassBody;
        const uint8_t frame = stack_.back();
        if (frame > kFunctionBodyFrame) return Place::Plain;  // not inside braces
        const JsToken* prev = Previous();
        if (!IsPunct(prev, "{") && !IsPunct(prev, ",")) return Place::Plain;
        return frame == kExpressionFrame ? Place::ObjectItem : Place::BraceItem;
    }

    // The last token that is code (not a kept comment), or the one |skip| code tokens before
    // it (skip < kRecent), or nullptr.
    const JsToken* Previous(size_t skip = 0) const {
        if (skip >= recent_count_) return nullptr;
        return &recent_[(recent_next_ + kRecent - 1 - skip) & (kRecent - 1)];
    }
    std::string_view Text(const JsToken& t) const { return Slice(s_, t.begin, t.end); }
    static bool IsPunct(const JsToken* t, Punctuator p) {
        return t && t->kind == JsTok::Punct && t->number == p.number;
    }
    static bool IsWord(const JsToken* t, KnownName w) {
        return t && t->kind == JsTok::Word && t->number == w.number;
    }
    // Whether the last code token is "." or "?." (so a name now is a property's).
    bool AfterMemberAccess() const {
        const JsToken* t = Previous();
        return IsPunct(t, ".") || IsPunct(t, "?.");
    }

    bool RegexAllowed() const {
        const JsToken* prev = Previous();
        if (!prev) return true;
        switch (prev->kind) {
            case JsTok::Word:
                return !AfterDot() && InSet(kRegexAfterWordSet, prev->number);
            case JsTok::Punct: {
                // After an arrow function's body nothing can continue the expression, so a
                // "/" there begins a statement (after an automatic semicolon).
                if (IsPunct(prev, ")") || IsPunct(prev, "}")) return prev->free_after || prev->arrow_body;
                return !IsPunct(prev, "]") && !IsPunct(prev, "++") && !IsPunct(prev, "--");
            }
            case JsTok::TemplateHead:
            case JsTok::TemplateMiddle:
                return true;
            default:
                return false;
        }
    }

    // Whether |t| can be the last token of a statement (so a line end after it may be an
    // automatic semicolon).
    bool CanEndStatement(const JsToken& t) const {
        if (t.kind == JsTok::Word) return t.property || !InSet(kCannotEndWordSet, t.number);
        if (t.kind != JsTok::Punct) return t.kind != JsTok::TemplateHead && t.kind != JsTok::TemplateMiddle;
        return IsPunct(&t, ")") || IsPunct(&t, "]") || IsPunct(&t, "}") || IsPunct(&t, "++") ||
               IsPunct(&t, "--");
    }

    // Whether the token before starts a statement position (a declaration may follow). After
    // a line end that follows a possible end of statement, a "{", "function" or "class" that
    // could not continue the expression begins a statement of its own.
    bool StatementStart(const JsToken* prev, bool line_before) const {
        if (!prev) return true;
        if (line_before && CanEndStatement(*prev)) return true;
        if (prev->kind == JsTok::Word) return InSet(kDeclarationAfterWordSet, prev->number);
        if (prev->kind != JsTok::Punct) return false;
        if (IsPunct(prev, ";")) return true;
        if (IsPunct(prev, "}") || IsPunct(prev, ")")) return prev->free_after;
        // Inside a block or any function body statements follow one another.
        if (IsPunct(prev, "{"))
            return !stack_.empty() && (stack_.back() == kBlockFrame ||
                                       stack_.back() == kArrowBodyFrame ||
                                       stack_.back() == kFunctionBodyFrame);
        return false;
    }

    Brace BraceKind(const JsToken* prev) {
        if (class_body_pending_ && class_depth_ == stack_.size()) {
            class_body_pending_ = false;
            return class_is_declaration_ ? Brace::Block : Brace::Expression;
        }
        // After ")": a condition's or a declaration's body is a block, a function
        // expression's body is not; after a call's ")" only a line end makes it a block.
        if (prev && IsPunct(prev, ")") && !paren_was_call_)
            return body_after_paren_ == Brace::Block ? Brace::Block : Brace::FunctionBody;
        if (prev && IsPunct(prev, "=>")) return Brace::ArrowBody;
        if (StatementStart(prev, line_before_)) return Brace::Block;
        if (prev && prev->kind == JsTok::Word && InSet(kBlockWordSet, prev->number)) return Brace::Block;
        // After a call's ")" only a method's body can follow on the same line.
        if (prev && IsPunct(prev, ")")) return Brace::FunctionBody;
        return Brace::Expression;
    }

    bool NextToken() {
        const unsigned char c = At(p_);
        const uint32_t begin = static_cast<uint32_t>(p_);
        // A name that begins with an ASCII letter, "_" or "$", the commonest token, first.
        const bool plain_name = c < 0x80 && IsAsciiIdentChar(c) && !IsDigit(c);
        if (!plain_name) {
            if (c == '"' || c == '\'') return String(c);
            if (c == '`') return Template(begin, true);
            if (IsDigit(c) || (c == '.' && IsDigit(At(p_ + 1)))) {
                Number();
                Push(JsTok::Number, begin, static_cast<uint32_t>(p_));
                return true;
            }
            if (c == '#' && IdentCharAt(p_ + 1)) {
                ++p_;
                Word();
                if (failed_) return false;
                Push(JsTok::PrivateName, begin, static_cast<uint32_t>(p_));
                return true;
            }
        }
        if (plain_name || (IdentCharAt(p_) && !IsDigit(c))) {
            Word();
            if (failed_) return false;
            const uint8_t number = WordNumberOf(Slice(s_, begin, p_));
            Push(JsTok::Word, begin, static_cast<uint32_t>(p_), false, false, false, false, number);
            OnWord(number);
            return true;
        }
        if (c == '/' && RegexAllowed()) return Regex();
        const size_t first = kPunctuatorsByByte.first[c];
        for (size_t k = first; k < first + kPunctuatorsByByte.count[c]; ++k) {
            const uint8_t number = kPunctuatorsByByte.numbers[k];
            const std::string_view p = kPunctuators[number];
            // The first byte is c; only a longer punctuator's other bytes need a look (inline:
            // at most three).
            if (p.size() > 1) {
                if (s_.size() - p_ < p.size()) continue;
                size_t k = 1;
                while (k < p.size() && p[k] == s_[p_ + k]) ++k;
                if (k < p.size()) continue;
            }
            if (number == Punctuator("?.").number && IsDigit(At(p_ + 2))) continue;
            p_ += p.size();
            return OnPunct(number, begin);
        }
        failed_ = true;
        return false;
    }

    // A name; a backslash in it must begin a \u escape of four hex digits or of hex digits in
    // braces, or the script is not read further.
    void Word() {
        while (p_ < s_.size() && IsAsciiIdentChar(static_cast<unsigned char>(s_[p_]))) ++p_;  // at once
        if (p_ < s_.size() && s_[p_] != '\\' && static_cast<unsigned char>(s_[p_]) < 0x80) return;
        while (IdentCharAt(p_)) {
            if (At(p_) == '\\') {
                ++p_;
                if (At(p_) != 'u') { failed_ = true; return; }
                ++p_;
                size_t digits = 0;
                if (At(p_) == '{') {
                    ++p_;
                    for (; !End(p_) && IsHexDigit(At(p_)); ++p_) ++digits;
                    if (digits == 0 || At(p_) != '}') { failed_ = true; return; }
                    ++p_;
                } else {
                    for (; digits < 4 && !End(p_) && IsHexDigit(At(p_)); ++p_) ++digits;
                    if (digits < 4) { failed_ = true; return; }
                }
                continue;
            }
            ++p_;
        }
    }

    // Whether the last word is a property name ("a.return"), not a keyword.
    bool AfterDot() const {
        const JsToken* before = Previous(1);
        return IsPunct(before, ".") || IsPunct(before, "?.");
    }

    void OnWord(uint8_t w) {
        const bool function = w == KnownName("function").number;
        if ((function || w == KnownName("class").number) && !AfterDot()) {
            const JsToken* prev = Previous(1);
            bool line = Previous()->line_before;
            if (IsWord(prev, "async")) {
                line = prev->line_before;
                prev = Previous(2);
            }
            const bool declaration = StatementStart(prev, line);
            if (function) {
                function_pending_ = true;
                function_is_declaration_ = declaration;
            } else {
                class_body_pending_ = true;
                class_is_declaration_ = declaration;
                class_depth_ = stack_.size();
            }
        }
    }

    void Number() {
        if (At(p_) == '0' && (Lower(static_cast<char>(At(p_ + 1))) == 'x' ||
                              Lower(static_cast<char>(At(p_ + 1))) == 'o' ||
                              Lower(static_cast<char>(At(p_ + 1))) == 'b')) {
            p_ += 2;
            while (!End(p_) && (IsAsciiIdentChar(At(p_)))) ++p_;  // digits, "_" and "n"
            return;
        }
        auto digits = [&] { while (!End(p_) && (IsDigit(At(p_)) || At(p_) == '_')) ++p_; };
        digits();
        if (At(p_) == '.') { ++p_; digits(); }
        if (At(p_) == 'e' || At(p_) == 'E') {
            size_t k = p_ + 1;
            if (At(k) == '+' || At(k) == '-') ++k;
            if (IsDigit(At(k))) { p_ = k; digits(); }
        }
        if (At(p_) == 'n') ++p_;
    }

    bool String(unsigned char quote) {
        // Bytes that may end the string, escape something or end it too early.
        static constexpr std::array<bool, 256> kStops = [] {
            std::array<bool, 256> stops{};
            for (unsigned char c : {'"', '\'', '\n', '\r', '\\'}) stops[c] = true;
            return stops;
        }();
        const uint32_t begin = static_cast<uint32_t>(p_++);
        uint8_t backslash = 0;
        while (!End(p_)) {
            // Eight bytes at a time past those without the quote, a backslash or a control
            // character (where line ends are), then byte by byte to the stop.
            for (uint64_t x; p_ + 8 <= s_.size(); p_ += 8) {
                std::memcpy(&x, s_.data() + p_, 8);
                if (HasByte(x, quote) || HasByte(x, '\\') || HasByteBelow(x, 0x0E)) break;
            }
            while (p_ < s_.size() && !kStops[static_cast<unsigned char>(s_[p_])]) ++p_;
            if (End(p_)) break;
            const unsigned char c = At(p_);
            if (c == quote) {
                ++p_;
                Push(JsTok::String, begin, static_cast<uint32_t>(p_), false, false, false, false, backslash);
                return true;
            }
            if (c == '\n' || c == '\r') break;
            if (c == '\\') backslash = 1;
            if (c == '\\' && At(p_ + 1) == '\r' && At(p_ + 2) == '\n') p_ += 3;
            else p_ += c == '\\' ? 2 : 1;
        }
        failed_ = true;
        return false;
    }

    // Scans template characters from |begin| (a "`" or the "}" that ends a substitution).
    bool Template(uint32_t begin, bool opening) {
        ++p_;
        while (!End(p_)) {
            const unsigned char c = At(p_);
            if (c == '\\') { p_ += 2; continue; }
            if (c == '`') {
                ++p_;
                Push(opening ? JsTok::TemplateWhole : JsTok::TemplateTail, begin,
                     static_cast<uint32_t>(p_));
                return true;
            }
            if (c == '$' && At(p_ + 1) == '{') {
                p_ += 2;
                Push(opening ? JsTok::TemplateHead : JsTok::TemplateMiddle, begin,
                     static_cast<uint32_t>(p_));
                stack_.push_back(kSubstitutionFrame);
                return true;
            }
            ++p_;
        }
        failed_ = true;
        return false;
    }

    bool Regex() {
        const uint32_t begin = static_cast<uint32_t>(p_++);
        bool in_class = false;
        while (!End(p_)) {
            if (LineTerminatorAt(p_)) break;
            const unsigned char c = At(p_);
            if (c == '\\') {
                ++p_;
                if (End(p_) || LineTerminatorAt(p_)) break;
                ++p_;
                continue;
            }
            ++p_;
            if (c == '[') in_class = true;
            else if (c == ']') in_class = false;
            else if (c == '/' && !in_class) {
                while (IdentCharAt(p_)) ++p_;
                Push(JsTok::Regex, begin, static_cast<uint32_t>(p_));
                return true;
            }
        }
        failed_ = true;
        return false;
    }

    // Frames of the bracket stack: a brace of each kind, or a parenthesis or bracket.
    // A function expression's or method's body holds statements but ends an expression.
    static constexpr uint8_t kBlockFrame = 1, kExpressionFrame = 2, kArrowBodyFrame = 3,
                             kFunctionBodyFrame = 4, kSubstitutionFrame = 5,
                             kConditionFrame = 6, kDeclarationParamsFrame = 7,
                             kExpressionParamsFrame = 8, kParenFrame = 9, kBracketFrame = 10;

    bool OnPunct(uint8_t number, uint32_t begin) {
        const auto is = [number](Punctuator p) { return number == p.number; };
        const JsToken* prev = Previous();
        // "function" not followed by its name and parameters is a property's name.
        if (function_pending_ && !is("(") && !is("*")) function_pending_ = false;
        if (is("{")) {
            if (class_body_pending_ && class_depth_ == stack_.size()) class_bodies_.push_back(stack_.size());
            const Brace kind = BraceKind(prev);
            stack_.push_back(kind == Brace::Block          ? kBlockFrame
                             : kind == Brace::ArrowBody    ? kArrowBodyFrame
                             : kind == Brace::FunctionBody ? kFunctionBodyFrame
                                                           : kExpressionFrame);
            body_after_paren_ = Brace::Expression;
        } else if (is("(")) {
            uint8_t frame = kParenFrame;
            if (prev && prev->kind == JsTok::Word && InSet(kConditionWordSet, prev->number))
                frame = kConditionFrame;
            else if (function_pending_)
                frame = function_is_declaration_ ? kDeclarationParamsFrame : kExpressionParamsFrame;
            function_pending_ = false;
            stack_.push_back(frame);
        } else if (is("[")) {
            stack_.push_back(kBracketFrame);
        } else if (is("}") || is(")") || is("]")) {
            if (stack_.empty()) { failed_ = true; return false; }
            const uint8_t frame = stack_.back();
            stack_.pop_back();
            if (!class_bodies_.empty() && class_bodies_.back() == stack_.size()) class_bodies_.pop_back();
            if (is("}") && frame == kSubstitutionFrame) {
                --p_;
                return Template(begin, false);
            }
            const bool brace = frame <= kFunctionBodyFrame;
            const bool bracket = frame == kBracketFrame;
            if (is("}") != brace || is("]") != bracket) { failed_ = true; return false; }
            Push(JsTok::Punct, begin, static_cast<uint32_t>(p_), false,
                 /*free_after=*/frame == kBlockFrame || frame == kConditionFrame,
                 /*arrow_body=*/frame == kArrowBodyFrame,
                 /*params_end=*/frame == kDeclarationParamsFrame || frame == kExpressionParamsFrame,
                 number);
            body_after_paren_ = frame == kConditionFrame || frame == kDeclarationParamsFrame
                                    ? Brace::Block : Brace::Expression;
            paren_was_call_ = frame == kParenFrame;
            return true;
        }
        Push(JsTok::Punct, begin, static_cast<uint32_t>(p_), false, false, false, false, number);
        return true;
    }

    std::string_view s_;
    bool module_;
    Sink& sink_;
    size_t p_ = 0;
    // The last code tokens read, oldest first from recent_next_: what Previous looks at.
    static constexpr size_t kRecent = 4;  // a power of two
    std::array<JsToken, kRecent> recent_{};
    size_t recent_next_ = 0, recent_count_ = 0;
    std::vector<uint8_t> stack_;
    std::vector<size_t> class_bodies_;  // where in stack_ the open class bodies are
    bool failed_ = false;
    bool line_before_ = false;
    bool at_line_start_ = true;
    bool function_pending_ = false;
    bool function_is_declaration_ = false;
    bool class_body_pending_ = false;
    bool class_is_declaration_ = false;
    size_t class_depth_ = 0;
    Brace body_after_paren_ = Brace::Expression;
    bool paren_was_call_ = false;
};

// ---------------------------------------------------------------------------------------
// Literals: the shortest spelling of the same value. The string rules work on the escapes
// only; bytes written as they stand stay as they are (in any encoding).

int HexValue(unsigned char c) {
    if (IsDigit(c)) return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
}

// The value of the |n| hex digits at |k|, or -1 where one is not a hex digit.
long HexDigits(std::string_view s, size_t k, size_t n) {
    if (n == 0 || k + n > s.size()) return -1;
    long v = 0;
    for (size_t m = 0; m < n; ++m) {
        const int d = HexValue(static_cast<unsigned char>(s[k + m]));
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

// Byte length of a line terminator at |k| (LF, CR, CR LF, U+2028, U+2029), or 0.
size_t LineEndLength(std::string_view s, size_t k) {
    if (k >= s.size()) return 0;
    if (s[k] == '\r') return k + 1 < s.size() && s[k + 1] == '\n' ? 2 : 1;
    if (s[k] == '\n') return 1;
    return s.substr(k, 3) == "\xE2\x80\xA8" || s.substr(k, 3) == "\xE2\x80\xA9" ? 3 : 0;
}

// A piece of a string literal's body: source bytes kept as they stand, or the character one
// escape stands for.
struct StringPiece {
    bool escaped;
    uint32_t value;       // escaped: the character; raw: the first source byte
    uint32_t begin, end;  // raw: the source bytes
};

// Reads a string literal's body (quotes left out) into pieces. False where the body holds an
// escape whose value depends on the mode (legacy octal, "\8", "\9") or that is malformed: such
// a literal stays as written.
bool ReadStringPieces(std::string_view body, std::vector<StringPiece>& pieces) {
    pieces.clear();
    for (size_t k = 0; k < body.size();) {
        if (body[k] != '\\') {
            const size_t e = std::min(body.find('\\', k), body.size());
            pieces.push_back({false, 0, static_cast<uint32_t>(k), static_cast<uint32_t>(e)});
            k = e;
            continue;
        }
        if (size_t n = LineEndLength(body, k + 1)) {  // a line continuation stands for nothing
            k += 1 + n;
            continue;
        }
        if (k + 1 >= body.size()) return false;
        const unsigned char c = static_cast<unsigned char>(body[k + 1]);
        size_t next = k + 2;
        long value = c;  // "\\", "\'", "\"" and the other identity escapes
        switch (c) {
            case 'n': value = '\n'; break;
            case 'r': value = '\r'; break;
            case 't': value = '\t'; break;
            case 'b': value = '\b'; break;
            case 'f': value = '\f'; break;
            case 'v': value = '\v'; break;
            case '0':
                if (k + 2 < body.size() && IsDigit(static_cast<unsigned char>(body[k + 2]))) return false;
                value = 0;
                break;
            case 'x':
                value = HexDigits(body, k + 2, 2);
                next = k + 4;
                break;
            case 'u':
                if (k + 2 < body.size() && body[k + 2] == '{') {
                    const size_t close = body.find('}', k + 3);
                    if (close == std::string_view::npos || close - (k + 3) > 8) return false;
                    value = HexDigits(body, k + 3, close - (k + 3));
                    if (value > 0x10FFFF) return false;
                    next = close + 1;
                } else {
                    value = HexDigits(body, k + 2, 4);
                    next = k + 6;
                }
                break;
            default:
                if (IsDigit(c) || c >= 0x80) return false;  // octal, "\8", "\9"; escaped non-ASCII
        }
        if (value < 0) return false;
        pieces.push_back({true, static_cast<uint32_t>(value), 0, 0});
        k = next;
    }
    return true;
}

bool IsSurrogate(uint32_t cp, uint32_t first) { return cp >= first && cp < first + 0x400; }

// Whether a UTF-8 page may hold |cp| as it stands inside a string: not a control, a line
// terminator, a surrogate or a noncharacter.
bool RawInUtf8(uint32_t cp) {
    return cp >= 0xA0 && cp <= 0x10FFFF && cp != 0x2028 && cp != 0x2029 &&
           !IsSurrogate(cp, 0xD800) && !IsSurrogate(cp, 0xDC00) && !(cp >= 0xFDD0 && cp <= 0xFDEF) &&
           (cp & 0xFFFE) != 0xFFFE;
}

void AppendHexEscape(std::string& out, uint32_t cp) {
    static constexpr char kHex[] = "0123456789abcdef";
    if (cp < 0x100) {
        out += "\\x";
    } else if (cp < 0x10000) {
        out += "\\u";
        out += kHex[cp >> 12];
        out += kHex[(cp >> 8) & 15];
    } else {
        out += "\\u{";
        for (int shift = 20; shift >= 0; shift -= 4)
            if ((cp >> shift) != 0) out += kHex[(cp >> shift) & 15];
        out += '}';
        return;
    }
    out += kHex[(cp >> 4) & 15];
    out += kHex[cp & 15];
}

// Writes the character an escape stood for into a literal quoted with |quote|. In a SCRIPT
// element "<" and ">" keep an escape, and so does whatever follows a "<" closely enough to
// spell "<!--", "</" or "<script" with it. Raw non-ASCII only on a UTF-8 page and for a
// character that is neither a control, a line terminator nor a noncharacter.
void AppendStringChar(std::string& out, uint32_t cp, char quote, bool utf8, size_t body_begin) {
    if (cp == static_cast<unsigned char>(quote) || cp == '\\') {
        out += '\\';
        out += static_cast<char>(cp);
    } else if (cp == '\n') {
        out += "\\n";
    } else if (cp == '\r') {
        out += "\\r";
    } else if (cp == '\b') {
        out += "\\b";
    } else if (cp == '\f') {
        out += "\\f";
    } else if (cp == 0) {
        out += "\\0";  // becomes "\x00" when a digit follows (see AppendStringBytes)
    } else if (cp == '\t' || (cp >= 0x20 && cp < 0x7F && cp != '<' && cp != '>')) {
        const bool after_less_than =
            out.find('<', std::max(body_begin, out.size() >= 7 ? out.size() - 7 : 0)) != std::string::npos;
        if (after_less_than) AppendHexEscape(out, cp);
        else out += static_cast<char>(cp);
    } else if (utf8 && RawInUtf8(cp)) {
        AppendUtf8(out, cp);
    } else {
        AppendHexEscape(out, cp);
    }
}

// Appends source bytes, turning a "\0" just written into "\x00" when a digit follows it.
void AppendStringBytes(std::string& out, std::string_view bytes, char quote, size_t zero_end) {
    if (!bytes.empty() && IsDigit(static_cast<unsigned char>(bytes[0])) && out.size() == zero_end)
        out.insert(out.size() - 1, "x0");
    for (size_t k = 0; k < bytes.size();) {  // runs between quotes in one go
        const size_t q = std::min(bytes.find(quote, k), bytes.size());
        out.append(bytes.substr(k, q - k));
        if (q == bytes.size()) break;
        out += '\\';
        out += quote;
        k = q + 1;
    }
}

// The shortest spelling of a string literal with the same value, or |literal| itself. The
// quote is the one fewer characters of the value need escaping for (the literal's own on a
// tie). |pieces| is room for the literal's pieces, kept from one literal to the next.
std::string_view ShortestString(std::string_view literal, bool utf8, std::string& scratch,
                                std::vector<StringPiece>& pieces) {
    const std::string_view body = literal.substr(1, literal.size() - 2);
    if (body.find('\\') == std::string_view::npos) return literal;
    if (!ReadStringPieces(body, pieces)) return literal;
    long balance = 0;  // double quotes minus single quotes in the value
    for (const StringPiece& p : pieces) {
        if (p.escaped) {
            balance += (p.value == '"') - (p.value == '\'');
        } else {
            const std::string_view raw = body.substr(p.begin, p.end - p.begin);
            balance += std::count(raw.begin(), raw.end(), '"') - std::count(raw.begin(), raw.end(), '\'');
        }
    }
    const char quote = balance > 0 ? '\'' : balance < 0 ? '"' : literal[0];
    scratch.clear();
    scratch += quote;
    size_t zero_end = std::string::npos;  // where a "\0" ends
    for (size_t k = 0; k < pieces.size(); ++k) {
        const StringPiece& p = pieces[k];
        if (!p.escaped) {
            AppendStringBytes(scratch, body.substr(p.begin, p.end - p.begin), quote, zero_end);
            continue;
        }
        uint32_t cp = p.value;
        if (utf8 && IsSurrogate(cp, 0xD800) && k + 1 < pieces.size() && pieces[k + 1].escaped &&
            IsSurrogate(pieces[k + 1].value, 0xDC00)) {
            const uint32_t pair = 0x10000 + ((cp - 0xD800) << 10) + (pieces[k + 1].value - 0xDC00);
            if (RawInUtf8(pair)) {
                cp = pair;
                ++k;
            }
        }
        if (cp >= '0' && cp <= '9' && scratch.size() == zero_end) scratch.insert(scratch.size() - 1, "x0");
        AppendStringChar(scratch, cp, quote, utf8, 1);
        if (cp == 0 && scratch.back() == '0') zero_end = scratch.size();
    }
    scratch += quote;
    return scratch.size() < literal.size() ? std::string_view(scratch) : literal;
}

// The name a property-name string literal may be written as without its quotes: its value
// when that is an ASCII identifier that is no reserved word (old browsers do not read those
// as names) or a number in its canonical form ("0", "12"); else empty.
std::string_view PropertyNameWithoutQuotes(std::string_view literal) {
    const std::string_view v = literal.substr(1, literal.size() - 2);
    if (v.empty()) return {};
    const unsigned char first = static_cast<unsigned char>(v[0]);
    if (IsDigit(first)) {  // up to 15 digits: a double holds them exactly
        if ((first == '0' && v.size() > 1) || v.size() > 15) return {};
        return std::all_of(v.begin(), v.end(), [](char c) { return IsDigit(static_cast<unsigned char>(c)); })
                   ? v : std::string_view();
    }
    if (!std::all_of(v.begin(), v.end(), [](char c) { return IsAsciiIdentChar(static_cast<unsigned char>(c)); }))
        return {};
    return IsReservedWord(v) ? std::string_view() : v;
}

// The shortest spelling of a decimal number with the same value (digits, a point and an
// exponent moved, zeros dropped), or |literal| itself. Hex, octal, binary, big integers,
// separators and legacy octal ("010", "08") stay as written.
std::string_view ShortestNumber(std::string_view literal, std::string& scratch) {
    std::string digits;  // the significant digits; the value is digits * 10^exponent
    long exponent = 0;
    size_t k = 0;
    if (literal.size() > 1 && literal[0] == '0' && literal[1] != '.' && literal[1] != 'e' &&
        literal[1] != 'E')
        return literal;
    for (; k < literal.size() && IsDigit(static_cast<unsigned char>(literal[k])); ++k) digits += literal[k];
    if (k < literal.size() && literal[k] == '.') {
        for (++k; k < literal.size() && IsDigit(static_cast<unsigned char>(literal[k])); ++k) {
            digits += literal[k];
            --exponent;
        }
    }
    if (k < literal.size() && (literal[k] == 'e' || literal[k] == 'E')) {
        const size_t sign = ++k;
        if (k < literal.size() && (literal[k] == '+' || literal[k] == '-')) ++k;
        if (literal.size() - k > 6 || k == literal.size()) return literal;
        long e = 0;
        for (; k < literal.size() && IsDigit(static_cast<unsigned char>(literal[k])); ++k)
            e = e * 10 + (literal[k] - '0');
        exponent += literal[sign] == '-' ? -e : e;
    }
    if (k != literal.size()) return literal;  // "_", "n"
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        scratch = "0";
        return scratch.size() < literal.size() ? std::string_view(scratch) : literal;
    }
    digits.erase(0, first);
    while (digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    const long n = static_cast<long>(digits.size());
    std::string plain;  // without an exponent, when that is not longer than with one
    if (exponent >= 0) {
        if (exponent < 3) plain = digits + std::string(static_cast<size_t>(exponent), '0');
    } else if (-exponent < n) {
        plain = digits.substr(0, static_cast<size_t>(n + exponent)) + '.' +
                digits.substr(static_cast<size_t>(n + exponent));
    } else if (-exponent - n < 3) {
        plain = '.' + std::string(static_cast<size_t>(-exponent - n), '0') + digits;
    }
    scratch = digits;
    if (exponent != 0) scratch += 'e' + std::to_string(exponent);
    if (!plain.empty() && plain.size() <= scratch.size()) scratch = plain;
    return scratch.size() < literal.size() ? std::string_view(scratch) : literal;
}

// ---------------------------------------------------------------------------------------
// The writer.

// First bytes of a token that the rules below may need a space before whatever precedes:
// name bytes and ". + - ! / * >".
constexpr auto kMayJoinBefore = [] {
    std::array<bool, 256> may{};
    for (size_t c = 0; c < 256; ++c)
        may[c] = c >= 0x80 || c == '\\' || IsAsciiIdentCharTest(static_cast<unsigned char>(c));
    for (unsigned char c : {'.', '+', '-', '!', '/', '*', '>'}) may[c] = true;
    return may;
}();

// Copies |n| bytes, sizeof(Word) <= n <= 2 * sizeof(Word), as two moves of a Word that may
// overlap.
template <class Word>
void CopyAsTwoWords(char* to, const char* from, size_t n) {
    Word head, tail;
    std::memcpy(&head, from, sizeof(Word));
    std::memcpy(&tail, from + n - sizeof(Word), sizeof(Word));
    std::memcpy(to, &head, sizeof(Word));
    std::memcpy(to + n - sizeof(Word), &tail, sizeof(Word));
}

// Copies |n| bytes; up to sixteen (most tokens) by a few fixed-size moves, not a call.
void CopyBytes(char* to, const char* from, size_t n) {
    if (n > 16) {
        std::memcpy(to, from, n);
    } else if (n >= 8) {
        CopyAsTwoWords<uint64_t>(to, from, n);
    } else if (n >= 4) {
        CopyAsTwoWords<uint32_t>(to, from, n);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

// Writes the tokens it is handed, in order, with the separators they need. A code token is
// written when the token after it arrives (or at Finish), since its spelling and whether a
// ";" stays depend on that token.
class Writer {
public:
    // Writes after what |out| holds already.
    Writer(std::string_view s, bool utf8, std::string& out)
        : s_(s), utf8_(utf8), out_(out), start_(out.size()) {}

    void Take(const JsToken& t) {
        if (has_pending_) {
            has_pending_ = false;
            Write(pending_, &t);
        }
        if (t.kind == JsTok::KeptComment) {
            line_pending_ = line_pending_ || t.line_before;
            if (Wrote() && Back() == '/') Put(' ');
            if (Wrote() && Back() != '\n' && t.line_before) Put('\n');
            Put(Text(t));
            if (t.line_comment) { Put('\n'); line_pending_ = false; }
            return;
        }
        if (t.kind == JsTok::Hashbang) {
            Put(Text(t));
            Put('\n');
            return;
        }
        pending_ = t;
        has_pending_ = true;
    }

    // Writes the last token; the text is then complete.
    void Finish() {
        if (has_pending_) {
            has_pending_ = false;
            Write(pending_, nullptr);
        }
        Flush();
    }

private:
    // Inline in Take: one call per token, not two.
    [[gnu::always_inline]] void Write(const JsToken& t, const JsToken* next) {
        line_pending_ = line_pending_ || t.line_before;
        const JsToken* prev = has_prev_ ? &prev_ : nullptr;
        if (SemicolonBeforeBraceFree(prev, t, next)) return;
        const std::string_view text = SpellingMayChange(t) ? Spelling(prev, t, next) : Text(t);
        if (prev) {
            const unsigned char y = static_cast<unsigned char>(text[0]);
            if (line_pending_ && !LineEndFree(*prev, t)) {
                if (Back() != '\n') Put('\n');
            } else if ((kMayJoinBefore[y] || (prev->kind == JsTok::Punct && t.kind == JsTok::Punct)) &&
                       NeedsSpace(*prev, t, y)) {  // most tokens need neither test
                Put(' ');
            }
        }
        Put(text);
        prev_ = t;
        has_prev_ = true;
        line_pending_ = false;
    }

    std::string_view Text(const JsToken& t) const { return Slice(s_, t.begin, t.end); }
    static bool IsPunct(const JsToken* t, Punctuator p) {
        return t && t->kind == JsTok::Punct && t->number == p.number;
    }
    static bool IsWord(const JsToken* t, KnownName w) {
        return t && t->kind == JsTok::Word && t->number == w.number;
    }

    void Flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }
    void Put(char c) {
        if (used_ == kBufferSize) Flush();
        buffer_[used_++] = c;
    }
    void Put(std::string_view v) {
        if (v.size() > kBufferSize - used_) {
            Flush();
            if (v.size() > kBufferSize) {
                out_.append(v);
                return;
            }
        }
        CopyBytes(buffer_ + used_, v.data(), v.size());
        used_ += v.size();
    }
    // Whether anything of this script has been written, and its last byte (when it has).
    bool Wrote() const { return used_ != 0 || out_.size() > start_; }
    char Back() const { return used_ != 0 ? buffer_[used_ - 1] : out_.back(); }

    // A ";" right before a "}" goes where automatic semicolon insertion puts it back: not
    // where it is a statement of its own (after "{", ";", ":", a block's "}", a condition's
    // ")", "else" or "do").
    bool SemicolonBeforeBraceFree(const JsToken* prev, const JsToken& t, const JsToken* next) const {
        if (!prev || !IsPunct(&t, ";") || !IsPunct(next, "}") || prev->free_after) return false;
        if (prev->kind == JsTok::Word) return !IsWord(prev, "else") && !IsWord(prev, "do");
        return !IsPunct(prev, "{") && !IsPunct(prev, ";") && !IsPunct(prev, ":");
    }

    // Whether Spelling may give |t| other than as written: numbers, "true" and "false", string
    // literals that hold an escape or may be a property name.
    static bool SpellingMayChange(const JsToken& t) {
        switch (t.kind) {
            case JsTok::Number: return true;
            case JsTok::Word: return IsWord(&t, "true") || IsWord(&t, "false");
            case JsTok::String: return t.number != 0 || t.place == Place::ObjectItem;
            default: return false;
        }
    }

    // A token as written out: strings and numbers in their shortest spelling of the same
    // value. A string that may be a directive ("use strict") keeps its spelling, which is
    // what a directive is read by. (Whether it may be one is judged by what the output keeps,
    // a line end after it only where one is written, so a second run judges alike.)
    std::string_view Spelling(const JsToken* prev, const JsToken& t, const JsToken* next) {
        if (t.kind == JsTok::Number) return ShortestNumber(Text(t), scratch_);
        if (t.kind == JsTok::Word) return BooleanAsNumber(prev, t, next) ? (IsWord(&t, "true") ? "!0" : "!1") : Text(t);
        if (t.kind != JsTok::String) return Text(t);
        // Only a literal holding a backslash (an escape) can be spelt shorter.
        const bool escapes = t.number != 0;
        if (t.place == Place::ObjectItem && IsPunct(next, ":")) {  // a property name: no directive
            const std::string_view shortest =
                escapes ? ShortestString(Text(t), utf8_, scratch_, pieces_) : Text(t);
            const std::string_view name = PropertyNameWithoutQuotes(shortest);
            return name.empty() ? shortest : name;
        }
        if (!escapes) return Text(t);
        const bool statement_start =
            !prev || IsPunct(prev, ";") || IsPunct(prev, "{") || IsPunct(prev, "}");
        const bool statement_end = !next || next->kind == JsTok::KeptComment ||
                                   IsPunct(next, ";") || IsPunct(next, "}") ||
                                   (next->line_before && !LineEndFree(t, *next));
        if (statement_start && statement_end) return Text(t);
        return ShortestString(Text(t), utf8_, scratch_, pieces_);
    }

    // Whether |t| is "true" or "false" as a value that "!0" or "!1" may stand for: not a
    // property's, member's or export's name, and nowhere a unary "!" would bind differently
    // (before a member access, call, template, "**" or "=", after "new").
    bool BooleanAsNumber(const JsToken* prev, const JsToken& t, const JsToken* next) const {
        if ((!IsWord(&t, "true") && !IsWord(&t, "false")) || t.place != Place::Plain || !prev)
            return false;
        if (IsPunct(prev, ".") || IsPunct(prev, "?.") || IsWord(prev, "new") || IsWord(prev, "as"))
            return false;
        if (!next) return true;
        if (next->kind == JsTok::TemplateWhole || next->kind == JsTok::TemplateHead ||
            next->kind == JsTok::KeptComment ||  // the token after it is not known yet
            IsWord(next, "as"))
            return false;
        return next->kind != JsTok::Punct || !InSet(kBindsBeforeUnarySet, next->number);
    }

    // Whether the line end between |a| and |b| can go without an automatic semicolon or a
    // restricted production changing the meaning.
    bool LineEndFree(const JsToken& a, const JsToken& b) const {
        const auto a_is = [&a](Punctuator p) { return IsPunct(&a, p); };
        const auto b_is = [&b](Punctuator p) { return IsPunct(&b, p); };
        if (a.params_end && b_is("{")) return true;
        if (b_is("++") || b_is("--")) return false;
        // After an arrow function's body or a postfix "++", a call, member access or
        // operator is not allowed, so the line end was a semicolon.
        if (a.arrow_body)
            return b_is(",") || b_is(")") || b_is("]") || b_is("}") || b_is(";") || b_is(":");
        const bool member_or_call = b.kind == JsTok::TemplateWhole ||
                                    b.kind == JsTok::TemplateHead ||
                                    b_is("(") || b_is("[") || b_is(".") || b_is("?.");
        if ((a_is("++") || a_is("--")) && member_or_call) return false;
        if (a.kind == JsTok::Word && !a.property && InSet(kLineEndSensitiveWordSet, a.number))
            return b_is(";") || b_is("}");
        if (b.kind == JsTok::Punct && InSet(kContinuingPunctuatorSet, b.number)) return true;
        if (IsWord(&b, "in") || IsWord(&b, "instanceof")) return true;
        if (b.kind == JsTok::TemplateWhole || b.kind == JsTok::TemplateHead) return true;
        if (a.free_after) return true;
        if (a.kind == JsTok::Punct)
            return !a_is(")") && !a_is("]") && !a_is("}") && !a_is("++") && !a_is("--");
        if (a.kind == JsTok::Word) return !a.property && InSet(kCannotEndWordSet, a.number);
        return false;
    }

    // Whether |a| and |b| written side by side would read as other tokens.
    // |y| is the first byte of |b| as written out.
    bool NeedsSpace(const JsToken& a, const JsToken& b, unsigned char y) const {
        // Only two punctuators can run together before any other first byte.
        if (!kMayJoinBefore[y])
            return a.kind == JsTok::Punct && b.kind == JsTok::Punct && InSet(kPunctuatorsJoin[a.number], b.number);
        const unsigned char x = static_cast<unsigned char>(Back());
        auto ident = [](unsigned char c) { return IsAsciiIdentChar(c) || c == '\\' || c >= 0x80; };
        // A regular expression's flags and a number ("5.") take letters after them too, and so
        // does a name ending in an escape ("a\u{62}").
        if ((ident(x) || a.kind == JsTok::Regex || a.kind == JsTok::Number || a.kind == JsTok::Word ||
             a.kind == JsTok::PrivateName) &&
            ident(y))
            return true;
        if (a.kind == JsTok::Number && y == '.') return true;                       // "5 .x"
        if (IsDigit(x) && b.kind == JsTok::Number && y == '.') return true;         // "!0 .5"
        if (x == '.' && (IsDigit(y) || y == '.')) return true;  // ".5", "..." 
        if ((x == '+' || x == '-') && x == y) return true;
        if (x == '<' && (y == '!' || y == '/')) return true;     // "<!--", "</script"
        if (x == '/' && (y == '/' || y == '*')) return true;     // a comment
        if (x == '-' && y == '>' && IsPunct(&a, "--")) return true;  // "-->"
        // Would the two punctuators read as a longer one?
        if (a.kind == JsTok::Punct && b.kind == JsTok::Punct && InSet(kPunctuatorsJoin[a.number], b.number))
            return true;
        if (IsPunct(&a, "?") && y == '.') return true;  // "?."
        return false;
    }

    std::string_view s_;
    bool utf8_;
    std::string& out_;
    size_t start_;  // where this script's text begins in out_
    // The output goes through a small buffer and into out_ when that is full and at the end,
    // so a token costs a few moves rather than a call into the string.
    static constexpr size_t kBufferSize = 1024;
    char buffer_[kBufferSize];
    size_t used_ = 0;
    std::string scratch_;
    std::vector<StringPiece> pieces_;  // a string literal's, kept for the next one
    JsToken prev_{};            // last code token written, when has_prev_
    bool has_prev_ = false;
    JsToken pending_{};         // the code token to write next, when has_pending_
    bool has_pending_ = false;
    bool line_pending_ = false;  // a line end seen since prev_
};

// Drops parentheses the syntax tree does not hold, between the tokenizer and the writer:
// those around a single literal or name after an operator ("return(false)", "a=(b)"), and the
// empty argument list of a "new" whose callee is a plain name or chain of names ("new
// Image()"). It holds back only the few tokens such a pattern needs.
class ParenDropper {
public:
    ParenDropper(std::string_view s, Writer& writer) : s_(s), writer_(writer) {}

    void Take(const JsToken& t) {
        if (t.kind == JsTok::KeptComment || t.kind == JsTok::Hashbang) {
            Flush();  // a comment between the tokens ends any pattern
            writer_.Take(t);
            return;
        }
        if (held_.empty() && !MayStartPattern(t)) {  // the common case: straight through
            Emit(t);
            return;
        }
        held_.push_back(t);
        Resolve(false);
    }

    void Finish() {
        Resolve(true);
        Flush();
        writer_.Finish();
    }

private:
    std::string_view Text(const JsToken& t) const { return Slice(s_, t.begin, t.end); }
    static bool IsPunct(const JsToken& t, Punctuator p) {
        return t.kind == JsTok::Punct && t.number == p.number;
    }
    static bool IsWord(const JsToken& t, KnownName w) {
        return t.kind == JsTok::Word && t.number == w.number;
    }
    // A word that is no keyword (or "this"). Not "of": a "/" after it would begin a regular
    // expression.
    static bool IsName(const JsToken& t) {
        return t.kind == JsTok::Word &&
               (IsWord(t, "this") || (!InSet(kReservedWordSet, t.number) && !IsWord(t, "of") &&
                                      !InSet(kLineEndSensitiveWordSet, t.number)));
    }

    void Emit(const JsToken& t) {
        writer_.Take(t);
        last_ = t;
        has_last_ = true;
    }
    void Flush() {
        for (const JsToken& t : held_) Emit(t);
        held_.clear();
    }
    // Emits the first |n| held tokens.
    void EmitFront(size_t n) {
        for (size_t k = 0; k < n; ++k) Emit(held_[k]);
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
    }

    static bool MayStartPattern(const JsToken& t) { return IsWord(t, "new") || IsPunct(t, "("); }

    // Whether a "(" after the last emitted token opens a group (an operand follows the token),
    // not a call's arguments or a statement's condition.
    bool GroupAfterLast() const {
        if (!has_last_) return false;
        if (last_.kind == JsTok::Word) return InSet(kGroupAfterWordSet, last_.number);
        return last_.kind == JsTok::Punct && InSet(kGroupAfterPunctuatorSet, last_.number);
    }

    // Settles as many held tokens as can be settled (|end|: no token follows).
    void Resolve(bool end) {
        while (!held_.empty()) {
            const size_t n = held_.size();
            if (IsWord(held_[0], "new") &&
                !(has_last_ && (IsPunct(last_, ".") || IsPunct(last_, "?.")))) {
                // new NAME (. NAME)* ( ) NEXT
                size_t k = 1;
                while (k < n && IsName(held_[k]) && k + 1 < n && IsPunct(held_[k + 1], ".")) k += 2;
                if (k >= n) { if (end) break; return; }
                if (!IsName(held_[k])) { EmitFront(1); continue; }
                if (k + 1 >= n) { if (end) break; return; }
                if (!IsPunct(held_[k + 1], "(")) { EmitFront(k + 1); continue; }
                if (k + 2 >= n) { if (end) break; return; }
                if (!IsPunct(held_[k + 2], ")")) { EmitFront(k + 1); continue; }
                if (k + 3 >= n && !end) return;
                const bool drop = k + 3 >= n || !ContinuesCallee(held_[k + 3]);
                EmitFront(k + 1);
                if (drop) {
                    held_.erase(held_.begin(), held_.begin() + 2);
                } else {
                    EmitFront(2);
                }
                continue;
            }
            if (IsPunct(held_[0], "(") && GroupAfterLast()) {
                // (^m OPERAND )^m NEXT: groups in groups go at once, so a second run finds
                // nothing left to drop
                size_t m = 1;
                while (m < n && IsPunct(held_[m], "(")) ++m;
                if (m >= n) { if (end) break; return; }
                if (!SingleOperand(held_[m])) { EmitFront(1); continue; }
                size_t closed = 0;
                while (closed < m && m + 1 + closed < n && IsPunct(held_[m + 1 + closed], ")")) ++closed;
                if (closed < m && m + 1 + closed < n) { EmitFront(1); continue; }  // not all closed there
                if (closed < m || (2 * m + 1 >= n && !end)) { if (end) { EmitFront(1); continue; } return; }
                if (2 * m + 1 < n && IsPunct(held_[2 * m + 1], "**")) {
                    EmitFront(1);
                    continue;
                }
                JsToken operand = held_[m];
                operand.line_before = held_[0].line_before;
                held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(2 * m + 1));
                Emit(operand);
                continue;
            }
            EmitFront(1);
        }
        if (end) Flush();
    }

    // A token that would make "new NAME" read on into it ("new a().b" is not "new a.b").
    static bool ContinuesCallee(const JsToken& next) {
        return next.kind == JsTok::TemplateWhole || next.kind == JsTok::TemplateHead ||
               IsPunct(next, ".") || IsPunct(next, "?.") || IsPunct(next, "[") || IsPunct(next, "(");
    }

    // A token that stands as an operand by itself, with nothing in it that depends on the
    // parentheses: a number, string, regular expression, template without substitutions, or
    // a name that is no keyword (this, null, true and false aside).
    bool SingleOperand(const JsToken& t) const {
        switch (t.kind) {
            case JsTok::Number: case JsTok::String: case JsTok::Regex: case JsTok::TemplateWhole:
                return true;
            case JsTok::Word:
                if (IsWord(t, "null") || IsWord(t, "true") || IsWord(t, "false")) return true;
                return IsName(t);
            default:
                return false;
        }
    }

    std::string_view s_;
    Writer& writer_;
    std::vector<JsToken> held_;
    JsToken last_{};  // the last code token handed on, when has_last_
    bool has_last_ = false;
};

// Keeps the tokens it is handed (comments left out) as text.
struct TokenTexts {
    std::string_view s;
    std::vector<std::string>& tokens;
    void Take(const JsToken& t) {
        if (t.kind != JsTok::KeptComment) tokens.emplace_back(s.substr(t.begin, t.end - t.begin));
    }
};

// ---------------------------------------------------------------------------------------
// HTML's script data states, to see where a SCRIPT element's text ends.

bool IsAsciiAlpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsTagEnd(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '/' || c == '>';
}
// "script" at |k| followed by a byte that ends a tag name; |end_ok| lets the text end there.
bool ScriptNameAt(std::string_view s, size_t k, bool end_ok) {
    if (!EqualsIgnoreCase(s.substr(k, 6), "script")) return false;
    if (k + 6 >= s.size()) return end_ok;
    return IsTagEnd(static_cast<unsigned char>(s[k + 6]));
}

}  // namespace

ScriptKind ClassifyScriptType(std::string_view type, bool has_type, std::string_view language,
                              bool has_language) {
    std::string lower;
    if (has_type && !type.empty()) {
        lower = type;
    } else if (!has_type && has_language && !language.empty()) {
        lower = "text/";
        lower += language;
    } else {
        return ScriptKind::Classic;
    }
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (!lower.empty() && space(lower.front())) lower.erase(0, 1);
    while (!lower.empty() && space(lower.back())) lower.pop_back();
    if (lower.empty() || lower == "text/") return ScriptKind::Classic;
    for (char& c : lower) c = Lower(c);
    if (lower == "module") return ScriptKind::Module;
    if (InList(kJavaScriptTypes, lower)) return ScriptKind::Classic;
    if (InList(kJsonTypes, lower)) return ScriptKind::Json;
    return ScriptKind::Other;
}

// Appends the minified script to |out|; false (with |out| as it may then be) where the script
// is to stay as written: the tokenizer cannot read it to the end, or the result is longer.
bool AppendJavaScript(std::string_view js, bool module, bool utf8, std::string& out) {
    if (js.size() >= UINT32_MAX) return false;
    const size_t start = out.size();
    Writer writer(js, utf8, out);
    ParenDropper dropper(js, writer);
    if (!Tokenizer<ParenDropper>(js, module, dropper).Run()) return false;
    dropper.Finish();
    return out.size() - start <= js.size();
}

std::string MinifyJavaScript(std::string_view js, bool module, bool utf8) {
    std::string out;
    out.reserve(js.size());
    if (!AppendJavaScript(js, module, utf8, out)) return std::string(js);
    return out;
}

bool ListJavaScriptTokens(std::string_view js, bool module, std::vector<std::string>& tokens) {
    if (js.size() >= UINT32_MAX) return false;
    std::vector<std::string> read;
    TokenTexts sink{js, read};
    if (!Tokenizer<TokenTexts>(js, module, sink).Run()) return false;
    tokens.insert(tokens.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    return true;
}

std::string MinifyJson(std::string_view json) {
    auto word_char = [](char c) {
        return IsAsciiIdentChar(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    };
    std::string out;
    out.reserve(json.size());
    bool space = false;
    for (size_t k = 0; k < json.size();) {
        const char c = json[k];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            space = true;
            ++k;
            continue;
        }
        size_t e = k + 1;
        if (c == '"') {
            while (e < json.size() && json[e] != '"') e += json[e] == '\\' ? 2 : 1;
            if (e >= json.size()) return std::string(json);
            ++e;
        } else if (std::string_view("{}[]:,").find(c) == std::string_view::npos) {
            e = k;
            while (e < json.size() && word_char(json[e])) ++e;
            const std::string_view word = json.substr(k, e - k);
            if (word.empty() || (!IsDigit(static_cast<unsigned char>(word[0])) && word[0] != '-' &&
                                 word != "true" && word != "false" && word != "null"))
                return std::string(json);  // not JSON
            if (space && !out.empty() && word_char(out.back())) out += ' ';
        }
        out.append(json.substr(k, e - k));
        k = e;
        space = false;
    }
    return out;
}

bool ScriptTextEndsAtItsEnd(std::string_view s) {
    // The script data states: plain, escaped after "<!--", double escaped after "<script"
    // inside that; "-" counts towards the "-->" that returns to plain script data.
    enum Level { Data, Escaped, Double };
    Level level = Data;
    int dashes = 0;
    for (size_t k = 0; k < s.size(); ++k) {
        if (level == Data) {  // only a "<" changes anything there
            const void* lt = std::memchr(s.data() + k, '<', s.size() - k);
            if (!lt) break;
            k = static_cast<size_t>(static_cast<const char*>(lt) - s.data());
        }
        const unsigned char c = static_cast<unsigned char>(s[k]);
        if (c == '<' && k + 1 < s.size() && s[k + 1] == '/' && ScriptNameAt(s, k + 2, false)) {
            if (level != Double) return false;  // the element ends early
            level = Escaped;
            dashes = 0;
            k += 7;
            continue;
        }
        if (level == Data) {
            if (c == '<' && s.substr(k, 4) == "<!--") {
                level = Escaped;
                dashes = 2;
                k += 3;
            }
        } else if (c == '-') {
            dashes = dashes < 2 ? dashes + 1 : 2;
        } else if (c == '>' && dashes == 2) {
            level = Data;
        } else {
            dashes = 0;
            if (level == Escaped && c == '<' && k + 1 < s.size() &&
                IsAsciiAlpha(static_cast<unsigned char>(s[k + 1])) && ScriptNameAt(s, k + 1, false)) {
                level = Double;
                k += 6;
            }
        }
    }
    return level != Double;
}

void AppendMinifiedScriptElement(std::string_view text, ScriptKind kind, bool utf8,
                                 std::string& out) {
    const size_t start = out.size();
    bool minified = true;
    switch (kind) {
        case ScriptKind::Classic: minified = AppendJavaScript(text, false, utf8, out); break;
        case ScriptKind::Module: minified = AppendJavaScript(text, true, utf8, out); break;
        case ScriptKind::Json: out += MinifyJson(text); break;
        case ScriptKind::Other: minified = false; break;
    }
    const std::string_view written(out.data() + start, out.size() - start);
    if (!minified || (written != text && !ScriptTextEndsAtItsEnd(written))) {
        out.resize(start);
        out.append(text);
    }
}

std::string MinifyScriptElement(std::string_view text, ScriptKind kind, bool utf8) {
    std::string out;
    AppendMinifiedScriptElement(text, kind, utf8, out);
    return out;
}

}  // namespace tsqz::web
