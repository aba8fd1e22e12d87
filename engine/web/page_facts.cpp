// What the web template learns about a page before rewriting it.
#include "web/page_facts.h"

#include "web/web_tables.h"
#include "web/web_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tsqz::web {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsHtmlSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsHtmlSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::string Lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

constexpr bool IsIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool OneOf(std::string_view value, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Adds the subject (the last compound selector) of every selector in the list.
void AddSubjects(std::string_view list, SelectorSubjects& subjects) {
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i <= list.size(); ++i) {
        char c = i < list.size() ? list[i] : ',';
        if (c == '(' || c == '[') ++depth;
        if ((c == ')' || c == ']') && depth > 0) --depth;
        if (c != ',' || depth > 0) continue;
        std::string_view sel = Trim(list.substr(start, i - start));
        start = i + 1;
        if (sel.empty()) continue;
        if (sel.find('\\') != std::string_view::npos) {
            subjects.all = true;
            continue;
        }
        // The last compound: back to a combinator outside brackets.
        size_t b = sel.size();
        int d = 0;
        while (b > 0) {
            char e = sel[b - 1];
            if (e == ')' || e == ']') ++d;
            if ((e == '(' || e == '[') && d > 0) --d;
            if (d == 0 && (IsHtmlSpace(e) || e == '>' || e == '+' || e == '~')) break;
            --b;
        }
        std::string_view compound = sel.substr(b);
        std::string tag;
        std::vector<std::string> classes, ids;
        size_t p = 0;
        while (p < compound.size() && IsIdentChar(compound[p])) tag.push_back(LowerAscii(compound[p++]));
        while (p < compound.size()) {
            char e = compound[p];
            if (e == '.' || e == '#') {
                size_t q = p + 1;
                while (q < compound.size() && IsIdentChar(compound[q])) ++q;
                (e == '.' ? classes : ids).emplace_back(compound.substr(p + 1, q - p - 1));
                p = q;
            } else if (e == '[' || e == '(') {
                int dd = 0;
                while (p < compound.size()) {
                    if (compound[p] == '[' || compound[p] == '(') ++dd;
                    if (compound[p] == ']' || compound[p] == ')') --dd;
                    ++p;
                    if (dd == 0) break;
                }
            } else {
                ++p;
            }
        }
        if (!tag.empty()) subjects.tags.insert(tag);
        else if (!classes.empty()) subjects.classes.insert(classes.begin(), classes.end());
        else if (!ids.empty()) subjects.ids.insert(ids.begin(), ids.end());
        else subjects.all = true;
    }
}

std::string StripCssComments(std::string_view css) {
    std::string out;
    out.reserve(css.size());
    size_t p = 0;
    while (p < css.size()) {
        size_t open = css.find("/*", p);
        if (open == std::string_view::npos) {
            out.append(css.substr(p));
            break;
        }
        out.append(css.substr(p, open - p));
        out.push_back(' ');
        size_t close = css.find("*/", open + 2);
        if (close == std::string_view::npos) break;
        p = close + 2;
    }
    return out;
}

bool IsUtf8Label(std::string_view label) {
    return OneOf(label, {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
                         "x-unicode20utf8"});
}

// Labels of windows-1252, ISO-8859-1 and US-ASCII among them.
bool IsWindows1252Label(std::string_view label) {
    return OneOf(label, {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819",
                         "iso-8859-1", "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1",
                         "iso_8859-1:1987", "l1", "latin1", "us-ascii", "windows-1252", "x-cp1252"});
}

bool IsAsciiIncompatibleLabel(std::string_view label) {
    return label.starts_with("utf-16") || label.starts_with("iso-2022") || label == "csiso2022jp" ||
           label == "hz-gb-2312" || label == "utf-7" || label == "replacement" ||
           label == "unicode" || label == "ucs-2";
}

