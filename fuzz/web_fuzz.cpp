// Fuzz target of the web template: every output must parse to the same tree as its input
// (gumbo's HTML5 parser as the oracle) and must not be longer; rules switched off must do
// nothing.
//
// Byte 0: bit 0 chooses a raw document (0) or one put together from fragments (1); bits 1-7
// and byte 1 switch rules off (one bit per rule). The rest is the document, or one fragment
// per byte.
#include "web_checks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const tsqz::web::WebOptions options = tsqz::fuzz::WebOptionsFromBytes(data[0], data[1]);
    std::string doc;
    if (data[0] & 1) {
        for (size_t i = 2; i < size; ++i) doc.append(kFragments[data[i] % std::size(kFragments)]);
    } else {
        doc.assign(reinterpret_cast<const char*>(data) + 2, size - 2);
    }
    std::string out;
    const std::string diff = tsqz::fuzz::CheckWebDocument(doc, options, out);
    if (!diff.empty()) {
        std::fprintf(stderr, "web template changed the document\n--- input:\n%s\n--- output:\n%s\n%s\n",
                     doc.c_str(), out.c_str(), diff.c_str());
        // For sorting findings: report them all instead of stopping at the first.
        if (!std::getenv("WEB_FUZZ_REPORT_ONLY")) std::abort();
    }
    return 0;
}
