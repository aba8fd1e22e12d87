// A structured generator for the web template: random documents of a few dozen tokens drawn
// from a weighted alphabet aimed at the tree builder's hard parts (tables and their parts,
// SVG and MathML with their integration points and the tags that break out of them,
// formatting elements and misnesting, select, template, raw text, implied end tags, head,
// body and frameset, comments, server code, references, repeated and default attributes,
// CSS that keeps white space), each run through the web fuzz target's checks. Every document
// reaches the tree builder's rare paths, so it finds in seconds what byte mutation finds in
// hours. A finding is shrunk (tokens, then rules, then bytes) and written to a folder in the
// web fuzz target's raw form (two option bytes, then the document).
//
//   web_generator [--seed N] [--count N] [--seconds S] [--findings DIR] [--max-shrinks N]
//   web_generator --print SEED      the document of one seed (as a finding names it)
//   web_generator --shrink FILE     shrinks an input of the web fuzz target (either form)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gumbo.h>

#include "web/dom_oracle.h"
#include "web/web_tables.h"
#include "web/web_tokenizer.h"
#include "web_checks.h"

namespace {

using tsqz::web::WebOptions;
using Tokens = std::vector<std::string>;

// The alphabet, in groups; a document leans on one to three groups and draws rarely from the
// rest, so related tokens meet often enough to nest.
constexpr std::string_view kTables[] = {
    "<table>", "</table>", "<caption>", "</caption>", "<colgroup>", "</colgroup>", "<col>", "</col>",
    "<thead>", "</thead>", "<tbody>", "</tbody>", "<tfoot>", "</tfoot>", "<tr>", "</tr>", "<td>",
    "</td>", "<th>", "</th>", "<table><tr><td>", "<td class=a>", "<col span=2>", "<input type=hidden>",
    "<input type=text>", "<form>", "</form>", "x", " ", "\n", "<table border=1>", "</tbody></table>"};
constexpr std::string_view kForeign[] = {
    "<svg>", "</svg>", "<math>", "</math>", "<svg><title>", "<title>", "</title>", "<desc>", "</desc>",
    "<foreignObject>", "</foreignObject>", "<foreignobject>", "<mi>", "</mi>", "<mo>", "</mo>", "<mn>",
    "<ms>", "<mtext>", "</mtext>", "<annotation-xml>", "<annotation-xml encoding=text/html>",
    "<annotation-xml encoding=\"application/xhtml+xml\">", "</annotation-xml>", "<path/>", "<path>",
    "</path>", "<g>", "</g>", "<font>", "<font color=red>", "<font face=x>", "<font size=2>", "</font>",
    "<svg/>", "<math/>", "<mglyph>", "<malignmark>", "<![CDATA[ x ]]>", "<clipPath>", "<circle/>",
    "<b>", "<p>", "<div>", "<br>", "</br>", "</p>", "<table>", "<ul>", "<pre>", "<h1>", "<span>",
    "<img>", "<listing>", "<nobr>", "<center>", "<em>", "<i>", "<dl>", "<li>", "<menu>", "<meta>",
    "<ruby>", "<hr>", "<blockquote>", "<style>", "<script>", "<body>", "<b/>", "<p/>", "<div/>",
    "<br/>", "<table/>", "<a>", "<select>", "<tr>", "<td>", "</table>", "</td>", "<caption>",
    "<noscript>", "<textarea>", "<i t=\"\">", "<a >", "<table><svg>"};
constexpr std::string_view kFormatting[] = {
    "<a href=x>", "</a>", "<a>", "<b>", "</b>", "<i>", "</i>", "<nobr>", "</nobr>", "<font>",
    "</font>", "<em>", "</em>", "<strong>", "</strong>", "<u>", "</u>", "<s>", "<code>", "</code>",
    "<big>", "<small>", "</small>", "<tt>", "<strike>", "<span>", "</span>", "<button>",
    "</button>", "<applet>", "</applet>", "<marquee>", "</marquee>", "<object>", "</object>",
    "<p>", "</p>", "<div>", "</div>", "<address>", "x", " y "};
constexpr std::string_view kSelect[] = {
    "<select>", "</select>", "<option>", "</option>", "<optgroup>", "</optgroup>",
    "<option selected>", "<option selected=selected>", "<keygen>", "<input>", "<textarea>",
    "<hr>", "<datalist>", "</datalist>", "<select multiple>", " o ", "<script>s</script>"};
constexpr std::string_view kTemplate[] = {
    "<template>", "</template>", "<template><tr>", "<template><td>", "<template><col>",
    "<template><caption>", "<template><option>", "<template><html>", "<template><frame>"};
constexpr std::string_view kRawText[] = {
    "<title>", "</title>", "<textarea>", "</textarea>", "<style>", "</style>", "<script>",
    "</script>", "<xmp>", "</xmp>", "<iframe>", "</iframe>", "<noscript>", "</noscript>",
    "<plaintext>", "<noembed>", "</noembed>", "<noframes>", "</noframes>", "<listing>",
    "</listing>", "<pre>", "</pre>", "<script><!--", "<!--<script>", "-->", "</script >",
    "<script type=text/template>", "<script type=\"text/javascript\">", " a = 1 ; ", "<textarea>\n",
    "<pre>\n", "\n", "  "};
constexpr std::string_view kImpliedEnds[] = {
    "<p>", "</p>", "<li>", "</li>", "<dd>", "</dd>", "<dt>", "</dt>", "<ul>", "</ul>", "<ol>",
    "</ol>", "<dl>", "</dl>", "<h1>", "</h1>", "<h2>", "</h3>", "<div>", "</div>", "<address>",
    "<rb>", "<rt>", "<rp>", "<rtc>", "<ruby>", "</ruby>", "<hr>", "<p/>", "<section>", "<article>",
    "<summary>", "<details>", "<blockquote>", "<main>", "<header>", "<footer>", "<figure>",
    "<figcaption>", "<menu>", "</menu>", "<search>", "<optgroup>", "<option>", "<image>"};
constexpr std::string_view kDocument[] = {
    "<html>", "</html>", "<head>", "</head>", "<body>", "</body>", "<frameset>", "</frameset>",
    "<frame>", "<noframes>", "<!DOCTYPE html>", "<base href=/>", "<meta charset=utf-8>",
    "<link rel=stylesheet type=text/css href=s>", "<html lang=en>", "<body class=a>", "<head>\n",
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">", "<basefont>", "<bgsound>"};
constexpr std::string_view kText[] = {
    " ", "  ", "\n", "\n\n", "\t", "\r\n", " x ", "x", "a b", "x\n y", "&amp;", "&lt;", "&gt;",
    "&nbsp;", "&amp", "&", "&#32;", "&#10;", "&#x20;", "\xC2\xA0", "<!-- c -->", "<!---->",
    "<!--[if IE]>x<![endif]-->", "<% x %>", "<%= y %>", "{{ y }}", "{{ a < b }}", "<?php z ?>",
    "<!--#include x -->", "<", ">", "</ x>", "<!x>", "<?x>", "</>", "\"", "'", "="};
constexpr std::string_view kAttributes[] = {
    "<input type=text type=\"\">", "<input type=\"\" type=text>", "<input type=text>",
    "<input TYPE=TEXT>", "<button type=submit>", "<form method=get>", "<form method=\"get\" method=post>",
    "<script type=\"text/javascript\">x()</script>", "<style type=text/css>p{}</style>",
    "<a href=x href=y>", "<div hidden>", "<input checked=checked checked>", "<area shape=rect>",
    "<img src=a alt=\"\">", "<a title='x\"y'>", "<p id=\"a b\">", "<td style=white-space:pre>",
    "<div style=\"white-space: pre-wrap\">", "<span style=display:block>", "<b style=\"\">"};
constexpr std::string_view kWhiteSpaceCss[] = {
    "<style>.a{white-space:pre}</style>", "<style>.a{white-space:pre-wrap}</style>",
    "<style>td{white-space:pre}</style>", "<style>.a{display:inline}</style>",
    "<style>b{white-space:pre}</style>", "<p class=a>", "<div class=a>", "<span class=a>",
    "<b class=a>", "<pre class=a>", "<td class=a>", "<li class=a>", " x  y ", "\n x\n", "  ",
    "<br>", "<b>", "</b>", "</p>", "</div>"};

struct Group {
    std::span<const std::string_view> tokens;
};
constexpr Group kGroups[] = {{kTables},  {kForeign},   {kFormatting}, {kSelect},     {kTemplate},
                             {kRawText}, {kImpliedEnds}, {kDocument},  {kText},       {kAttributes},
                             {kWhiteSpaceCss}};
constexpr size_t kGroupCount = std::size(kGroups);

// splitmix64: fast and good enough; one state per document, so a document's seed rebuilds it.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
};