// The label after "charset=" in a meta element's content attribute.
std::string CharsetFromContent(std::string_view content) {
    std::string lowered = Lowered(content);
    size_t at = lowered.find("charset");
    if (at == std::string::npos) return {};
    size_t p = at + 7;
    while (p < lowered.size() && IsHtmlSpace(lowered[p])) ++p;
    if (p >= lowered.size() || lowered[p] != '=') return {};
    ++p;
    while (p < lowered.size() && IsHtmlSpace(lowered[p])) ++p;
    if (p < lowered.size() && (lowered[p] == '"' || lowered[p] == '\'')) ++p;
    size_t q = p;
    while (q < lowered.size() && !IsHtmlSpace(lowered[q]) && lowered[q] != ';' && lowered[q] != '"' &&
           lowered[q] != '\'')
        ++q;
    return lowered.substr(p, q - p);
}

constexpr std::array<bool, 256> kIdentChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = IsIdentChar(static_cast<char>(c));
    return table;
}();

// The attribute names whose use a page's own code can change what the rules may drop: the
// boolean attributes (value collapsed) and those with a default (removed).
bool IsWatchedAttribute(std::string_view lowered) {
    return IsBooleanAttribute(lowered) || lowered == "type" || lowered == "method" || lowered == "enctype" ||
           lowered == "shape" || lowered == "language";
}

// Whether a word of this (lowered) first letter and length may be a watched name: most words
// of a script are passed over on this alone.
bool MayBeWatched(char first, size_t length) {
    return (first == 't' && length == 4) || (first == 'm' && length == 6) || (first == 'e' && length == 7) ||
           (first == 's' && length == 5) || (first == 'l' && length == 8) || BooleanAttributeMayBe(first, length);
}

// MayBeWatched by one table look: per first byte (either case), a bit for each length of a
// watched name; `script` adds the lengths of "attributes", "getAttributeNames" and
// "hasAttributes". No listed name is 32 bytes long or longer.
struct WatchedLengths {
    std::array<uint32_t, 256> watched{}, script{};
    WatchedLengths() {
        for (int c = 0; c < 256; ++c) {
            const char first = LowerAscii(static_cast<char>(c));
            for (size_t length = 1; length < 32; ++length) {
                if (!MayBeWatched(first, length)) continue;
                watched[static_cast<size_t>(c)] |= 1u << length;
            }
            script[static_cast<size_t>(c)] = watched[static_cast<size_t>(c)] | (first == 'a' ? 1u << 10 : 0u) |
                                             (first == 'g' ? 1u << 17 : 0u) | (first == 'h' ? 1u << 13 : 0u);
        }
    }
};
const WatchedLengths kWatchedLengths;

bool LengthFits(const std::array<uint32_t, 256>& table, char first, size_t length) {
    return length < 32 && (table[static_cast<unsigned char>(first)] >> length & 1u);
}

// Words of a style sheet (or of script text read the cautious way): any watched name counts as
// referred to both ways.
void AddMentionedWords(std::string_view text, PageFacts& facts) {
    const size_t n = text.size();
    auto ident = [&](size_t i) { return kIdentChars[static_cast<unsigned char>(text[i])]; };
    size_t p = 0;
    while (p < n) {
        if (!ident(p) || text[p] == '-') {
            ++p;
            continue;
        }
        size_t q = p + 1;
        while (q < n && ident(q)) ++q;
        // Scripts are mostly words: only those whose first letter and length fit a listed
        // name are lowered (in place) and looked up.
        const size_t length = q - p;
        if (LengthFits(kWatchedLengths.watched, text[p], length)) {
            char buffer[32];  // longer than any listed name
            for (size_t i = p; i < q; ++i) buffer[i - p] = LowerAscii(text[i]);
            const std::string_view word(buffer, length);
            if (IsWatchedAttribute(word)) {
                facts.mentioned.emplace(word);
                facts.read_as_property.emplace(word);
            }
        }
        p = q;
    }
}

constexpr std::array<bool, 256> kScriptWordChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<size_t>(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                        c == '_' || c == '$' || c >= 0x80;
    return table;
}();

bool IsScriptWordChar(char c) { return kScriptWordChars[static_cast<unsigned char>(c)]; }

