// The web template's test oracle over gumbo's HTML5 parser.
#include "web/dom_oracle.h"

#include <gumbo.h>

#include <cctype>
#include <csetjmp>
#include <csignal>

#include "web/css_minify.h"
#include "web/js_minify.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace tsqz::web_test {

namespace {

// Block-level boxes of the browser's default style sheet: white space next to them is not shown.
const std::set<std::string> kBlocks = {
    "address", "article", "aside", "blockquote", "body", "caption", "center", "col", "colgroup",
    "dd", "details", "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form",
    "h1", "h2", "h3", "h4", "h5", "h6", "head", "header", "hgroup", "hr", "html", "legend", "li",
    "listing", "main", "menu", "nav", "ol", "optgroup", "option", "p", "plaintext", "pre", "search",
    "section", "summary", "table", "tbody", "td", "tfoot", "th", "thead", "tr", "ul", "xmp"};
// Their text is shown (or used) exactly as written.
const std::set<std::string> kExactText = {
    "pre", "textarea", "listing", "plaintext", "xmp", "script", "style", "title", "noscript",
    "iframe", "noembed", "noframes", "template"};
const std::set<std::string> kBoolean = {
    "allowfullscreen", "async", "autofocus", "autoplay", "checked", "controls", "default", "defer",
    "disabled", "formnovalidate", "hidden", "inert", "ismap", "itemscope", "loop", "multiple", "muted",
    "nomodule", "novalidate", "open", "playsinline", "readonly", "required", "reversed", "selected"};
struct Default {
    const char *element, *attribute, *value;
};
const Default kDefaults[] = {
    {"script", "type", "text/javascript"}, {"script", "language", "javascript"},
    {"style", "type", "text/css"}, {"link", "type", "text/css"},
    {"form", "method", "get"}, {"form", "enctype", "application/x-www-form-urlencoded"},
    {"input", "type", "text"}, {"button", "type", "submit"}, {"area", "shape", "rect"}};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

struct Node {
    enum Kind { Element, Text, Comment } kind;
    std::string name;  // "ns:name" for elements
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    bool exact = false;  // text inside an exact-text or foreign element
    bool block = false;
    bool hidden = false;  // a "hidden" attribute: not displayed
    std::vector<std::unique_ptr<Node>> children;
};

std::string ElementName(const GumboElement& e) {
    if (e.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(e.tag);
    GumboStringPiece piece = e.original_tag;
    // The parser ignores "</>", but its original text stays at the front of the next tag's.
    while (piece.length > 3 && std::string_view(piece.data, 3) == "</>") {
        piece.data += 3;
        piece.length -= 3;
    }
    gumbo_tag_from_original_text(&piece);
    return Lower(std::string(piece.data, piece.length));
}

bool KeptComment(const std::string& text) {
    return text.rfind("[if", 0) == 0 || text.rfind("[endif", 0) == 0 || text.rfind("<![endif", 0) == 0 ||
           text.rfind("#", 0) == 0 || text.rfind("?", 0) == 0;
}

// The minified form of a STYLE or SCRIPT element's text. The oracle's text is UTF-8 whatever
// the page's encoding, so escapes of non-ASCII characters become the characters on both sides
// (the engine writes them so on UTF-8 pages only).
std::string MinifiedRawText(const GumboElement& e, const std::string& name, std::string_view text) {
    if (name == "style") return tsqz::web::MinifyStyleSheet(text);
    std::string_view type, language;
    bool has_type = false, has_language = false;
    for (unsigned i = 0; i < e.attributes.length; ++i) {
        auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
        if (!has_type && std::string_view(a->name) == "type") {
            has_type = true;
            type = a->value;
        } else if (!has_language && std::string_view(a->name) == "language") {
            has_language = true;
            language = a->value;
        }
    }
    return tsqz::web::MinifyScriptElement(
        text, tsqz::web::ClassifyScriptType(type, has_type, language, has_language), true);
}

std::unique_ptr<Node> Convert(const GumboNode* g, bool exact) {
    auto n = std::make_unique<Node>();
    switch (g->type) {
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE: {
        const GumboElement& e = g->v.element;
        std::string name = ElementName(e);
        bool html = e.tag_namespace == GUMBO_NAMESPACE_HTML;
        n->kind = Node::Element;
        n->name = (html ? "" : e.tag_namespace == GUMBO_NAMESPACE_SVG ? "svg:" : "math:") + name;
        bool hidden = false;
        for (unsigned i = 0; i < e.attributes.length; ++i) {
            auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
            std::string an = a->name, av = a->value;
            if (html && an == "hidden") hidden = true;
            if (html && kBoolean.count(an) && (av.empty() || Lower(av) == an)) av.clear();
            bool is_default = false;
            for (const Default& d : kDefaults)
                if (html && name == d.element && an == d.attribute && Lower(av) == d.value) is_default = true;
            if (is_default) continue;
            // Style attributes, STYLE and SCRIPT text are compared in their minified forms:
            // the minifiers give their own output back unchanged, and the parser oracle of
            // tests/minify checks that a minified form means what its input meant.
            if (html && an == "style") av = tsqz::web::MinifyStyleDeclarations(av);
            n->attributes.emplace_back(std::to_string(a->attr_namespace) + ":" + an, av);
        }
        std::sort(n->attributes.begin(), n->attributes.end());
        n->block = html && !hidden && kBlocks.count(name);
        n->hidden = html && hidden;
        bool child_exact = exact || !html || kExactText.count(name);
        for (unsigned i = 0; i < e.children.length; ++i) {
            auto child = Convert(static_cast<const GumboNode*>(e.children.data[i]), child_exact);
            if (!child) continue;
            // The head and the space between head and body are never rendered.
            if (html && (name == "head" || name == "html") && child->kind == Node::Text &&
                std::all_of(child->text.begin(), child->text.end(), IsSpace))
                continue;
            // Neighbouring text (after dropped comments) joins into one node.
            if (child->kind == Node::Text && !n->children.empty() && n->children.back()->kind == Node::Text)
                n->children.back()->text += child->text;
            else
                n->children.push_back(std::move(child));
        }
        if (html && (name == "style" || name == "script") && n->children.size() == 1 &&
            n->children[0]->kind == Node::Text)
            n->children[0]->text = MinifiedRawText(e, name, n->children[0]->text);
        return n;
    }
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_CDATA:
    case GUMBO_NODE_WHITESPACE:
        n->kind = Node::Text;
        n->text = g->v.text.text;
        n->exact = exact;
        return n;
    case GUMBO_NODE_COMMENT:
        if (!KeptComment(g->v.text.text)) return nullptr;
        n->kind = Node::Comment;
        n->text = g->v.text.text;
        return n;
    default:
        return nullptr;
    }
}

// Document order events: a block edge, something shown inline, or a text node.
struct Event {
    enum Kind { Edge, Content, TextNode } kind;
    Node* text = nullptr;
};

void Flatten(Node* n, std::vector<Event>& out) {
    if (n->kind == Node::Text) {
        // A script minified to nothing shows as much as a script without text: nothing.
        if (n->exact && n->text.empty()) return;
        out.push_back({n->exact ? Event::Content : Event::TextNode, n});
        if (n->exact) out.back().text = nullptr;
        return;
    }
    if (n->kind != Node::Element) return;
    if (n->block) out.push_back({Event::Edge});
    // A line break ends a line: no white space shows at either side of it.
    if (n->name == "br" && !n->hidden) out.push_back({Event::Edge});
    if (n->name == "img" || n->name == "input" || n->name == "embed" ||
        n->name == "iframe" || n->name == "textarea" || n->name == "select" || n->name == "button" ||
        n->name.rfind("svg:", 0) == 0 || n->name.rfind("math:", 0) == 0)
        out.push_back({Event::Content});
    for (auto& c : n->children) Flatten(c.get(), out);
    if (n->block) out.push_back({Event::Edge});
}

// White space as the browser renders it: runs collapse across neighbouring text nodes, and
// none stays at the start or end of a line, next to a block edge.
void NormaliseSpace(Node* root) {
    std::vector<Event> events;
    Flatten(root, events);
    events.push_back({Event::Edge});
    bool last_space = true;  // at the start of a line, a space is not shown
    Node* last_node = nullptr;
    for (const Event& ev : events) {
        if (ev.kind == Event::Edge) {
            if (last_node && !last_node->text.empty() && last_node->text.back() == ' ') last_node->text.pop_back();
            last_space = true;
            last_node = nullptr;
        } else if (ev.kind == Event::Content) {
            last_space = false;
            last_node = nullptr;
        } else {
            std::string c;
            for (char ch : ev.text->text) {
                if (IsSpace(ch)) {
                    if (!last_space) c.push_back(' ');
                    last_space = true;
                } else {
                    c.push_back(ch);
                    last_space = false;
                }
            }
            ev.text->text = c;
            if (!c.empty()) last_node = ev.text;
        }
    }
}

void Serialise(const Node* n, std::string& out, int depth) {
    switch (n->kind) {
    case Node::Element:
        out.append(depth, ' ').append("<" + n->name);
        for (auto& [k, v] : n->attributes) out.append(" " + k + "=\"" + v + "\"");
        out.append(">\n");
        for (auto& c : n->children) Serialise(c.get(), out, depth + 1);
        break;
    case Node::Text:
        if (n->text.empty()) return;
        out.append(depth, ' ').append("\"" + n->text + "\"\n");
        break;
    case Node::Comment:
        out.append(depth, ' ').append("<!--" + n->text + "-->\n");
        break;
    }
}

// The parser reads UTF-8 only: a page that declares windows-1252 (or a label the browser reads
// as such) near its start is given to it transcoded, so its bytes mean what they mean to the
// browser.
bool DeclaresWindows1252(std::string_view html) {
    if (html.starts_with("\xEF\xBB\xBF")) return false;
    std::string head = Lower(std::string(html.substr(0, 1024)));
    size_t at = head.find("charset");
    if (at == std::string::npos) return false;
    size_t p = at + 7;
    while (p < head.size() && (IsSpace(head[p]) || head[p] == '=' || head[p] == '"' || head[p] == '\'')) ++p;
    size_t q = p;
    while (q < head.size() && !IsSpace(head[q]) && head[q] != '"' && head[q] != '\'' && head[q] != ';' &&
           head[q] != '>' && head[q] != '/')
        ++q;
    static const std::set<std::string> kLabels = {
        "ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1", "iso-ir-100",
        "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1", "us-ascii",
        "windows-1252", "x-cp1252"};
    return kLabels.count(head.substr(p, q - p)) > 0;
}

std::string Windows1252ToUtf8(std::string_view in) {
    static const unsigned kHigh[32] = {
        0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};
    std::string out;
    for (unsigned char c : in) {
        unsigned cp = c < 0x80 ? c : c < 0xA0 ? kHigh[c - 0x80] : c;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// gumbo stops the process on an assertion of its own for some documents (a text buffer left
// over in its table rules); such a document cannot be judged. The parse runs with a handler
// for the abort signal that returns here instead; the parser's memory of that run is lost.
sigjmp_buf parse_abort;
volatile sig_atomic_t parsing = 0;

void OnParseAbort(int signal) {
    if (parsing) siglongjmp(parse_abort, 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

GumboOutput* GuardedParse(std::string_view html) {
    struct sigaction guard {}, previous {};
    guard.sa_handler = OnParseAbort;
    sigemptyset(&guard.sa_mask);
    sigaction(SIGABRT, &guard, &previous);
    GumboOutput* output = nullptr;
    if (sigsetjmp(parse_abort, 1) == 0) {
        parsing = 1;
        output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    }
    parsing = 0;
    sigaction(SIGABRT, &previous, nullptr);
    return output;
}

// gumbo (0.10) takes a form that "</form>" closes off its stack of open elements without first
// inserting the text it has read before that end tag, so the text lands after the form
// (`<form>x</form>` gives an empty form and "x" after it); browsers keep the text in the form.
// It does the same with a link that an "<a>" start tag closes by the adoption agency (after a
// run of reopened links: `<a><div><figcaption><form><footer><dd><p><button><p>x<a>` puts "x"
// after the last reopened link, not in it). Such text is the element's next sibling, and its
// source holds the tag that closed the element: that is the first such tag in it that is not
// already preceded by an empty comment. Adds each such tag's offset in `html` to `at` as an
// empty span (the comment goes right before the tag).
constexpr std::string_view kFlushComment = "<!---->";
struct TextHeldAcross {
    GumboTag closed;
    std::string_view by;  // the tag's start, lowered
};
constexpr TextHeldAcross kTextHeldAcross[] = {{GUMBO_TAG_FORM, "</form"}, {GUMBO_TAG_A, "<a"}};

void TagsClosingAroundText(const GumboNode* node, std::string_view html, std::vector<std::pair<size_t, size_t>>& at) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE &&
        node->type != GUMBO_NODE_DOCUMENT)
        return;
    const GumboVector& children =
        node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        auto* child = static_cast<const GumboNode*>(children.data[i]);
        TagsClosingAroundText(child, html, at);
        if (child->type != GUMBO_NODE_ELEMENT || child->v.element.tag_namespace != GUMBO_NAMESPACE_HTML ||
            i + 1 == children.length)
            continue;
        const TextHeldAcross* held = std::find_if(std::begin(kTextHeldAcross), std::end(kTextHeldAcross),
                                                  [&](const TextHeldAcross& h) { return h.closed == child->v.element.tag; });
        if (held == std::end(kTextHeldAcross)) continue;
        const size_t length = held->by.size();
        auto* next = static_cast<const GumboNode*>(children.data[i + 1]);
        if (next->type != GUMBO_NODE_TEXT && next->type != GUMBO_NODE_WHITESPACE) continue;
        const GumboStringPiece& source = next->v.text.original_text;
        if (source.data < html.data() || source.data + source.length > html.data() + html.size()) continue;
        const size_t begin = static_cast<size_t>(source.data - html.data()), end = begin + source.length;
        // The tag may also stand right after the text's own source.
        for (size_t p = begin; p <= end && p + length + 1 <= html.size(); ++p) {
            if (html[p] != '<' || Lower(std::string(html.substr(p, length))) != held->by) continue;
            const char after = html[p + length];
            if (!IsSpace(after) && after != '/' && after != '>') continue;
            if (p >= kFlushComment.size() && html.substr(p - kFlushComment.size(), kFlushComment.size()) == kFlushComment)
                continue;
            at.emplace_back(p, p);
            break;
        }
    }
}

// gumbo (0.10) reads an end tag that the body's rules handle as "any other end tag" past an SVG
// title still open inside the element it names: `<span><svg><title></span>` closes the title,
// the svg and the span. Browsers stop at the title, a special element, and ignore the end tag,
// so what follows stays in the title (or in the SVG inside it). gumbo records the closing end
// tag on every element it popped; where an SVG title shares it with an HTML ancestor of that
// name, the tag's bytes are replaced by an empty comment, which browsers read as nothing there
// (the element open at that point is no table part, whose text a comment would split). End
// tags that do close a title in browsers are left: a template's, a select's, and a table's or
// its parts' (their rules pop to the element without looking at special ones).
constexpr std::string_view kClosePastTitle[] = {"template", "select", "table", "caption", "colgroup",
                                                "tbody",    "thead",  "tfoot", "tr",      "td", "th"};

bool PoppedSvgTitle(const GumboNode* node, const char* end_tag) {
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        auto* child = static_cast<const GumboNode*>(children.data[i]);
        if ((child->type != GUMBO_NODE_ELEMENT && child->type != GUMBO_NODE_TEMPLATE) ||
            child->v.element.original_end_tag.data != end_tag)
            continue;
        if ((child->v.element.tag_namespace == GUMBO_NAMESPACE_SVG && child->v.element.tag == GUMBO_TAG_TITLE) ||
            PoppedSvgTitle(child, end_tag))
            return true;
    }
    return false;
}

void EndTagsPastSvgTitle(const GumboNode* node, std::string_view html, std::vector<std::pair<size_t, size_t>>& at) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE && node->type != GUMBO_NODE_DOCUMENT)
        return;
    const GumboVector& children =
        node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) EndTagsPastSvgTitle(static_cast<const GumboNode*>(children.data[i]), html, at);
    if (node->type == GUMBO_NODE_DOCUMENT || node->v.element.tag_namespace != GUMBO_NAMESPACE_HTML) return;
    const GumboStringPiece& tag = node->v.element.original_end_tag;
    if (tag.length < 3 || tag.data < html.data() || tag.data + tag.length > html.data() + html.size()) return;
    const std::string name = ElementName(node->v.element);
    const std::string written = Lower(std::string(tag.data, tag.length));
    const char after = written.size() > name.size() + 2 ? written[name.size() + 2] : '\0';
    if (written.compare(0, name.size() + 2, "</" + name) != 0 || !(IsSpace(after) || after == '/' || after == '>') ||
        std::find(std::begin(kClosePastTitle), std::end(kClosePastTitle), name) != std::end(kClosePastTitle) ||
        !PoppedSvgTitle(node, tag.data))
        return;
    const size_t begin = static_cast<size_t>(tag.data - html.data());
    at.emplace_back(begin, begin + tag.length);
}