// The document and rules of one seed.
Tokens Generate(uint64_t seed, WebOptions& options) {
    Random random{seed};
    options = WebOptions();
    // Half the documents with every rule on, the others with each rule off one time in four.
    if (random.Below(2))
        for (bool& on : options.rules) on = random.Below(4) != 0;
    unsigned weight[kGroupCount];
    for (unsigned& w : weight) w = 1;
    for (size_t focus = 1 + random.Below(3); focus > 0; --focus) weight[random.Below(kGroupCount)] += 12;
    unsigned total = 0;
    for (unsigned w : weight) total += w;
    Tokens tokens(5 + random.Below(56));
    for (std::string& token : tokens) {
        size_t pick = random.Below(total), g = 0;
        while (pick >= weight[g]) pick -= weight[g++];
        const auto& group = kGroups[g].tokens;
        token = group[random.Below(group.size())];
        // Now and then in capitals: the parser folds case, the template must too.
        if (random.Below(24) == 0)
            for (char& c : token)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return tokens;
}

std::string Join(const Tokens& tokens) {
    std::string doc;
    for (const std::string& t : tokens) doc += t;
    return doc;
}

// A document cut into tags and the text between them, for shrinking one that was not generated.
Tokens SplitAtTags(std::string_view doc) {
    Tokens tokens;
    size_t from = 0;
    for (size_t i = 1; i <= doc.size(); ++i) {
        if (i == doc.size() || doc[i] == '<' || doc[i - 1] == '>') {
            tokens.emplace_back(doc.substr(from, i - from));
            from = i;
        }
    }
    return tokens;
}

bool ContainsIgnoringCase(std::string_view s, std::string_view what) {
    return std::search(s.begin(), s.end(), what.begin(), what.end(), [](char a, char b) {
               return tsqz::web::LowerAscii(a) == tsqz::web::LowerAscii(b);
           }) != s.end();
}

// The text the page's CSS keeps as written, as gumbo parses it: for each element a STYLE
// rule `<selector>{white-space:pre...}` (a class or tag selector) or its own style attribute
// gives such a white-space, the text inside it, in document order. The tree oracle collapses
// white space everywhere, so this check sees what it cannot.
class KeptText {
  public:
    explicit KeptText(std::string_view html)
        : html_(html), output_(gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size())) {
        quirks_ = output_->document->v.document.doc_type_quirks_mode == GUMBO_DOCTYPE_QUIRKS;
        FindRules(output_->root);
    }
    ~KeptText() { gumbo_destroy_output(&kGumboDefaultOptions, output_); }
    KeptText(const KeptText&) = delete;
    KeptText& operator=(const KeptText&) = delete;

    // With the rules of `rules` (the input's: a minified sheet reads the same).
    std::string Text(const KeptText& rules) const {
        std::string text;
        rules.Collect(output_->root, text);
        return text;
    }

    // gumbo drops the end tag of a formatting element whose entry in the list of active
    // formatting elements lies before a marker (one that a cell or object in a template's
    // content leaves there, as "</template>" clears the list only to the last marker), and of
    // one open but no longer listed; browsers then close it as any other end tag, down from
    // it to the current node past no special element. gumbo's tree keeps the text after that
    // tag inside the element, so the text here is not judged.
    bool KeepsOpenPastEndTag() const {
        std::set<size_t> ends;
        EndTags(output_->root, ends);
        return KeptOpen(output_->root, ends);
    }

    // gumbo takes any unknown element's name for any other's: an end tag of an unknown name
    // closes the nearest open element of an unknown name, where browsers close the nearest of
    // that same name (`<path><sp><c></path>` closes all three). Its tree then keeps what
    // follows inside elements browsers have closed, so the text here is not judged.
    bool ClosesUnknownByOtherName() const { return UnknownClosedByOtherName(output_->root); }

  private:
    static std::string_view TagNameIn(GumboStringPiece tag) {
        std::string_view s(tag.data, tag.length);
        const size_t from = s.find_first_not_of("</");
        if (from == std::string_view::npos) return {};
        s.remove_prefix(from);
        return s.substr(0, s.find_first_of(" \t\n\f\r/>"));
    }
    static bool UnknownClosedByOtherName(const GumboNode* n) {
        if (!IsElement(n)) return false;
        const GumboElement& e = n->v.element;
        if (e.tag == GUMBO_TAG_UNKNOWN && e.tag_namespace == GUMBO_NAMESPACE_HTML && e.original_tag.length > 0 &&
            e.original_end_tag.length > 0 &&
            !tsqz::web::EqualsIgnoringCase(TagNameIn(e.original_tag), TagNameIn(e.original_end_tag)))
            return true;
        for (unsigned i = 0; i < e.children.length; ++i)
            if (UnknownClosedByOtherName(Child(n, i))) return true;
        return false;
    }
    static std::string_view TextOf(const GumboNode* n) { return n->v.text.text; }
    static bool IsElement(const GumboNode* n) { return n->type == GUMBO_NODE_ELEMENT || n->type == GUMBO_NODE_TEMPLATE; }
    static const GumboNode* Child(const GumboNode* n, unsigned i) {
        return static_cast<const GumboNode*>(n->v.element.children.data[i]);
    }
    // Where the end tags gumbo closed elements with stand in the page.
    void EndTags(const GumboNode* n, std::set<size_t>& ends) const {
        if (!IsElement(n)) return;
        const GumboStringPiece& tag = n->v.element.original_end_tag;
        if (tag.length > 0 && tag.data >= html_.data() && tag.data < html_.data() + html_.size())
            ends.insert(static_cast<size_t>(tag.data - html_.data()));
        for (unsigned i = 0; i < n->v.element.children.length; ++i) EndTags(Child(n, i), ends);
    }
    // Whether an end tag of a formatting element's name that closed nothing stands while the
    // element was open with none special open inside it there.
    bool KeptOpen(const GumboNode* n, const std::set<size_t>& ends) const {
        if (!IsElement(n)) return false;
        const GumboElement& e = n->v.element;
        if (e.tag_namespace == GUMBO_NAMESPACE_HTML && e.tag != GUMBO_TAG_UNKNOWN &&
            (tsqz::web::ElementFlags(gumbo_normalized_tagname(e.tag)) & tsqz::web::kFormatting)) {
            const std::string end = std::string("</") + gumbo_normalized_tagname(e.tag);
            const size_t to = std::min<size_t>(e.end_pos.offset, html_.size());
            for (size_t p = e.start_pos.offset; p + end.size() < to; ++p) {
                const char after = html_[p + end.size()];
                if (html_[p] == '<' && tsqz::web::EqualsIgnoringCase(html_.substr(p, end.size()), end) &&
                    (tsqz::web::IsHtmlSpace(after) || after == '/' || after == '>') && !ends.count(p) &&
                    NoneSpecialOpenInside(n, p))
                    return true;
            }
        }
        for (unsigned i = 0; i < e.children.length; ++i)
            if (KeptOpen(Child(n, i), ends)) return true;
        return false;
    }
    // Whether the elements open inside `n` at offset `p` are none special (nor foreign).
    static bool NoneSpecialOpenInside(const GumboNode* n, size_t p) {
        for (unsigned i = n->v.element.children.length; i > 0; --i) {
            const GumboNode* c = Child(n, i - 1);
            if (!IsElement(c) || c->v.element.start_pos.offset >= p || c->v.element.end_pos.offset <= p) continue;
            const GumboElement& ce = c->v.element;
            if (ce.tag_namespace != GUMBO_NAMESPACE_HTML || ce.tag == GUMBO_TAG_UNKNOWN ||
                (tsqz::web::ElementFlags(gumbo_normalized_tagname(ce.tag)) & tsqz::web::kSpecial))
                return false;
            return NoneSpecialOpenInside(c, p);
        }
        return true;
    }
    void FindRules(const GumboNode* n) {
        if (n->type != GUMBO_NODE_ELEMENT) return;
        const GumboElement& e = n->v.element;
        if (e.tag == GUMBO_TAG_STYLE && e.tag_namespace == GUMBO_NAMESPACE_HTML) {
            std::string sheet;
            for (unsigned i = 0; i < e.children.length; ++i) {
                auto* child = static_cast<const GumboNode*>(e.children.data[i]);
                if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) sheet += TextOf(child);
            }
            for (size_t open = sheet.find('{'); open != std::string::npos; open = sheet.find('{', open + 1)) {
                const size_t close = sheet.find('}', open);
                if (!ContainsIgnoringCase(sheet.substr(open, close - open), "white-space:pre")) continue;
                size_t from = sheet.rfind('}', open);
                from = from == std::string::npos ? 0 : from + 1;
                std::string selector = sheet.substr(from, open - from);
                selector.erase(0, selector.find_first_not_of(" \t\n"));
                selector.erase(selector.find_last_not_of(" \t\n") + 1);
                if (!selector.empty()) selectors_.push_back(selector);
            }
        }
        for (unsigned i = 0; i < e.children.length; ++i) FindRules(static_cast<const GumboNode*>(e.children.data[i]));
    }
    bool Keeps(const GumboElement& e) const {
        if (e.tag_namespace != GUMBO_NAMESPACE_HTML) return false;
        if (const GumboAttribute* style = gumbo_get_attribute(&e.attributes, "style")) {
            std::string declarations = style->value;
            std::erase_if(declarations, [](char c) { return tsqz::web::IsHtmlSpace(c); });
            if (ContainsIgnoringCase(declarations, "white-space:pre")) return true;
        }
        const GumboAttribute* cls = gumbo_get_attribute(&e.attributes, "class");
        const std::string_view name = gumbo_normalized_tagname(e.tag);
        for (const std::string& selector : selectors_) {
            if (selector[0] != '.') {
                if (e.tag != GUMBO_TAG_UNKNOWN && tsqz::web::EqualsIgnoringCase(selector, name)) return true;
                continue;
            }
            if (!cls) continue;
            const std::string_view want = std::string_view(selector).substr(1);
            std::string_view classes = cls->value;
            while (!classes.empty()) {
                const size_t space = classes.find_first_of(" \t\n\f\r");
                const std::string_view one = classes.substr(0, space);
                if (quirks_ ? tsqz::web::EqualsIgnoringCase(one, want) : one == want) return true;
                if (space == std::string_view::npos) break;
                classes.remove_prefix(space + 1);
            }
        }
        return false;
    }
    static void AllText(const GumboNode* n, std::string& into) {
        if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE || n->type == GUMBO_NODE_CDATA) {
            into += TextOf(n);
        } else if (n->type == GUMBO_NODE_ELEMENT && n->v.element.tag != GUMBO_TAG_STYLE &&
                   n->v.element.tag != GUMBO_TAG_SCRIPT) {  // (their text is not shown)
            for (unsigned i = 0; i < n->v.element.children.length; ++i)
                AllText(static_cast<const GumboNode*>(n->v.element.children.data[i]), into);
        }
    }
    // Called on the rules' owner with another parse's nodes.
    void Collect(const GumboNode* n, std::string& into) const {
        if (n->type != GUMBO_NODE_ELEMENT) return;  // template content is not shown
        if (Keeps(n->v.element)) {
            into += '<';
            into += gumbo_normalized_tagname(n->v.element.tag);
            into += '>';
            AllText(n, into);
            into += '\n';
        }
        for (unsigned i = 0; i < n->v.element.children.length; ++i)
            Collect(static_cast<const GumboNode*>(n->v.element.children.data[i]), into);
    }

    std::string_view html_;
    GumboOutput* output_;
    bool quirks_ = false;
    std::vector<std::string> selectors_;
};