bool IsScriptSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// The byte before `p` and the one at `q`, white space skipped; 0 past the ends.
char ByteBefore(std::string_view s, size_t p) {
    while (p > 0 && IsScriptSpace(s[p - 1])) --p;
    return p > 0 ? s[p - 1] : 0;
}
char ByteFrom(std::string_view s, size_t q) {
    while (q < s.size() && IsScriptSpace(s[q])) ++q;
    return q < s.size() ? s[q] : 0;
}

// Where script text refers to a watched attribute, by the words around its name:
// - read as a property, ".type" not followed by a plain "=" (a write sees nothing): the
//   property of an element whose attribute went may give another value (a script's "type");
// - as the attribute itself: a string that is exactly the name ("getAttribute('type')",
//   "el['type']", "attr('type')"), except an object key ("{"type": ...}", "{"@type": ...}"), or
//   the name after "[" or "@" (selectors such as "input[type=text]", XPath);
// - any attribute at all: "attributes", "getAttributeNames", "hasAttributes" (the list of an
//   element's attributes, which a removed default shortens).
// Other uses (an object key "type:", a variable, words inside longer strings) see nothing of
// the page's attributes.
void AddScriptReferences(std::string_view text, PageFacts& facts) {
    size_t p = 0;
    while (p < text.size()) {
        if (!IsScriptWordChar(text[p])) {
            ++p;
            continue;
        }
        size_t q = p;
        while (q < text.size() && IsScriptWordChar(text[q])) ++q;
        std::string_view raw = text.substr(p, q - p);
        const size_t start = p;
        p = q;
        if (!LengthFits(kWatchedLengths.script, raw[0], raw.size())) continue;
        char buffer[32];  // longer than any listed name
        for (size_t i = 0; i < raw.size(); ++i) buffer[i] = LowerAscii(raw[i]);
        std::string_view word(buffer, raw.size());
        if (word == "attributes" || word == "getattributenames" || word == "hasattributes") {
            facts.attribute_lists_read = true;
            continue;
        }
        if (!IsWatchedAttribute(word)) continue;
        const char before = ByteBefore(text, start), after = ByteFrom(text, q);
        // A string that is exactly the name, or "@" and the name.
        const size_t quote_at = start >= 2 && text[start - 1] == '@' ? start - 2 : start - 1;
        const bool whole_string = start > 0 && q < text.size() && text[q] == text[quote_at] &&
                                  (text[q] == '"' || text[q] == '\'' || text[q] == '`');
        if (whole_string) {
            const char opener = ByteBefore(text, quote_at);
            const bool key = ByteFrom(text, q + 1) == ':' && (opener == '{' || opener == ',');
            if (!key) facts.mentioned.emplace(word);
        } else if (before == '.') {
            size_t next = q;
            while (next < text.size() && IsScriptSpace(text[next])) ++next;
            const bool write = after == '=' && next + 1 < text.size() && text[next + 1] != '=';
            if (!write) facts.read_as_property.emplace(word);
        } else if (before == '[' || before == '@') {
            facts.mentioned.emplace(word);
        }
    }
}

// Script text in an attribute (an event handler, a "javascript:" address): with references in
// it the words are read the cautious way.
void AddAttributeScript(std::string_view value, PageFacts& facts) {
    if (value.find('&') != std::string_view::npos) AddMentionedWords(value, facts);
    else AddScriptReferences(value, facts);
}

// Whether `value`, a space-separated list, holds "stylesheet" in any case.
bool ListsStyleSheet(std::string_view value) {
    constexpr std::string_view kWord = "stylesheet";
    for (size_t p = 0; p < value.size();) {
        while (p < value.size() && IsHtmlSpace(value[p])) ++p;
        size_t q = p;
        while (q < value.size() && !IsHtmlSpace(value[q])) ++q;
        if (q - p == kWord.size() && Lowered(value.substr(p, q - p)) == kWord) return true;
        p = q;
    }
    return false;
}

// An event handler attribute or a "javascript:" address of a start tag; a rel attribute that
// names a style sheet, which the page loads from elsewhere.
// Whether ReadAttributeScript may find anything in the attribute: most attributes are told
// apart by their name's length and first byte and their value's length alone.
bool MayHoldScript(std::string_view input, const Attribute& a) {
    const size_t name_size = a.name_end - a.name_begin;
    return name_size == 3 || a.value_end - a.value_begin > 11 ||
           (name_size > 2 && LowerAscii(input[a.name_begin]) == 'o');
}