// "</>" gives the parser no token, but gumbo (0.10) does not start its next token after it:
// a tag right behind it takes its name from source that begins at "</>", which matters in
// SVG and MathML, where names keep their case from the source (`<svg></></svg>` leaves the svg
// open, `<svg><g></><g>` opens an element named "><g"). In a page with SVG or MathML, leaving
// out each run of "</>" that stands right before a tag gives the tree browsers build. Where
// "</>" is text (in a script, a style sheet, an RCDATA element, an attribute's value or a
// comment, as the first parse `output` shows) or part of a tag, it stays. Text after a
// PLAINTEXT start tag is all source, also where the parser put it into formatting elements
// it opened again inside the PLAINTEXT element (`<a><plaintext></>x` puts "</>x" in an "a").
void SourceOfText(const GumboNode* node, std::string_view html, std::vector<std::pair<size_t, size_t>>& spans,
                  bool in_plaintext = false) {
    auto add = [&](const GumboStringPiece& piece) {
        if (piece.data >= html.data() && piece.data + piece.length <= html.data() + html.size())
            spans.emplace_back(static_cast<size_t>(piece.data - html.data()),
                               static_cast<size_t>(piece.data - html.data()) + piece.length);
    };
    if (node->type == GUMBO_NODE_COMMENT) add(node->v.text.original_text);
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE && node->type != GUMBO_NODE_DOCUMENT)
        return;
    const GumboVector& children =
        node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
    bool text_is_source = in_plaintext;
    if (node->type != GUMBO_NODE_DOCUMENT) {
        const GumboElement& e = node->v.element;
        for (unsigned i = 0; i < e.attributes.length; ++i)
            add(static_cast<const GumboAttribute*>(e.attributes.data[i])->original_value);
        // A tag's own bytes ("<x</>" is a start tag named "x<"); the tag's source may begin at
        // a "</>" before it, which is the one left out.
        for (GumboStringPiece tag : {e.original_tag, e.original_end_tag})
            if (tag.length > 1) add(GumboStringPiece{tag.data + 1, tag.length - 1});
        static constexpr GumboTag kTextElements[] = {
            GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE,    GUMBO_TAG_XMP,       GUMBO_TAG_IFRAME,   GUMBO_TAG_NOEMBED,
            GUMBO_TAG_NOFRAMES, GUMBO_TAG_NOSCRIPT, GUMBO_TAG_PLAINTEXT, GUMBO_TAG_TEXTAREA, GUMBO_TAG_TITLE};
        text_is_source = in_plaintext || (e.tag_namespace == GUMBO_NAMESPACE_HTML &&
                                          std::find(std::begin(kTextElements), std::end(kTextElements), e.tag) !=
                                              std::end(kTextElements));
        in_plaintext = in_plaintext || (e.tag_namespace == GUMBO_NAMESPACE_HTML && e.tag == GUMBO_TAG_PLAINTEXT);
    }
    for (unsigned i = 0; i < children.length; ++i) {
        auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (text_is_source && (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE))
            add(child->v.text.original_text);
        SourceOfText(child, html, spans, in_plaintext);
    }
}