// What the web fuzz target's checks find, and text that CSS keeps as written changed.
std::string Check(std::string_view doc, const WebOptions& options, std::string& out) {
    std::string diff = tsqz::fuzz::CheckWebDocument(doc, options, out);
    // (Not with a noscript: gumbo reads its content as markup, as only browsers without
    // scripts do, so a style sheet the engine rightly takes for text may count there.)
    // (Nor where gumbo stops on the input, which the oracle's guarded parse has found.)
    if (diff.empty() && ContainsIgnoringCase(doc, "white-space") && !ContainsIgnoringCase(doc, "<noscript") &&
        out != doc && tsqz::web_test::CanonicalTree(doc) != tsqz::web_test::kUnparsed) {
        // gumbo stops the process on some outputs it cannot read (text after a CDATA section
        // that lost the comment behind it); the tree oracle reads such a pair again with an
        // empty comment after each CDATA section, and so does this check.
        std::string read_before(doc), read_after(out);
        if (tsqz::web_test::CanonicalTree(out) == tsqz::web_test::kUnparsed) {
            read_before = tsqz::web_test::FlushAfterCdata(doc);
            read_after = tsqz::web_test::FlushAfterCdata(out);
            if (tsqz::web_test::CanonicalTree(read_before) == tsqz::web_test::kUnparsed ||
                tsqz::web_test::CanonicalTree(read_after) == tsqz::web_test::kUnparsed)
                return diff;
        }
        const KeptText before(read_before), after(read_after);
        const std::string kept = before.Text(before), now = after.Text(before);
        if (kept != now && !before.KeepsOpenPastEndTag() && !after.KeepsOpenPastEndTag() &&
            !before.ClosesUnknownByOtherName() && !after.ClosesUnknownByOtherName())
            diff = "text that CSS keeps as written changed:\n" + kept + "---- now:\n" + now;
    }
    return diff;
}