void ReadAttributeScript(std::string_view input, const Attribute& a, PageFacts& facts) {
    std::string_view name = input.substr(a.name_begin, a.name_end - a.name_begin);
    std::string_view value = input.substr(a.value_begin, a.value_end - a.value_begin);
    if (name.size() > 2 && LowerAscii(name[0]) == 'o' && LowerAscii(name[1]) == 'n') {
        AddAttributeScript(value, facts);
        return;
    }
    if (EqualsIgnoringCase(name, "rel") && ListsStyleSheet(value)) facts.outside_style_sheets = true;
    if (value.size() <= 11) return;
    std::string_view trimmed = Trim(value);
    if (trimmed.size() > 11 && LowerAscii(trimmed[0]) == 'j' && Lowered(trimmed.substr(0, 11)) == "javascript:")
        AddAttributeScript(value, facts);
}

void ReadAttributeScripts(std::string_view input, const std::vector<Attribute>& attributes, PageFacts& facts) {
    for (const Attribute& a : attributes)
        if (MayHoldScript(input, a)) ReadAttributeScript(input, a, facts);
}

// Server code opens with "<%", "<?", "{{" or "{%": each found by its second byte ("%", "?",
// "{"), which is rarer in a page than "<", a block at a time; returns the place of the first
// opener at or after `from` (n when there is none).
size_t NextServerCodeOpener(std::string_view in, size_t from, std::array<size_t, 3>& next) {
    const size_t n = in.size();
    constexpr char kSeconds[] = {'%', '?', '{'};
    for (;;) {
        size_t second = n;
        for (size_t k = 0; k < 3; ++k) {
            if (next[k] < from + 1 || next[k] == std::string_view::npos) {
                const void* hit = from + 1 < n ? std::memchr(in.data() + from + 1, kSeconds[k], n - from - 1) : nullptr;
                next[k] = hit ? static_cast<size_t>(static_cast<const char*>(hit) - in.data()) : n;
            }
            second = std::min(second, next[k]);
        }
        if (second >= n) return n;
        const char c = in[second - 1], d = in[second];
        if ((c == '<' && (d == '%' || d == '?')) || (c == '{' && (d == '{' || d == '%'))) return second - 1;
        from = second;  // the next opener's second byte lies after this one
    }
}

void FindServerCode(std::string_view in, PageFacts& facts) {
    size_t i = 0;
    const size_t n = in.size();
    std::array<size_t, 3> next;
    next.fill(std::string_view::npos);
    while (i + 1 < n) {
        i = NextServerCodeOpener(in, i, next);
        if (i + 1 >= n) break;
        char c = in[i], d = in[i + 1];
        std::string_view close;
        if (c == '<' && d == '%') close = "%>";
        else if (c == '<' && d == '?') close = "?>";
        else if (c == '{' && d == '{') close = "}}";
        else close = "%}";
        size_t end = in.find(close, i + 2);
        end = end == std::string_view::npos ? n : end + 2;
        facts.server_code.emplace_back(i, end);
        i = end;
    }
}

}  // namespace

