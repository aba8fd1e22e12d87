// HTML tokenizer of the web template: the browser's tokenization states over raw bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/byte_scan.h"

namespace tsqz::web {

enum class TokenKind : uint8_t {
    Text,       // character data; `text_state` says which tokenizer state produced it
    StartTag,
    EndTag,
    Comment,    // "<!-- -->" and bogus comments ("<?...>", "<!x>", "</ x>")
    Doctype,
    Cdata,      // "<![CDATA[...]]>" in foreign content
    Unfinished, // a tag cut off by the end of the input: the browser drops it
    Eof,
};

enum class TextState : uint8_t { Data, Rcdata, Rawtext, ScriptData, Plaintext };

enum class Namespace : uint8_t { Html, Svg, MathMl };

struct Attribute {
    size_t name_begin = 0, name_end = 0;    // raw bytes of the name
    size_t value_begin = 0, value_end = 0;  // raw bytes of the value, without its quotes
    char quote = 0;                         // '"', '\'' or 0 (unquoted or no value)
    bool has_value = false;
};

// A tag name. It is compared with literal names many times per tag, and std::string's own
// comparison with a C string measures the literal and calls memcmp every time; this one
// compares the lengths first, taken from the literal's type, then the bytes inline.
struct TagName : std::string {
    using std::string::string;
    using std::string::operator=;
    template <size_t N>
    friend bool operator==(const TagName& a, const char (&b)[N]) {
        return a.size() == N - 1 && std::memcmp(a.data(), b, N - 1) == 0;
    }
};

struct Token {
    TokenKind kind = TokenKind::Eof;
    size_t begin = 0, end = 0;              // the token's raw bytes
    // Tags: the name lowered as the browser does; text: the state; comments: the content.
    TagName name;
    TextState text_state = TextState::Data;
    size_t content_begin = 0, content_end = 0;  // comments, CDATA: the bytes inside
    bool bogus = false;                     // comments not opened by "<!--"
    bool self_closing = false;
    bool ignored_in_select = false;         // a start tag parsers disagree on inside a select
    bool left_foreign = false;              // an end tag that closed SVG/MathML by HTML rules
    // A tag after which the tree is not followed: one that closed a formatting element inside
    // SVG or MathML other than by its own end tag (the parser keeps it in its list and opens
    // it again at the next text or inline start tag, inside that content or after it), a
    // table's part in HTML content inside SVG or MathML that a table holds (the table rules
    // close that content first), or a MathML annotation-xml whose encoding holds a character
    // reference.
    bool unfollowed = false;
    bool foreign = false;                   // a start tag handled as SVG or MathML
    Namespace ns = Namespace::Html;         // the namespace a start tag's element gets
    size_t element = 0;                     // tags: ElementId of the name
    std::vector<Attribute> attributes;
};

// Splits a document into tokens one at a time. It keeps a small model of the open elements
// (their namespaces, and the select elements) because the tree builder switches the tokenizer
// into RCDATA, RAWTEXT, script data and PLAINTEXT, and allows CDATA only in foreign content.
class Tokenizer {
public:
    explicit Tokenizer(std::string_view input);

    // Fills `token` with the next token; returns false after the Eof token was given.
    bool Next(Token& token);

    std::string_view input() const { return in_; }
    // SVG and MathML elements open after the last token (their content is left as written).
    size_t foreign_depth() const { return foreign_depth_; }

private:
    // An open element, kept small: pages that never close their paragraphs or list items
    // leave one of these per tag on the stack.
    enum : uint8_t { kContentUndecided, kContentTableRules, kContentBodyRules };
    enum : uint8_t { kStandsForTable, kStandsForRowGroup, kStandsForRow };
    struct Open {
        uint32_t name;  // its ElementId, or ElementCount() + its entry in names_
        uint32_t id;    // ElementId of an HTML element's name
        Namespace ns;
        // The parser's insertion mode is a table's while this element is the current node:
        // it is a table part, or the table moved it out of itself (cells, captions and
        // templates have the body's mode, and so has what they hold).
        bool table_mode;
        // A template's content: read by a table's rules or the body's, as its first start
        // tag (but one that goes into a head) decides; 0 before that.
        uint8_t content;
        // By a table's rules: what the template's content stands for, as its first start tag
        // set the mode the parser returns to there (a table's, a row group's or a row's).
        uint8_t stands_for;
        // One past the place of the paragraph in button scope from this element down (the
        // one a start tag that closes paragraphs would close), or 0.
        uint32_t p_in_scope;
        // A MathML annotation-xml with an HTML encoding: its content is read by HTML rules.
        bool html_encoding;
    };
    std::string_view NameOf(const Open& e) const {
        return e.name < listed_size_ ? listed_names_[e.name] : names_[e.name - listed_size_];
    }
    // `id`: the name's ElementId (for HTML elements; others are not counted by it).
    uint32_t NameIndex(std::string_view name, size_t id) {
        return id < listed_size_ ? static_cast<uint32_t>(id) : UnlistedNameIndex(name);
    }
    uint32_t UnlistedNameIndex(std::string_view name);