bool Fails(std::string_view doc, const WebOptions& options) {
    std::string out;
    return !Check(doc, options, out).empty();
}

// Removes runs of tokens, halving the run length, while the document still fails.
void ShrinkTokens(Tokens& tokens, const WebOptions& options) {
    for (size_t run = std::max<size_t>(tokens.size() / 2, 1); run >= 1; run /= 2) {
        for (bool progress = true; progress;) {
            progress = false;
            for (size_t i = 0; i + run <= tokens.size();) {
                Tokens shorter(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(i));
                shorter.insert(shorter.end(), tokens.begin() + static_cast<std::ptrdiff_t>(i + run), tokens.end());
                if (Fails(Join(shorter), options)) {
                    tokens = std::move(shorter);
                    progress = true;
                } else {
                    i += run;
                }
            }
        }
        if (run == 1) break;
    }
}

// Switches off every rule the failure does not need, so the rule at fault stands out.
void ShrinkRules(std::string_view doc, WebOptions& options) {
    for (bool& on : options.rules) {
        if (!on) continue;
        on = false;
        if (!Fails(doc, options)) on = true;
    }
}

// Removes single bytes while the document still fails.
void ShrinkBytes(std::string& doc, const WebOptions& options) {
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t i = doc.size(); i-- > 0;) {
            std::string shorter = doc;
            shorter.erase(i, 1);
            if (Fails(shorter, options)) {
                doc = std::move(shorter);
                progress = true;
            }
        }
    }
}