DeclarationFacts ReadDeclarations(std::string_view declarations) {
    DeclarationFacts out;
    // Declarations end at a ";" (found by memchr) or at the end.
    for (size_t start = 0; start <= declarations.size();) {
        size_t i = declarations.find(';', start);
        if (i == std::string_view::npos) i = declarations.size();
        std::string_view decl = declarations.substr(start, i - start);
        start = i + 1;
        size_t colon = decl.find(':');
        if (colon == std::string_view::npos) continue;
        // Only three properties count: the value is lowered for those alone.
        const std::string_view prop = Trim(decl.substr(0, colon));
        if (!EqualsIgnoringCase(prop, "white-space") && !EqualsIgnoringCase(prop, "white-space-collapse") &&
            !EqualsIgnoringCase(prop, "display"))
            continue;
        std::string value = Lowered(Trim(decl.substr(colon + 1)));
        size_t bang = value.find('!');
        if (bang != std::string::npos) value = std::string(Trim(std::string_view(value).substr(0, bang)));
        if (EqualsIgnoringCase(prop, "white-space")) {
            if (!OneOf(value, {"normal", "nowrap", "initial", "inherit", "unset", "revert", "revert-layer"}))
                out.preserve_space = true;
        } else if (EqualsIgnoringCase(prop, "white-space-collapse")) {
            if (!OneOf(value, {"collapse", "initial", "inherit", "unset", "revert", "revert-layer"}))
                out.preserve_space = true;
        } else {  // display
            if (!OneOf(value, {"block", "flex", "grid", "list-item", "table", "table-row", "table-cell",
                               "table-row-group", "table-header-group", "table-footer-group",
                               "table-caption", "table-column", "table-column-group", "flow-root"}))
                out.not_block = true;
        }
    }
    return out;
}

// Rules are found as "selector { declarations }"; at-rules and nested rules open a block that
// holds further rules, whose selectors start after the enclosing "{" or the previous rule.
void ReadStyleSheet(std::string_view raw_css, PageFacts& facts) {
    std::string css = StripCssComments(raw_css);
    size_t prelude = 0;
    for (size_t i = 0; i < css.size(); ++i) {
        char c = css[i];
        if (c == '}' || c == ';') {
            if (c == '}') prelude = i + 1;
            continue;
        }
        if (c != '{') continue;
        std::string_view selector(css.data() + prelude, i - prelude);
        size_t next = i + 1;
        while (next < css.size() && css[next] != '{' && css[next] != '}') ++next;
        std::string_view declarations(css.data() + i + 1, next - i - 1);
        DeclarationFacts df = ReadDeclarations(declarations);
        std::string_view trimmed = Trim(selector);
        if (!trimmed.starts_with("@")) {
            if (df.preserve_space) AddSubjects(trimmed, facts.preserve_space);
            if (df.not_block) AddSubjects(trimmed, facts.not_block);
        } else if (df.preserve_space || df.not_block) {
            facts.preserve_space.all |= df.preserve_space;
            facts.not_block.all |= df.not_block;
        }
        if (next < css.size() && css[next] == '{') {
            // A nested block: its rules start after this "{" (declarations before them count
            // for the enclosing selector, read above).
            size_t last_semicolon = css.rfind(';', next);
            prelude = (last_semicolon != std::string::npos && last_semicolon > i) ? last_semicolon + 1 : i + 1;
            i = prelude - 1;
            continue;
        }
        prelude = next + 1;
        i = next;
    }
}

DoctypeFields ReadDoctype(std::string_view s) {
    DoctypeFields f;
    size_t p = 0;
    auto skip = [&] {
        while (p < s.size() && IsHtmlSpace(s[p])) ++p;
    };
    auto quoted = [&](std::string& into) {
        skip();
        if (p >= s.size() || (s[p] != '"' && s[p] != '\'')) return false;
        char q = s[p++];
        size_t close = s.find(q, p);
        if (close == std::string_view::npos) return false;
        into.assign(s.substr(p, close - p));
        p = close + 1;
        return true;
    };
    if (s.empty() || !IsHtmlSpace(s[0])) f.force_quirks = true;  // "<!DOCTYPEhtml>": left alone
    skip();
    while (p < s.size() && !IsHtmlSpace(s[p])) f.name.push_back(LowerAscii(s[p++]));
    if (f.name.empty()) f.force_quirks = true;
    skip();
    if (p >= s.size()) return f;
    std::string keyword = Lowered(s.substr(p, 6));
    p += std::min<size_t>(6, s.size() - p);
    if (keyword == "public") {
        f.has_public = quoted(f.public_id);
        if (!f.has_public) f.force_quirks = true;
        skip();
        if (p < s.size()) {
            f.has_system = quoted(f.system_id);
            if (!f.has_system) f.force_quirks = true;
        }
    } else if (keyword == "system") {
        f.has_system = quoted(f.system_id);
        if (!f.has_system) f.force_quirks = true;
    } else {
        f.force_quirks = true;
    }
    skip();
    if (p < s.size()) f.force_quirks = true;  // anything more: left as it is
    return f;
}