std::string WithoutEmptyEndTagsBeforeTags(const GumboOutput* output, std::string_view html) {
    const std::string lowered = Lower(std::string(html));
    if (lowered.find("<svg") == std::string::npos && lowered.find("<math") == std::string::npos) return {};
    // Inside a tag that gumbo made no element of (an end tag it dropped): after its "<" and a
    // letter, with no ">" since.
    auto inside_tag = [&](size_t p) {
        const size_t lt = p == 0 ? std::string_view::npos : html.rfind('<', p - 1);
        if (lt == std::string_view::npos) return false;
        const size_t gt = html.rfind('>', p - 1);
        if (gt != std::string_view::npos && gt > lt) return false;
        size_t k = lt + 1;
        if (k < p && html[k] == '/') ++k;
        return k < p && std::isalpha(static_cast<unsigned char>(html[k]));
    };
    std::vector<std::pair<size_t, size_t>> text;
    bool text_found = false;
    std::string out;
    size_t from = 0;
    for (size_t p = html.find("</>"); p != std::string_view::npos; p = html.find("</>", p)) {
        size_t q = p;  // past a run of "</>"
        while (html.compare(q, 3, "</>") == 0) q += 3;
        size_t name = q + 1;
        if (name < html.size() && html[name] == '/') ++name;
        const bool before_tag = q < html.size() && html[q] == '<' && name < html.size() &&
                                std::isalpha(static_cast<unsigned char>(html[name]));
        if (before_tag && !text_found) {
            SourceOfText(output->document, html, text);
            text_found = true;
        }
        if (before_tag && !inside_tag(p) && std::none_of(text.begin(), text.end(), [&](const auto& span) {
                return span.first <= p && p < span.second;
            })) {
            out.append(html.substr(from, p - from));
            from = q;
        }
        p = q;
    }
    if (from == 0) return {};
    out.append(html.substr(from));
    return out;
}

}  // namespace