    void ReadMarkupDeclaration(Token& t);
    void ReadTag(Token& t, bool end);
    void ReadRawText(Token& t);
    void ReadScriptData(Token& t);
    void ReadData(Token& t);
    void ReadBogusComment(Token& t, size_t content_begin);
    void AfterStartTag(Token& t);
    void AfterEndTag(Token& t);
    bool CloseTemplateTableParts();
    bool ForeignContext() const;
    // Whether start tags and text in this foreign element follow the HTML rules.
    bool HandsToHtml(const Open& e) const;
    size_t OpenSelect() const;
    bool AppropriateEndTagAt(size_t pos) const;
    // Pops the open elements above `depth`; formatting elements popped inside SVG or MathML
    // from `listed_from` up stay in the parser's list (see Token::unfollowed).
    void PopUntil(size_t depth, size_t listed_from = 0);
    void CloseFormatting(size_t at);
    void AfterColumnGroupText(const Token& t);
    void FormEndTag();
    void OpenImpliedSections(size_t element);
    void Push(std::string_view name, Namespace ns, size_t id);
    size_t& HtmlCount(std::string_view name, size_t id) {
        return id < listed_count_.size() ? listed_count_[id] : UnlistedCount(name);
    }
    size_t& UnlistedCount(std::string_view name);

    std::string_view in_;
    size_t pos_ = 0;
    bool done_ = false;
    TextState state_ = TextState::Data;
    std::string raw_end_;              // element whose end tag ends RCDATA/RAWTEXT/script data
    std::vector<Open> open_;
    // Element names by index: the listed elements by their ElementId, from a table shared by
    // every run, then the names met that it lacks, each kept once in name_index_ (whose keys
    // do not move).
    const std::string_view* listed_names_;
    uint32_t listed_size_;
    std::vector<std::string_view> names_;
    std::unordered_map<std::string, uint32_t> name_index_;
    size_t select_depth_ = 0;          // open select elements
    bool form_pointer_ = false;        // the parser's form element pointer is set
    size_t foreign_depth_ = 0;
    bool unfollowed_ = false;  // for the tag being read
    // Open HTML elements by name: listed elements by their ElementId, others by name.
    std::vector<size_t> listed_count_;
    std::unordered_map<std::string, size_t> unlisted_count_;
};

// Pieces of Next for a quick walk over a page that reads its tags, comments and raw text as
// the tokenizer does without following the open elements.
// WalkTag (below): a tag's attributes and its end, as Next reads them.
// The end of a comment whose content begins at `p` (after "<!--"); `content_end` is set.
size_t CommentEnd(std::string_view in, size_t p, size_t& content_end);
// Whether the end tag of the element `name` (lowered) stands at `pos`.
bool AppropriateEndTag(std::string_view in, size_t pos, std::string_view name);
// The end of RCDATA or RAWTEXT from `p`: the end tag of `name`, or the end of the input.
size_t RawTextEnd(std::string_view in, size_t p, std::string_view name);
// The end of script data from `p`: "</script" outside the escaped states, or the end of the input.
size_t ScriptDataEnd(std::string_view in, size_t p, std::string_view name);

// Inline: every rule asks these for nearly every byte it looks at.
inline bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// Bytes that end a tag name (white space, "/", ">"; kNameEnd), an attribute name (those and
// "="; kAttributeNameEnd) and an unquoted value (white space, ">"; kValueEnd); kUpper marks the
// capital letters, which a name is lowered for.
enum : uint8_t { kNameEnd = 1, kAttributeNameEnd = 2, kValueEnd = 4, kUpper = 8 };
inline constexpr std::array<uint8_t, 256> kTagStops = [] {
    std::array<uint8_t, 256> stops{};
    for (unsigned char c = 'A'; c <= 'Z'; ++c) stops[c] = kUpper;
    for (unsigned char c : {' ', '\t', '\n', '\f', '\r'}) stops[c] = kNameEnd | kAttributeNameEnd | kValueEnd;
    stops['/'] = kNameEnd | kAttributeNameEnd;
    stops['>'] = kNameEnd | kAttributeNameEnd | kValueEnd;
    stops['='] = kAttributeNameEnd;
    return stops;
}();

inline size_t SkipUntil(std::string_view in, size_t p, uint8_t stop) {
    while (p < in.size() && !(kTagStops[static_cast<unsigned char>(in[p])] & stop)) ++p;
    return p;
}

// The attributes of a tag from `p` (after its name) to its ">", each handed to `on_attribute`
// once read; returns the end of the tag, or npos where the input ends inside it. Inline, so
// that the tokenizer and the quick walk over a page each have it with their own handler.
template <class OnAttribute>
size_t WalkTag(std::string_view in, size_t p, bool& self_closing, OnAttribute&& on_attribute) {
    const size_t n = in.size();
    // States after the name: before/after attribute name, value, self-closing.
    for (;;) {
        while (p < n && IsHtmlSpace(in[p])) ++p;
        if (p >= n) return std::string_view::npos;
        char c = in[p];
        if (c == '>') return p + 1;
        if (c == '/') {
            ++p;
            if (p < n && in[p] == '>') {
                self_closing = true;
                return p + 1;
            }
            continue;
        }
        // Attribute name; a leading "=" belongs to the name.
        Attribute a;
        a.name_begin = p;
        ++p;
        p = SkipUntil(in, p, kAttributeNameEnd);
        a.name_end = p;
        while (p < n && IsHtmlSpace(in[p])) ++p;
        if (p >= n || in[p] != '=') {
            on_attribute(a);
            continue;
        }
        ++p;
        while (p < n && IsHtmlSpace(in[p])) ++p;
        if (p >= n) return std::string_view::npos;
        a.has_value = true;
        c = in[p];
        if (c == '"' || c == '\'') {
            a.quote = c;
            const size_t close = FindByte(in, p + 1, c);
            if (close == n) return std::string_view::npos;
            a.value_begin = p + 1;
            a.value_end = close;
            p = a.value_end + 1;
        } else if (c == '>') {  // "a=>": an empty value
            a.value_begin = a.value_end = p;
        } else {
            a.value_begin = p;
            p = SkipUntil(in, p, kValueEnd);
            a.value_end = p;
        }
        on_attribute(a);
    }
}

}  // namespace tsqz::web