namespace {

// The encoding and the document mode from the tokens of the page: its doctype and the META
// elements of its first 1024 bytes. With `texts`, all of the page is read and its STYLE and
// SCRIPT text listed; without, the tokens stop where nothing more can change these facts.
void ReadTokens(std::string_view input, PageFacts& facts, std::vector<RawText>* texts) {
    Tokenizer tokenizer(input);
    Token t;
    std::string raw_owner;  // the element whose raw text comes next
    bool content_seen = false;
    bool charset_seen = facts.utf8;
    while (tokenizer.Next(t)) {
        if (!texts && content_seen && t.begin >= 1024) break;
        std::string_view raw = input.substr(t.begin, t.end - t.begin);
        switch (t.kind) {
        case TokenKind::Doctype:
            if (!content_seen) {
                DoctypeFields d = ReadDoctype(input.substr(t.content_begin, t.content_end - t.content_begin));
                bool closed = t.end > t.content_end;
                DoctypeMode mode = closed && d.name == "html" && !d.force_quirks
                                       ? ModeOfDoctype(d.public_id, d.has_public, d.system_id, d.has_system)
                                       : DoctypeMode::Quirks;
                facts.mode = mode == DoctypeMode::NoQuirks        ? DocumentMode::NoQuirks
                             : mode == DoctypeMode::LimitedQuirks ? DocumentMode::LimitedQuirks
                                                                  : DocumentMode::Quirks;
            }
            content_seen = true;
            break;
        case TokenKind::Text:
            if (t.text_state == TextState::Data) {
                if (!content_seen &&
                    std::any_of(raw.begin(), raw.end(), [](char c) { return !IsHtmlSpace(c); }))
                    content_seen = true;
            } else if (texts && (raw_owner == "style" || raw_owner == "script")) {
                texts->push_back({t.begin, t.end, raw_owner == "style"});
            }
            break;
        case TokenKind::StartTag:
            content_seen = true;
            raw_owner = t.name;
            if (texts) ReadAttributeScripts(input, t.attributes, facts);
            if (t.name == "meta" && !charset_seen && t.begin < 1024) {
                std::string label;
                bool content_type = false;
                std::string content;
                for (const Attribute& a : t.attributes) {
                    std::string name = Lowered(input.substr(a.name_begin, a.name_end - a.name_begin));
                    std::string value = Lowered(Trim(input.substr(a.value_begin, a.value_end - a.value_begin)));
                    if (name == "charset") label = value;
                    if (name == "http-equiv" && value == "content-type") content_type = true;
                    if (name == "content") content = value;
                }
                if (label.empty() && content_type) label = CharsetFromContent(content);
                if (!label.empty()) {
                    charset_seen = true;
                    facts.utf8 = IsUtf8Label(label);
                    facts.windows1252 = !facts.utf8 && IsWindows1252Label(label);
                    if (IsAsciiIncompatibleLabel(label)) facts.ascii_compatible = false;
                }
            }
            break;
        case TokenKind::Comment:
            break;
        default:
            content_seen = true;
            break;
        }
    }
}

// The bytes that end a tag's name: white space, "/" and ">".
constexpr std::array<bool, 256> kTagNameEnds = [] {
    std::array<bool, 256> table{};
    for (char c : {' ', '\t', '\n', '\f', '\r', '/', '>'}) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

// The STYLE and SCRIPT text of the page by a walk that reads tags, comments, doctypes and raw
// text as the tokenizer does, and of the open elements follows only SVG and MathML (where
// STYLE and SCRIPT are not raw text) by their own start and end tags.
void WalkRawTexts(std::string_view in, std::vector<RawText>& texts, PageFacts& facts) {
    const size_t n = in.size();
    std::vector<bool> foreign;  // open svg (true) and math (false) elements
    char name[16];              // a tag's name, lowered; longer names are none of those wanted
    std::vector<Attribute> candidates;  // a start tag's attributes that may hold script
    // Per first byte of a lowered name, a bit for each length of an element that opens raw
    // text: most start tags are passed over on this alone, without looking up their name.
    static const std::array<uint32_t, 256> raw_text_lengths = [] {
        std::array<uint32_t, 256> bits{};
        for (size_t id = 0; id < ElementCount(); ++id) {
            const std::string_view element = ElementName(id);
            if (RawTextStateOf(ElementFlagsOf(id)) != TextState::Data && element.size() < 32)
                bits[static_cast<unsigned char>(element[0])] |= 1u << element.size();
        }
        return bits;
    }();
    size_t p = 0;
    while (p < n) {
        // Tags often follow one another: the search is made only when text comes between.
        size_t lt = p;
        if (in[p] != '<') {
            lt = FindByte(in, p, '<');
            if (lt == n) break;
        }
        if (lt + 1 >= n) break;
        const char c = in[lt + 1];
        const bool end = c == '/' && lt + 2 < n && IsAsciiAlpha(in[lt + 2]);
        if (IsAsciiAlpha(c) || end) {
            size_t q = lt + (end ? 2 : 1);
            const size_t name_begin = q;
            // The name is lowered as it is read, as far as the buffer holds.
            for (; q < n && !kTagNameEnds[static_cast<unsigned char>(in[q])]; ++q)
                if (q - name_begin < sizeof name) name[q - name_begin] = LowerAscii(in[q]);
            const size_t length = q - name_begin;
            const std::string_view tag_name(name, std::min(length, sizeof name));
            const bool listed = length <= sizeof name;
            bool self_closing = false;
            // Of a start tag's attributes only those that may hold script are kept, and read
            // once the tag is known to end (the browser drops one the input cuts off).
            candidates.clear();
            const size_t tag_end = end ? WalkTag(in, q, self_closing, [](const Attribute&) {})
                                       : WalkTag(in, q, self_closing, [&](const Attribute& a) {
                                             if (MayHoldScript(in, a)) candidates.push_back(a);
                                         });
            if (tag_end == std::string_view::npos) break;  // the rest is an unfinished tag
            p = tag_end;
            for (const Attribute& a : candidates) ReadAttributeScript(in, a, facts);
            const bool svg = listed && tag_name == "svg", math = listed && tag_name == "math";
            if (end) {
                // An end tag closes the innermost open element of its name, and what is open
                // inside it; "</p>" and "</br>" leave foreign content.
                if (svg || math) {
                    for (size_t i = foreign.size(); i > 0; --i)
                        if (foreign[i - 1] == svg) {
                            foreign.resize(i - 1);
                            break;
                        }
                } else if (listed && (tag_name == "p" || tag_name == "br")) {
                    foreign.clear();
                }
                continue;
            }
            if (svg || math) {
                if (!self_closing) foreign.push_back(svg);
                continue;
            }
            const uint32_t raw_text_bits = raw_text_lengths[static_cast<unsigned char>(tag_name[0])];
            if (!listed || (foreign.empty() && !(raw_text_bits >> length & 1u))) continue;
            const uint32_t flags = ElementFlags(tag_name);
            if (!foreign.empty()) {
                if (flags & kBreakout) foreign.clear();
                continue;
            }
            const TextState state = RawTextStateOf(flags);
            if (state == TextState::Data) continue;
            if (state == TextState::Plaintext) break;
            if (AppropriateEndTag(in, p, tag_name)) continue;
            const size_t text_end = state == TextState::ScriptData ? ScriptDataEnd(in, p, tag_name)
                                                                   : RawTextEnd(in, p, tag_name);
            if (tag_name == "style" || tag_name == "script") texts.push_back({p, text_end, tag_name == "style"});
            p = text_end;
            continue;
        }
        if (c == '!') {
            if (in.compare(lt + 2, 2, "--") == 0) {
                size_t content_end;
                p = CommentEnd(in, lt + 4, content_end);
                continue;
            }
            if (!foreign.empty() && in.compare(lt + 2, 7, "[CDATA[") == 0) {
                const size_t close = in.find("]]>", lt + 9);
                p = close == std::string_view::npos ? n : close + 3;
                continue;
            }
        }
        if (c == '!' || c == '?' || (c == '/' && lt + 2 < n)) {
            // Doctypes and bogus comments end at the next ">" ("</>" among them).
            const size_t gt = in.find('>', lt + 2);
            p = gt == std::string_view::npos ? n : gt + 1;
            continue;
        }
        p = lt + 1;
    }
}

// Whether a style sheet holds "@import" in any case (each "@" found by memchr).
bool HasImport(std::string_view css) {
    for (size_t at = css.find('@'); at != std::string_view::npos; at = css.find('@', at + 1))
        if (EqualsIgnoringCase(css.substr(at + 1, 6), "import")) return true;
    return false;
}

void ReadRawTexts(std::string_view input, const std::vector<RawText>& texts, PageFacts& facts) {
    for (const RawText& text : texts) {
        std::string_view raw = input.substr(text.begin, text.end - text.begin);
        if (text.style) {
            if (HasImport(raw)) facts.outside_style_sheets = true;
            ReadStyleSheet(raw, facts);
            AddMentionedWords(raw, facts);
        } else {
            AddScriptReferences(raw, facts);
        }
    }
}

bool StartsWithUtf16Mark(std::string_view input) {
    return input.size() >= 2 &&
           ((static_cast<unsigned char>(input[0]) == 0xFE && static_cast<unsigned char>(input[1]) == 0xFF) ||
            (static_cast<unsigned char>(input[0]) == 0xFF && static_cast<unsigned char>(input[1]) == 0xFE));
}

}  // namespace

bool ReadStyleSheetsLoosely(std::string_view in, size_t from, const std::vector<size_t>& read, PageFacts& facts) {
    auto sizes = [&] {
        const SelectorSubjects& a = facts.preserve_space;
        const SelectorSubjects& b = facts.not_block;
        return std::array<size_t, 9>{a.tags.size(), a.classes.size(), a.ids.size(), a.all,
                                     b.tags.size(), b.classes.size(), b.ids.size(), b.all,
                                     facts.mentioned.size() + facts.outside_style_sheets};
    };
    const auto before = sizes();
    const size_t n = in.size();
    for (size_t p = in.find('<', from); p != std::string_view::npos && p + 6 < n; p = in.find('<', p + 1)) {
        if (!EqualsIgnoringCase(in.substr(p + 1, 5), "style") || !kTagNameEnds[static_cast<unsigned char>(in[p + 6])])
            continue;
        const size_t gt = in.find('>', p + 6);
        if (gt == std::string_view::npos) break;
        size_t end = in.find("</", gt + 1);
        while (end != std::string_view::npos && !EqualsIgnoringCase(in.substr(end + 2, 5), "style"))
            end = in.find("</", end + 2);
        if (end == std::string_view::npos) end = n;
        const std::string_view css = in.substr(gt + 1, end - gt - 1);
        p = end;
        if (std::binary_search(read.begin(), read.end(), gt + 1)) continue;
        if (HasImport(css)) facts.outside_style_sheets = true;
        ReadStyleSheet(css, facts);
        AddMentionedWords(css, facts);
    }
    return sizes() != before;
}

PageFacts ScanPage(std::string_view input) {
    PageFacts facts;
    if (StartsWithUtf16Mark(input)) {
        facts.ascii_compatible = false;
        return facts;
    }
    if (input.starts_with("\xEF\xBB\xBF")) facts.utf8 = true;
    std::vector<RawText> texts;
    ReadTokens(input, facts, &texts);
    ReadRawTexts(input, texts, facts);
    FindServerCode(input, facts);
    return facts;
}

PageFacts ScanPageQuickly(std::string_view input, std::vector<RawText>& texts) {
    PageFacts facts;
    if (StartsWithUtf16Mark(input)) {
        facts.ascii_compatible = false;
        return facts;
    }
    if (input.starts_with("\xEF\xBB\xBF")) facts.utf8 = true;
    ReadTokens(input, facts, nullptr);
    WalkRawTexts(input, texts, facts);
    ReadRawTexts(input, texts, facts);
    FindServerCode(input, facts);
    return facts;
}

}  // namespace tsqz::web