uint32_t Fnv1a(std::string_view s) {
    uint32_t h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Escaped(std::string_view s) {
    std::string e;
    for (unsigned char c : s) {
        if (c == '\n') e += "\\n";
        else if (c == '\r') e += "\\r";
        else if (c == '\t') e += "\\t";
        else if (c == '\\') e += "\\\\";
        else e += static_cast<char>(c);
    }
    return e;
}

// Shrinks a failing document and writes it under `dir` (once per distinct result) as
// <prefix><hash> with a .txt beside it that shows the input, the output and the difference.
// Returns the shrunk document's raw form.
std::string ShrinkAndWrite(Tokens tokens, WebOptions options, const std::filesystem::path& dir,
                           const std::string& origin, std::set<uint32_t>& written) {
    ShrinkTokens(tokens, options);
    std::string doc = Join(tokens);
    ShrinkRules(doc, options);
    ShrinkBytes(doc, options);
    const std::string raw = tsqz::fuzz::WebOptionBytes(options) + doc;
    const uint32_t hash = Fnv1a(raw);
    char name[32];
    std::snprintf(name, sizeof name, "min-%08x", hash);
    if (written.insert(hash).second && !dir.empty()) {
        WriteFile(dir / name, raw);
        std::string out;
        const std::string diff = Check(doc, options, out);
        std::string rules = "rules off:";
        for (size_t r = 0; r < tsqz::web::kWebRuleCount; ++r)
            if (!options.rules[r]) rules += " " + std::string(tsqz::web::WebRuleName(static_cast<tsqz::web::WebRule>(r)));
        WriteFile(dir / (std::string(name) + ".txt"),
                  "from " + origin + "\n" + rules + "\n--- input:\n" + doc + "\n--- output:\n" + out + "\n" + diff);
    }
    std::printf("finding %s -> %s (%zu bytes): %s\n", origin.c_str(), name, doc.size(), Escaped(doc).c_str());
    std::fflush(stdout);
    return raw;
}

uint64_t DocumentSeed(uint64_t base, uint64_t index) {
    Random r{base * 0x100000001B3ull + index};
    return r.Next();
}

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--seed N] [--count N] [--seconds S] [--findings DIR] [--max-shrinks N]\n"
                 "       %s --print SEED | --shrink FILE\n",
                 program, program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t base = 1, count = 0;
    double seconds = 0;
    size_t max_shrinks = 200;
    std::filesystem::path dir;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc) return Usage(argv[0]);
        const char* value = argv[++i];
        if (arg == "--seed") {
            base = std::strtoull(value, nullptr, 0);
        } else if (arg == "--count") {
            count = std::strtoull(value, nullptr, 0);
        } else if (arg == "--seconds") {
            seconds = std::strtod(value, nullptr);
        } else if (arg == "--findings") {
            dir = value;
            std::filesystem::create_directories(dir);
        } else if (arg == "--max-shrinks") {
            max_shrinks = std::strtoull(value, nullptr, 0);
        } else if (arg == "--print") {
            WebOptions options;
            const std::string doc = Join(Generate(std::strtoull(value, nullptr, 16), options));
            std::fwrite(tsqz::fuzz::WebOptionBytes(options).data(), 1, 2, stdout);
            std::fwrite(doc.data(), 1, doc.size(), stdout);
            return 0;
        } else if (arg == "--shrink") {
            std::ifstream in(value, std::ios::binary);
            const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (raw.size() < 2) {
                std::fprintf(stderr, "%s: not an input of the web fuzz target\n", value);
                return 2;
            }
            const WebOptions options = tsqz::fuzz::WebOptionsFromBytes(static_cast<uint8_t>(raw[0]),
                                                                        static_cast<uint8_t>(raw[1]));
            const std::string doc =
                tsqz::fuzz::WebFuzzDocument(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
            if (!Fails(doc, options)) {
                std::printf("%s: passes\n", value);
                return 0;
            }
            std::set<uint32_t> written;
            const std::filesystem::path folder = std::filesystem::path(value).parent_path();
            ShrinkAndWrite(SplitAtTags(doc), options, folder.empty() ? "." : folder, value, written);
            return 1;
        } else {
            return Usage(argv[0]);
        }
    }
    if (count == 0 && seconds == 0) count = 100000;

    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    std::set<uint32_t> written;
    uint64_t findings = 0, n = 0;
    double next_report = 10;
    std::string out;
    for (; count == 0 || n < count; ++n) {
        if ((n & 255) == 0) {
            const double t = elapsed();
            if (seconds > 0 && t >= seconds) break;
            if (t >= next_report) {
                std::printf("%llu documents, %.0f a second, %llu findings\n", static_cast<unsigned long long>(n),
                            n / t, static_cast<unsigned long long>(findings));
                std::fflush(stdout);
                next_report += 10;
            }
        }
        const uint64_t seed = DocumentSeed(base, n);
        WebOptions options;
        Tokens tokens = Generate(seed, options);
        const std::string doc = Join(tokens);
        if (Check(doc, options, out).empty()) continue;
        ++findings;
        char origin[32];
        std::snprintf(origin, sizeof origin, "seed %016llx", static_cast<unsigned long long>(seed));
        if (findings <= max_shrinks) {
            ShrinkAndWrite(std::move(tokens), options, dir, origin, written);
        } else {
            std::printf("finding %s (not shrunk)\n", origin);
        }
    }
    std::printf("%llu documents in %.1f s (%.0f a second), %llu findings, %zu distinct after shrinking\n",
                static_cast<unsigned long long>(n), elapsed(), n / std::max(elapsed(), 1e-9),
                static_cast<unsigned long long>(findings), written.size());
    return findings == 0 ? 0 : 1;
}