std::string CanonicalTree(std::string_view page) {
    const std::string transcoded = DeclaresWindows1252(page) ? Windows1252ToUtf8(page) : std::string();
    std::string_view html = transcoded.empty() ? page : std::string_view(transcoded);
    GumboOutput* output = GuardedParse(html);
    std::string without_empty_end_tags = output ? WithoutEmptyEndTagsBeforeTags(output, html) : std::string();
    if (!without_empty_end_tags.empty()) {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
        html = without_empty_end_tags;
        output = GuardedParse(html);
    }
    // An empty comment before every "</form>" that gumbo closed with text still unplaced makes
    // it place the text first, as browsers do, and one in place of every end tag it read past
    // an SVG title makes it ignore the tag (the comments are dropped below like any other).
    std::string repaired;
    for (int round = 0; output && round < 8; ++round) {
        std::vector<std::pair<size_t, size_t>> at;  // bytes to replace with the comment
        TagsClosingAroundText(output->document, html, at);
        EndTagsPastSvgTitle(output->document, html, at);
        if (at.empty()) break;
        std::sort(at.begin(), at.end());
        at.erase(std::unique(at.begin(), at.end()), at.end());
        std::string next;
        size_t from = 0;
        for (auto [begin, end] : at) {
            if (begin < from) continue;  // within a tag already replaced
            next.append(html.substr(from, begin - from)).append(kFlushComment);
            from = end;
        }
        next.append(html.substr(from));
        gumbo_destroy_output(&kGumboDefaultOptions, output);
        repaired = std::move(next);
        html = repaired;
        output = GuardedParse(html);
    }
    if (!output) return std::string(kUnparsed);
    const GumboDocument& doc = output->document->v.document;
    std::string out = "doctype=" + std::to_string(doc.has_doctype) + " mode=" +
                      std::to_string(doc.doc_type_quirks_mode) + "\n";
    for (unsigned i = 0; i < doc.children.length; ++i) {
        auto node = Convert(static_cast<const GumboNode*>(doc.children.data[i]), false);
        if (!node) continue;
        if (node->kind == Node::Element) NormaliseSpace(node.get());
        if (node->kind == Node::Text) continue;  // text outside the root does not exist
        Serialise(node.get(), out, 0);
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return out;
}

// gumbo (0.10) stops on an assertion of its own when text follows a CDATA section in an
// SVG/MathML integration point inside a table (`<table><svg><title><![CDATA[x]]>y`), where
// browsers simply add the text to the title. Any comment after the section avoids it, so a
// page that loses a comment there can stop gumbo while the page it came from did not. For
// such a pair both pages are read again with an empty comment after every CDATA section; the
// comment is dropped like any other and the text around it joined.
std::string FlushAfterCdata(std::string_view html) {
    std::string out;
    size_t from = 0;
    for (size_t open; (open = html.find("<![CDATA[", from)) != std::string_view::npos;) {
        size_t close = html.find("]]>", open + 9);
        if (close == std::string_view::npos) break;
        out.append(html.substr(from, close + 3 - from)).append(kFlushComment);
        from = close + 3;
    }
    return out.append(html.substr(from));
}

std::string TreeDifference(std::string_view before, std::string_view after) {
    std::string a = CanonicalTree(before);
    if (a == kUnparsed) return {};  // the parser cannot read the input: nothing to compare with
    std::string b = CanonicalTree(after);
    if (b == kUnparsed && after.find("<![CDATA[") != std::string_view::npos) {
        std::string flushed = CanonicalTree(FlushAfterCdata(after));
        if (flushed != kUnparsed) {
            a = CanonicalTree(FlushAfterCdata(before));
            b = std::move(flushed);
        }
    }
    if (a == b) return {};
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    size_t from = i > 300 ? i - 300 : 0;
    return "input tree:\n" + a.substr(from, 600) + "\n---- output tree:\n" + b.substr(from, 600);
}

}  // namespace tsqz::web_test
