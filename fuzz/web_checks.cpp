#include "web_checks.h"

#include "web/dom_oracle.h"

#include <iterator>

namespace {

// Fragments that meet the tokenizer's and tree builder's edges: implied and misnested tags,
// raw text, foreign content, references, comments, server code, white space.
constexpr std::string_view kFragments[] = {
    "<p>", "</p>", "<div>", "</div>", "<li>", "</li>", "<ul>", "</ul>", "<table>", "</table>", "<tr>",
    "</tr>", "<td>", "</td>", "<th>", "<tbody>", "</tbody>", "<thead>", "<tfoot>", "<caption>",
    "<colgroup>", "<col>", "<b>", "</b>", "<i>", "<em>", "</em>", "<a href=x>", "</a>", "<span>",
    "</span>", "<pre>", "</pre>", "<textarea>", "</textarea>", "<script>", "</script>", "<style>",
    "</style>", "<title>", "</title>", "<!--", "-->", "<!-- c -->", "<!--[if IE]>x<![endif]-->",
    "<!--#echo -->", " ", "  ", "\n", "\t", "\r\n", "text", "x", "&amp;", "&lt;", "&gt;", "&#38;",
    "&eacute;", "&#x3C;", "&nbsp;", "&quot;", "&#0;", "&", "<", ">", "\"", "'", "=", "/", "<svg>",
    "</svg>", "<math>", "</math>", "<![CDATA[", "]]>", "<foreignObject>", "<desc>", "<mi>",
    "<select>", "</select>", "<option>", "</option>", "<optgroup>", "<head>", "</head>", "<body>",
    "</body>", "<html>", "</html>", "<!DOCTYPE html>",
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">",
    "<dl>", "<dt>", "<dd>", "</dl>", "<h1>", "</h1>", "<h2>", "<input type=checkbox checked=checked>",
    "<input type=\"text\">", "<br>", "</br>", "<hr>", "<img src=a alt=\"\">", "<noscript>", "</noscript>",
    "<template>", "</template>", "<% x %>", "{{ y }}", "<?php z ?>", "<button>", "<form>", "</form>",
    "<font color=red>", "<rt>", "<ruby>", "<iframe>", "</iframe>", "<xmp>", "</xmp>", "<plaintext>",
    "<listing>", "<style>.a{white-space:pre}.b{display:inline}</style>", "<p class=a>", "<div class=b>",
    "<div hidden>", "<meta charset=utf-8>", "<script><!--<script>", "</script>-->", "<custom-el>",
    "</custom-el>", "<video>", "</p >", "<p/>", "<a title='x\"y'>", "<a b c=d e=\"f g\" c=h>",
    "<script type=\"text/javascript\">", "<form method=get>", "\xC3\xA9", "</ x>", "<?x>", "<!x>",
    "</>", "<nobr>", "<center>", "<object>", "<marquee>", "<frameset>", "<image>", "<basefont>",
    "<link rel=stylesheet type=text/css href=s>", "<meta name=a content=b>", "<base href=/>",
    "<p style=\"white-space:pre\">", "<span style=display:block>", "<details>", "<summary>",
    "<main>", "<section>", "<address>", "<audio>", "</audio>", "<ins>", "<map>", "<area>",
};

}  // namespace

namespace tsqz::fuzz {

web::WebOptions WebOptionsFromBytes(uint8_t first, uint8_t second) {
    web::WebOptions options;
    const unsigned off = (first >> 1) | (static_cast<unsigned>(second) << 7);
    for (size_t r = 0; r < web::kWebRuleCount; ++r) options.rules[r] = !(off >> r & 1);
    return options;
}

std::string WebOptionBytes(const web::WebOptions& options) {
    unsigned off = 0;
    for (size_t r = 0; r < web::kWebRuleCount; ++r)
        if (!options.rules[r]) off |= 1u << r;
    return {static_cast<char>((off & 0x7f) << 1), static_cast<char>(off >> 7)};
}

std::string WebFuzzDocument(const uint8_t* data, size_t size) {
    std::string doc;
    if (size < 2) return doc;
    if (data[0] & 1) {
        for (size_t i = 2; i < size; ++i) doc.append(kFragments[data[i] % std::size(kFragments)]);
    } else {
        doc.assign(reinterpret_cast<const char*>(data) + 2, size - 2);
    }
    return doc;
}

std::string CheckWebDocument(std::string_view doc, const web::WebOptions& options, std::string& out) {
    out.clear();
    web::WebStats stats;
    web::MinifyWeb(doc, options, out, &stats);
    std::string diff = web_test::TreeDifference(doc, out);
    bool all_off = true;
    for (size_t r = 0; r < web::kWebRuleCount; ++r) {
        if (!options.rules[r] && stats.saved[r] != 0) diff += "counted by a rule switched off\n";
        all_off = all_off && !options.rules[r];
    }
    if (all_off && out != doc) diff += "changed with every rule off\n";
    if (out.size() > doc.size()) diff += "output longer than the input\n";
    return diff;
}

}  // namespace tsqz::fuzz
