// Which block-level elements a page's own style sheets may lay out as text-level boxes.
#include "passes/display_rules.h"

#include <algorithm>
#include <cstddef>

#include "passes/inline_elements.h"
#include "text/position.h"
#include "text/text.h"

namespace tsqz {
namespace {

// Display values that make a box block-level, a table part, a list item, or no box at all;
// any other value (inline, inline-block, inline-flex, contents, run-in, ruby, initial,
// inherit, var(...), ...) may make it text-level.
constexpr std::string_view kBoxValues[] = {
    "block",
    "none",
    "flex",
    "grid",
    "table",
    "list-item",
    "flow-root",
    "table-row-group",
    "table-header-group",
    "table-footer-group",
    "table-row",
    "table-cell",
    "table-column-group",
    "table-column",
    "table-caption",
    "-webkit-box",
    "-webkit-flex",
    "-ms-flexbox",
    "-moz-box",
    "-ms-grid",
    "flow",
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsNameByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return ((u | 0x20) >= 'a' && (u | 0x20) <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '\\' || u >= 0x80;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
    }
    return out;
}

// Inline: TakeTags calls it for every tag of the page, and a call per tag costs more than
// the conversion itself.
inline std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

void AddOnce(std::vector<std::string>& list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
}

// The classes and ids that rules make text-level, and what comes out for names.
struct Reached {
    DisplayRules rules;
    std::vector<std::string> classes;  // lower case: quirks-mode pages match them so
    std::vector<std::string> ids;
};

// The index of the byte that closes the bracket opened at `open` ("{", "(" or "["), or the
// text's end; quoted strings are skipped.
size_t Closing(std::string_view css, size_t open) {
    const char opener = css[open];
    const char closer = opener == '{' ? '}' : opener == '(' ? ')' : ']';
    int depth = 0;
    for (size_t i = open; i < css.size(); ++i) {
        const char c = css[i];
        if (c == '"' || c == '\'') {
            const size_t end = css.find(c, i + 1);
            if (end == kNone) return css.size();
            i = end;
        } else if (c == opener) {
            ++depth;
        } else if (c == closer && --depth == 0) {
            return i;
        }
    }
    return css.size();
}

// Whether declarations ("a: b; display: inline") set display to a value that may be inline.
bool SetsInlineDisplay(std::string_view declarations) {
    size_t start = 0;
    while (start < declarations.size()) {
        size_t end = start;
        while (end < declarations.size() && declarations[end] != ';') {
            const char c = declarations[end];
            if (c == '(' || c == '"' || c == '\'') {
                end = c == '(' ? Closing(declarations, end) : declarations.find(c, end + 1);
                if (end == kNone) end = declarations.size();
            }
            if (end < declarations.size()) ++end;
        }
        const std::string_view one = declarations.substr(start, end - start);
        const size_t colon = one.find(':');
        if (colon != kNone && Lower(Trim(one.substr(0, colon))) == "display" &&
            DisplayValueMayBeInline(one.substr(colon + 1))) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Takes in one selector ("div.header > h3:hover"): the element it styles is the last compound
// selector's; pseudo-elements style a box of their own, not the element's.
void TakeSelector(std::string_view selector, Reached& reached) {
    selector = Trim(selector);
    if (selector.empty()) return;
    // The start of the last compound selector: after the last combinator outside brackets.
    size_t compound = 0;
    for (size_t i = 0; i < selector.size(); ++i) {
        const char c = selector[i];
        if (c == '(' || c == '[') {
            i = Closing(selector, i);
        } else if (c == '\\') {
            ++i;
        } else if (IsSpace(c) || c == '>' || c == '+' || c == '~') {
            compound = i + 1;
        }
    }
    const std::string_view last = selector.substr(std::min(compound, selector.size()));
    std::string type;
    std::vector<std::string> classes;
    std::vector<std::string> ids;
    size_t i = 0;
    if (i < last.size() && last[i] == '*') {
        ++i;
    } else {
        while (i < last.size() && IsNameByte(last[i]))
            type += last[i++];
    }
    if (i < last.size() && last[i] == '|') {  // a namespace prefix: the type follows
        type.clear();
        ++i;
        while (i < last.size() && IsNameByte(last[i]))
            type += last[i++];
    }
    while (i < last.size()) {
        const char c = last[i];
        if (c == '.' || c == '#') {
            std::string name;
            for (++i; i < last.size() && IsNameByte(last[i]); ++i) {
                if (last[i] == '\\' && i + 1 < last.size()) ++i;
                name += last[i];
            }
            if (!name.empty()) (c == '.' ? classes : ids).push_back(Lower(name));
        } else if (c == '[' || c == '(') {
            i = Closing(last, i) + 1;
        } else if (c == ':') {
            const bool element = i + 1 < last.size() && last[i + 1] == ':';
            size_t end = i + (element ? 2 : 1);
            while (end < last.size() && IsNameByte(last[end]))
                ++end;
            const std::string pseudo = Lower(last.substr(i, end - i));
            if (element || pseudo == ":before" || pseudo == ":after" || pseudo == ":first-line" ||
                pseudo == ":first-letter") {
                return;  // a rule for a pseudo-element: the element's own box is not touched
            }
            i = end;
        } else {
            ++i;
        }
    }
    if (type.empty() && classes.empty() && ids.empty()) {
        reached.rules.all = true;
        return;
    }
    if (!type.empty()) AddOnce(reached.rules.names, Upper(type));
    for (std::string& name : classes)
        AddOnce(reached.classes, std::move(name));
    for (std::string& name : ids)
        AddOnce(reached.ids, std::move(name));
}

// Reads a style sheet's rules, descending into @media and @supports blocks.
void TakeStyleSheet(std::string_view css, Reached& reached) {
    size_t prelude = 0;
    for (size_t i = 0; i < css.size(); ++i) {
        const char c = css[i];
        if (c == '"' || c == '\'') {
            const size_t end = css.find(c, i + 1);
            if (end == kNone) return;
            i = end;
        } else if (c == ';' || c == '}') {
            prelude = i + 1;
        } else if (c == '{') {
            const size_t close = Closing(css, i);
            const std::string_view head = Trim(css.substr(prelude, i - prelude));
            const std::string_view body = css.substr(i + 1, std::max(close, i + 1) - i - 1);
            if (!head.empty() && head[0] == '@') {
                const std::string at = Lower(head.substr(0, head.find_first_of(" \t\n\r\f(")));
                if (at == "@media" || at == "@supports" || at == "@document" ||
                    at == "@-moz-document" || at == "@layer" || at == "@container" ||
                    at == "@scope") {
                    TakeStyleSheet(body, reached);
                }
            } else if (SetsInlineDisplay(body)) {
                size_t from = 0;
                for (size_t k = 0; k <= head.size(); ++k) {
                    if (k < head.size() && (head[k] == '(' || head[k] == '[')) {
                        k = std::min(Closing(head, k), head.size() - 1);
                    } else if (k == head.size() || head[k] == ',') {
                        TakeSelector(head.substr(from, k - from), reached);
                        from = k + 1;
                    }
                }
            }
            i = close;
            prelude = close + 1;
        }
    }
}

// The style sheet text of every STYLE element, comments blanked out.
std::string StyleSheets(std::string_view document) {
    std::string css;
    for (size_t open = FindFrom(document, "<style", 0, true); open != kNone;) {
        const size_t gt = document.find('>', open);
        if (gt == kNone) break;
        const size_t end = FindFrom(document, "</style", gt, true);
        const size_t stop = end == kNone ? document.size() : end;
        css.append(document.substr(gt + 1, stop - gt - 1));
        css += '\n';
        if (end == kNone) break;
        open = FindFrom(document, "<style", end, true);
    }
    const auto blank = [&css](size_t from, size_t to) {
        std::fill(css.begin() + static_cast<std::ptrdiff_t>(from),
                  css.begin() + static_cast<std::ptrdiff_t>(std::min(to, css.size())), ' ');
    };
    for (size_t c = css.find("/*"); c != kNone; c = css.find("/*", c)) {
        const size_t end = css.find("*/", c + 2);
        blank(c, end == kNone ? css.size() : end + 2);
    }
    // The markers that hide a style sheet from very old browsers.
    for (const std::string_view marker : {"<!--", "-->"}) {
        for (size_t c = css.find(marker); c != kNone; c = css.find(marker, c))
            blank(c, c + marker.size());
    }
    return css;
}

// One attribute of a tag: its name in lower case and its value.
struct Attribute {
    std::string name;
    std::string_view value;
};

// Walks the attributes of the start tag whose name ends at `i`, up to its ">"; returns the
// index after the tag.
template <typename Visit>
size_t WalkAttributes(std::string_view doc, size_t i, const Visit& visit) {
    const size_t n = doc.size();
    while (i < n && doc[i] != '>') {
        if (IsSpace(doc[i]) || doc[i] == '/') {
            ++i;
            continue;
        }
        const size_t name_start = i;
        while (i < n && !IsSpace(doc[i]) && doc[i] != '=' && doc[i] != '>' && doc[i] != '/')
            ++i;
        Attribute attribute{Lower(doc.substr(name_start, i - name_start)), {}};
        size_t j = i;
        while (j < n && IsSpace(doc[j]))
            ++j;
        if (j < n && doc[j] == '=') {
            ++j;
            while (j < n && IsSpace(doc[j]))
                ++j;
            if (j < n && (doc[j] == '"' || doc[j] == '\'')) {
                const size_t end = std::min(doc.find(doc[j], j + 1), n);
                attribute.value = doc.substr(j + 1, end - j - 1);
                i = end + 1;
            } else {
                const size_t start = j;
                while (j < n && !IsSpace(doc[j]) && doc[j] != '>')
                    ++j;
                attribute.value = doc.substr(start, j - start);
                i = j;
            }
        }
        visit(attribute);
    }
    return i;
}

bool InList(const std::vector<std::string>& list, std::string_view item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Adds the names of block-level elements whose start tag carries a class or id that a rule
// makes text-level, or a style attribute that does.
void TakeTags(std::string_view doc, Reached& reached) {
    const size_t n = doc.size();
    for (size_t lt = doc.find('<'); lt != kNone && lt + 1 < n; lt = doc.find('<', lt + 1)) {
        size_t i = lt + 1;
        if (!tag_detail::IsAsciiLetter(static_cast<unsigned char>(doc[i]))) continue;
        while (i < n && !IsSpace(doc[i]) && doc[i] != '>' && doc[i] != '/' && doc[i] != '<')
            ++i;
        const std::string name = Upper(doc.substr(lt + 1, i - lt - 1));
        if (KindOfUpperName(name) != TagInfo::Kind::kBlock || reached.rules.MakesTextLevel(name))
            continue;
        bool reaches = false;
        WalkAttributes(doc, i, [&](const Attribute& a) {
            if (a.name == "class") {
                const std::string classes = Lower(a.value);
                size_t k = 0;
                while (k < classes.size() && !reaches) {
                    while (k < classes.size() && IsSpace(classes[k]))
                        ++k;
                    const size_t start = k;
                    while (k < classes.size() && !IsSpace(classes[k]))
                        ++k;
                    if (k > start)
                        reaches = InList(reached.classes, classes.substr(start, k - start));
                }
            } else if (a.name == "id") {
                reaches = reaches || InList(reached.ids, Lower(a.value));
            } else if (a.name == "style") {
                reaches = reaches || SetsInlineDisplay(a.value);
            }
        });
        if (reaches) reached.rules.names.push_back(name);
    }
}

}  // namespace

bool DisplayRules::MakesTextLevel(std::string_view upper) const {
    if (all) return true;
    for (const std::string& name : names) {
        if (name == upper) return true;
    }
    return false;
}

bool DisplayRules::MakesLiteralBlocksTextLevel() const {
    return MakesTextLevel("PRE") || MakesTextLevel("XMP") || MakesTextLevel("LISTING") ||
           MakesTextLevel("PLAINTEXT");
}

bool DisplayValueMayBeInline(std::string_view value) {
    std::string v = Lower(Trim(value));
    if (const size_t bang = v.find('!'); bang != kNone) v = std::string(Trim(v.substr(0, bang)));
    if (v.empty()) return false;
    // Two keywords ("inline flow-root", "block flow"): the outer one is what counts.
    const std::string first = v.substr(0, v.find_first_of(" \t\n\r\f"));
    for (const std::string_view box : kBoxValues) {
        if (first == box) return false;
    }
    return true;
}

DisplayRules ReadDisplayRules(std::string_view document) {
    Reached reached;
    // Without the word there is no such rule, in a style sheet or in an attribute.
    if (FindFrom(document, "display", 0, true) == kNone) return reached.rules;
    TakeStyleSheet(StyleSheets(document), reached);
    if (!reached.rules.all) TakeTags(document, reached);
    return reached.rules;
}

}  // namespace tsqz
