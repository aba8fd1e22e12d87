// The web template: rules pinned on small cases, and the DOM oracle over every corpus page.
#include "web/dom_oracle.h"
#include "web/web_minify.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace tsqz::web {
namespace {

std::string Minify(std::string_view in, const WebOptions& options = {}, WebStats* stats = nullptr) {
    std::string out;
    MinifyWeb(in, options, out, stats);
    return out;
}

struct Case {
    const char* input;
    const char* expected;
};

// Each row: the input, its output with every rule on; every output must parse to the same tree.
const Case kCases[] = {
    // White space: runs collapse; none next to block boxes, in the head, around the document.
    {"<!DOCTYPE html>\n<html lang=en>\n<head>\n  <title>T</title>\n</head>\n<body>\n  <p>a   b\n  c</p>\n</body>\n</html>\n",
     "<!doctype html><html lang=en><title>T</title><p>a b\nc"},
    {"<div> x <b> y </b> z </div>", "<div>x <b> y </b> z"},
    {"<pre>  a\n\n b </pre>  <textarea>  t  </textarea>", "<pre>  a\n\n b </pre><textarea>  t  </textarea>"},
    {"<span>a</span> <script>1</script> <span>b</span>", "<span>a</span> <script>1</script> <span>b"},
    // The page's own CSS keeps white space and inline display.
    {"<style>.k{white-space:pre}</style><p class=k>a  b</p><p>c  d</p>",
     "<style>.k{white-space:pre}</style><p class=k>a  b<p>c d"},
    {"<style>div{display:inline-block}</style><div>a</div> <div>b</div>",
     "<style>div{display:inline-block}</style><div>a</div> <div>b"},
    // Class selectors ignore case in quirks mode only; a body start tag's attributes reach
    // the body wherever the tag stands, also after text; "search" closes a paragraph only in
    // newer parsers, so the text after it may still stand in one that keeps white space.
    {"<style>.A{white-space:pre}</style><p class=a>x  y</p><p>c  d</p>",
     "<style>.A{white-space:pre}</style><p class=a>x  y<p>c d"},
    {"<!DOCTYPE html><style>.A{white-space:pre}</style><p class=a>x  y</p>",
     "<!doctype html><style>.A{white-space:pre}</style><p class=a>x y"},
    {"x  <body class=a><style>.a{white-space:pre}</style> y  z",
     "x  <body class=a><style>.a{white-space:pre}</style> y  z"},
    {"<style>.a{white-space:pre}</style><p class=a><search>x  y",
     "<style>.a{white-space:pre}</style><p class=a><search>x  y"},
    // The model is lost at "<rt>" while a bold element that keeps white space waits to be
    // opened again: white space stays from there on.
    {"<style>b{white-space:pre}</style><div><b></div><rt>  x  y",
     "<style>b{white-space:pre}</style><div><b></div><rt>  x  y"},
    // Style sheets the quick look over the page reads otherwise than the tokenizer: one in an
    // SVG foreignObject is HTML's (it counts), one in a select is dropped (it does not).
    {"<p>a  b</p><svg><foreignObject><style>p{white-space:pre}</style></foreignObject></svg>",
     "<p>a  b</p><svg><foreignObject><style>p{white-space:pre}</style></foreignObject></svg>"},
    {"<p>a  b</p><select><style>p{white-space:pre}</style></select>",
     "<p>a b</p><select><style>p{white-space:pre}</style></select>"},
    // Where the rest is copied as written because the tokenizer may not follow the parser, a
    // style sheet there still counts: a textarea a template's column group drops opens no
    // text, nor does a table start tag in a select.
    {"<div class=a> x <template><col><textarea></template><style>.a{white-space:pre}</style>",
     "<div class=a> x <template><col><textarea></template><style>.a{white-space:pre}</style>"},
    {"o <p><body class=a><select><table></select><style>.a{white-space:pre}</style>",
     "o <p><body class=a><select><table></select><style>.a{white-space:pre}</style>"},
    // An applet, marquee or object start tag in a select is dropped by older parsers and
    // kept by newer ones, where it stops "</select>": what follows stays as written.
    {"<select><marquee></select><select><style> y", "<select><marquee></select><select><style> y"},
    {"<p>a  b<select><object></select><p>c  d", "<p>a b<select><object></select><p>c  d"},
    {"<b><select><object>\n </select><style>b{white-space:pre}</style>",
     "<b><select><object>\n </select><style>b{white-space:pre}</style>"},
    // "</template>" clears the list of active formatting elements only to the last marker, so
    // a cell or object in the template's content leaves the template's marker behind the bold
    // element's entry; the bold end tag then closes it as any other end tag does, and the
    // white space after it is the body's.
    {"<b class=a><template><td></template></b>\n\n<style>.a{white-space:pre}</style>",
     "<b class=a><template><td></template></b>\n<style>.a{white-space:pre}</style>"},
    {"<b><template><object></template></b>  <style>b{white-space:pre}</style>",
     "<b><template><object></template></b> <style>b{white-space:pre}</style>"},
    // Newer parsers keep a formatting element in a select and open it again after the select:
    // where it keeps white space, white space stays.
    {"<style>b{white-space:pre}</style><select><b></select>x  y", "<style>b{white-space:pre}</style><select><b></select>x  y"},
    {"<style>.a{white-space:pre}</style><select><i></select><p>x  y", "<style>.a{white-space:pre}</style><select><i></select><p>x y"},
    // A form start tag in a select: older parsers drop it; newer ones close an open paragraph
    // (and the select in it) and set the form element pointer, so a later form is dropped.
    // Tags the two read apart stay.
    {"<p><select><form></select>a</p> <div>b</div>", "<p><select><form></select>a</p> <div>b</div>"},
    {"<select><form></select><form><p>a  b</p></form>x", "<select><form></select><form><p>a b</p></form>x"},
    // A line break ends its line: no white space shows just before or after it, unless the
    // page's CSS may display it otherwise.
    {"<p>a <br> b<br>\n<b>c</b> \n<br><br hidden> d &#32;<br>&nbsp;e</p><pre>x <br> y</pre>",
     "<p>a<br>b<br><b>c</b><br><br hidden> d<br>&nbsp;e<pre>x <br> y"},
    {"<style>br{display:none}</style><p>a <br> b", "<style>br{display:none}</style><p>a <br> b"},
    // Optional tags, exactly where the parser implies them.
    {"<ul>\n<li>a</li>\n<li>b</li>\n</ul>", "<ul><li>a<li>b"},
    {"<table>\n<tr><td>1</td><td>2</td></tr>\n<tr><td>3</td></tr>\n</table>", "<table><tr><td>1<td>2<tr><td>3"},
    {"<a href=x><p>in a</p></a>", "<a href=x><p>in a</p>"},
    {"<p>a</p><span>b</span>", "<p>a</p><span>b"},
    {"<dl><dt>t</dt><dd>d</dd></dl>", "<dl><dt>t<dd>d"},
    // End tags of the current node with nothing but such end tags and white space after them
    // up to the end: the end of the document closes the same (not a script, not misnested).
    {"<div><p>a</p>\n<b>x</b>\n</div>\n</body>\n</html>\n", "<div><p>a</p><b>x"},
    {"<div>a</div>b<div><script>x()</script></div> ", "<div>a</div>b<div><script>x()</script>"},
    {"<b><i>x</b></i><textarea>t</textarea>", "<b><i>x</b></i><textarea>t</textarea>"},
    // An end tag that pops what is open above its element closes plain inline elements left
    // open there alike (in a cell or caption formatting elements too, whose list it clears; a
    // formatting element's end tag with nothing special above it pops up to it), and so do the
    // tags that imply it; not one of its own name, which it would close instead, nor a
    // form's, which removes the form alone.
    {"<div><span>a<label>b</label></span></div><p>c</p>", "<div><span>a<label>b</div><p>c"},
    {"<table><tr><td><b>x</b></td><td><span>y</span></td></tr></table><p>z",
     "<table><tr><td><b>x<td><span>y</table><p>z"},
    {"<div><span>a<span>b</span></span><div>c</div></div><i>d</i> <span><span>e</span></span><i>f",
     "<div><span>a<span>b</span></span><div>c</div></div><i>d</i> <span><span>e</span></span><i>f"},
    {"<ul><li><span>a</span></li><li><b>b</b></li></ul><p><sup>1</sup></p><div>c</div>",
     "<ul><li><span>a<li><b>b</b></ul><p><sup>1<div>c"},
    {"<p><a href=x><span>a</span></a> <b><span>c<i>d</i></span></b> e", "<p><a href=x><span>a</a> <b><span>c<i>d</i></b> e"},
    {"<form><span>a</span></form><ruby><rt><span>b</span></rt><rt>c</ruby><p>d",
     "<form><span>a</span></form><ruby><rt><span>b</span></rt><rt>c</ruby><p>d"},
    // Captions and column groups close what the table holds (so "</caption>" may go before
    // them); a column opens a column group.
    {"<table>\n<caption> c </caption>\n<colgroup><col>\n<col></colgroup>\n<tr><td>1</td></tr>\n</table>",
     "<table><caption>c<colgroup><col><col></colgroup><tr><td>1"},
    {"<table><col> <tr><td> a </td></tr></table><p>x</p>", "<table><col><tr><td>a</table><p>x"},
    {"<table><caption><b>c</b><tr><td><div>a</div></td></tr></table>",
     "<table><caption><b>c</b><tr><td><div>a</div>"},
    // A template's content follows a table's rules when its first start tag is a table's part
    // (the template bounds them: the table parts around it stay open), else the body's, which
    // drop table parts; its white space stays, wherever a script may put it.
    {"<table><tfoot><template><tfoot>\t<tr><td>x</td></tr></tfoot></template></tfoot></table>",
     "<table><tfoot><template><tfoot>\t<tr><td>x</template>"},
    {"<table><tr><td><template><td> a </td></template> b</td></tr></table>",
     "<table><tr><td><template><td> a </template> b"},
    {"<template><tr><td>a</td><td>b</td></tr></template>", "<template><tr><td>a<td>b</template>"},
    {"<template><div></div><tr><td> x </td></tr></template><p>y</p>",
     "<template><div></div><tr><td> x </td></tr></template><p>y"},
    {"<select><option>1</option><option>2</option></select>", "<select><option>1<option>2"},
    // Attributes: quotes, booleans, defaults, repeated names, space inside tags.
    {"<input  type=\"checkbox\"   checked=\"checked\" value='a b' title=\"it's\" id = \"x\" ID=\"y\" >",
     "<input type=checkbox checked value=\"a b\"title=\"it's\"id=x>"},
    {"<script type=\"text/javascript\">x()</script><form method=\"GET\"></form>", "<script>x()</script><form></form>"},
    // A default goes unless the page's code may see it: a property read of the name (where the
    // property differs without the attribute: a script's type, not an input's), the attribute
    // itself by name, selector or XPath, or the list of attributes. Writes and object keys
    // see nothing.
    {"<script>x = el.type</script><script type=\"text/javascript\"></script><input type=\"text\">",
     "<script>x=el.type</script><script type=text/javascript></script><input>"},
    {"<script>el.type = 1; f({\"type\": 2, \"@type\": 3}, 'Content-Type')</script><script type=\"text/javascript\"></script>",
     "<script>el.type=1;f({type:2,\"@type\":3},'Content-Type')</script><script></script>"},
    {"<script>q('input[ type=text]')</script><input type=text><button type=submit></button>",
     "<script>q('input[ type=text]')</script><input type=text><button type=submit>"},
    {"<script language=JavaScript>x=n.language</script><script language=vbscript></script>",
     "<script>x=n.language</script><script language=vbscript></script>"},
    {"<script>e.getAttribute(\"method\")</script><form method=get></form><area shape=rect>",
     "<script>e.getAttribute(\"method\")</script><form method=get></form><area>"},
    {"<script>n = e.attributes.length</script><input type=text checked=checked>",
     "<script>n=e.attributes.length</script><input type=text checked=checked>"},
    {"<script>x = i.checked, s.shape</script><input checked=checked><area shape=rect>",
     "<script>x=i.checked,s.shape</script><input checked><area shape=rect>"},
    {"<button onclick=\"f(this.getAttribute('type'))\" type=submit></button><input type=text>",
     "<button onclick=\"f(this.getAttribute('type'))\"type=submit></button><input type=text>"},
    // A style sheet from elsewhere may select shown elements by a default attribute.
    {"<link rel=\"alternate StyleSheet\" href=a.css><script type=text/javascript></script><input type=text>"
     "<button type=submit></button><form method=get></form>",
     "<link rel=\"alternate StyleSheet\"href=a.css><script></script><input type=text><button type=submit>"
     "</button><form method=get></form>"},
    {"<style>@IMPORT 'a.css';</style><input type=text>", "<style>@IMPORT'a.css';</style><input type=text>"},
    {"<link rel=icon href=a.css><input type=text>", "<link rel=icon href=a.css><input>"},
    {"<br/><img src=\"a.png\" alt=\"\"/>", "<br><img src=a.png alt>"},
    {"<svg viewBox=\"0 0 1 1\"><path d=\"M0\"/></svg>", "<svg viewBox=\"0 0 1 1\"><path d=M0 /></svg>"},
    // Character references: shortest form in the page's encoding, never joining into another.
    {"<meta charset=utf-8><p>&eacute;&#233;&nbsp;&amp; &amp;copy; &lt;b&gt; &lt; 1 &hellip;&unknown;</p>",
     "<meta charset=utf-8><p>\xC3\xA9\xC3\xA9\xC2\xA0& &amp;copy; &lt;b> < 1 \xE2\x80\xA6&unknown;"},
    {"<p>&eacute;&#65;&#x3b;</p>", "<p>&eacute;&#65;&#x3b;"},
    // References to white space collapse like white space, except where it is kept.
    {"<p>a&#x9;&#9;b&#32;<b>&#10;c</b> &#32;</p><pre>x&#9;y</pre>", "<p>a b <b>\nc</b><pre>x&#9;y"},
    // A page in windows-1252 (or ISO-8859-1) takes one byte for each character it can hold.
    {"<meta charset=iso-8859-1><p>&nbsp;&eacute;&ndash;&#8364;&hellip;&#150;&#x2603;",
     "<meta charset=iso-8859-1><p>\xA0\xE9\x96\x80\x85&#150;&#x2603;"},
    {"<a title=\"&quot;&amp;x\">", "<a title='\"&x'>"},
    // "&" alone wherever the parser would not read a reference from it.
    {"<a href=\"?a=1&amp;lt=2&amp;copy&amp;not;x&amp;nothing&amp;\">&amp;nothing &amp;x &amp;lang; &amp;#1</a>",
     "<a href=\"?a=1&lt=2&amp;copy&amp;not;x&nothing&\">&amp;nothing &x &amp;lang; &amp;#1"},
    // A decoded "&" or "<" keeps its reference by the bytes after it, decoded ones and a comment
    // that parts the text too; a decoded quote takes its reference back in a value quoted with it.
    {"<p>&lt;&#63; &lt;&#61; &lt;&#x3C;</p><p>a &lt;<!-- c -->b &amp;<!-- d -->copy; &amp;&amp;not &lt; </p><p>x",
     "<p>&lt;? <= <&lt;<p>a &lt;<!---->b &<!---->copy; &&amp;not &lt;<p>x"},
    {"<a title=\"&amp;copy&#61;1 &amp;notit &#39;&quot;&#39;\">", "<a title=\"&copy=1 &notit '&quot;'\">"},
    // Comments: dropped, except conditional, server-side and kept ones; text does not join.
    {"<p>a<!-- c -->b <!--[if IE]>x<![endif]--> <!--#include file=\"f\" --></p>",
     "<p>a<!---->b <!--[if IE]>x<![endif]--> <!--#include file=\"f\" -->"},
    // Two text nodes a comment parted stay two (the browser lays each out as a run of its
    // own), each with its own white space; with nothing on one side, or only white space after
    // white space, the comment just goes.
    {"<p>x.\r\n<!-- c -->\r\nIt  <!--a--><!---->\n<!>  y <!-- d --></p> <div><!--e--> z</div>",
     "<p>x.\n<!---->\nIt <!> y<div>z"},
    {"<p>a &<!-- c -->amp;</p>", "<p>a &<!-- c -->amp;"},
    // "</>" gives the parser no token, so a comment after it still parts the text before it
    // from the text after: a table (in SVG or MathML content too) moves out only the first.
    {"<table>x</><!-- c -->\n</table><svg><title><table>x</><!-- c -->\n</table></title></svg>"
     "<math><mi><table> </><!-- c -->y",
     "<table>x</><!-- c --></table><svg><title><table>x</><!---->\n</table></title></svg>"
     "<math><mi><table> </><!---->y"},
    // Doctypes shortened only where the document mode stays.
    {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><p>x",
     "<!doctype html><p>x"},
    {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><p>x",
     "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><p>x"},
    {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML+RDFa 1.0//EN\" \"http://www.w3.org/MarkUp/DTD/xhtml-rdfa-1.dtd\"><p>x",
     "<!doctype html><p>x"},
    // A table stays inside an open paragraph in quirks mode only.
    {"<p>a\n<table><tr><td>x</td></tr></table>\n</p>\n<p>b</p>", "<p>a\n<table><tr><td>x</table><p>b"},
    {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\"><p>a\n<table><tr><td>x</td></tr></table>\n</p>",
     "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\"><p>a\n<table><tr><td>x</table></p>"},
    // Formatting elements closed out of order open again before the next text or inline
    // element, white space included, which then stays; a cell takes its own back.
    {"<p><b>x</p>\n<p>y</p>", "<p><b>x</p>\n<p>y"},
    {"<p><a name=c>\n<h2>C</h2>\n</a>\n<ul><li>i</li></ul>", "<p><a name=c><h2>C</h2>\n</a><ul><li>i"},
    {"<table><tr><td><b>x</td><td> y </td></tr></table> z <i>w</i>", "<table><tr><td><b>x</td><td>y</table>z <i>w"},
    // A formatting element closed with a block inside it: the block leaves it, a clone goes
    // inside the block, elements in between are cloned; the rules go on after it.
    {"<b><i><p>x</b> y\n</p>\n<p> z </p>", "<b><i><p>x</b> y<p>z"},
    {"<p><font>a\n<p>b</font>\n<p> c </p>", "<p><font>a<p>b</font><p>c"},
    {"<a href=x><div>a</a> b</div>\n<div>c</div>", "<a href=x><div>a</a> b</div><div>c"},
    // An end tag a form stops is ignored; parsers that close the form there read on otherwise.
    {"<div><form></span> x  x </form>y</div>", "<div><form></span> x x </form>y</div>"},
    // "</p>" without a paragraph is an empty one; "</br>" is a line break.
    {"<div>a </p> b</div>\n<div>c</br> d</div>\n<div> e </div>", "<div>a</p>b</div><div>c</br> d</div><div>e"},
    // Server code stays byte for byte.
    {"<p>  <% if a  < b %>  x  </p><a href=\"<?= $u ?>\"  >{{ a  }}</a><?php echo 1; ?>",
     "<p>  <% if a  < b %>  x  </p><a href=\"<?= $u ?>\"  >{{ a  }}</a><?php echo 1; ?>"},
    // Raw text, script escapes and foreign content are left as they are.
    {"<script><!--\n<script>x</script>y\n--></script><p>  a", "<script><!--\n<script>x</script>y\n--></script><p>a"},
    {"<svg><text>  a  b </text><![CDATA[ x ]]></svg>", "<svg><text>  a  b </text><![CDATA[ x ]]></svg>"},
    // An annotation-xml hands its content to the HTML rules only with an HTML encoding (a
    // style there is raw text, inside MathML); without one a div leaves MathML. A link that
    // "</p>" closes in an SVG title opens again at the space, so "</title>" is dropped and
    // the style stays SVG's: the rest is left as written.
    {"<math><annotation-xml encoding=\"Text/HTML\"><style> a&amp;b </style></annotation-xml></math><p> x",
     "<math><annotation-xml encoding=Text/HTML><style> a&amp;b </style></annotation-xml></math><p>x"},
    {"<math><annotation-xml><div></div><style> p { } </style>&amp;</math>",
     "<math><annotation-xml><div></div><style></style>&</math>"},
    {"<svg><title><p><a></p> </title><style> p { } </style></svg>",
     "<svg><title><p><a></p> </title><style> p { } </style></svg>"},
    // The parser opens the bold element "</p>" closed again before the SVG, and the text after
    // the SVG stands in it: the page's CSS keeps its white space.
    {"<style>b{white-space:pre}</style><p><b></p><svg></svg>x  y",
     "<style>b{white-space:pre}</style><p><b></p><svg></svg>x  y"},
    {"<style>b{white-space:pre}</style><p><b></p><table>x  y</table>",
     "<style>b{white-space:pre}</style><p><b></p><table>x  y"},
    // A table's part in HTML content inside SVG in a table: the table rules close the SVG
    // first, so the title after it is HTML's and its text is text; left as written.
    {"<table><svg><desc><caption></caption></desc><title><b class=\"x\">y</b></title>",
     "<table><svg><desc><caption></caption></desc><title><b class=\"x\">y</b></title>"},
    // A table's part's end tag follows the mode of the innermost table element: a cell drops
    // "</caption>", a caption "</tr>" and "</td>", and a table inside a cell bounds the search
    // for "</thead>". Each is dropped, so the SVG after it stays open until "</td>" or
    // "</caption>" closes it, and the style after that is HTML's raw text.
    {"<table><caption><table><tr><td></caption><svg></td><style>a  &amp; b</style>",
     "<table><caption><table><tr><td></caption><svg></td><style>a  &amp; b</style>"},
    {"<table><thead><tr><td><table><tr><td></thead><svg></td><style> a  &amp; b</style>",
     "<table><thead><tr><td><table><tr><td></thead><svg></td><style> a  &amp; b</style>"},
    {"<table><tr><td><table><caption></tr></td><svg></caption><style>a  &amp; b</style>",
     "<table><tr><td><table><caption></tr></td><svg></caption><style>a  &amp; b</style>"},
    // A table's part's start tag closes what cannot hold it: a caption, and what the table
    // moved out of itself (a div, a heading in the caption). "</div>" then closes nothing,
    // and "</tr>" closes the row and the SVG in it.
    {"<table><caption><div><tr></div><svg></tr><style>a  &amp; b</style>",
     "<table><caption><div><tr></div><svg></tr><style>a  &amp; b</style>"},
    {"<table><tbody><div><tr></div><svg></tr><style>a  &amp; b</style>",
     "<table><tbody><div><tr></div><svg></tr><style>a  &amp; b</style>"},
    {"<table><caption><h1><tr></h1><svg></tr><style>a  &amp; b</style>",
     "<table><caption><h1><tr></h1><svg></tr><style>a  &amp; b</style>"},
    // A heading's end tag closes any heading in scope (from SVG content too), a heading's start
    // tag a heading that is the current node, a button's start tag an open button: what is
    // SVG after that ("<!" a comment in it) follows from the elements really open.
    {"<button><pre><button><h2></pre><svg></h1><script><!", "<button><pre><button><h2></pre><svg></h1><script><!"},
    {"<h1><h2></h2><svg></h1><script><!", "<h1><h2></h2><svg></h1><script>"},
    {"<h2>x</h1><svg></h2><style>a  &amp; b</style>", "<h2>x</h1><svg></h2><style>a  & b</style>"},
    // A template's content read by a table's rules stands for what its first part made it:
    // a table (a cell later in it gets a row group and a row the parser makes), a row group
    // (a row, and it drops row groups) or a row (it drops rows too). "</tbody>" or "</tr>"
    // from MathML then closes the MathML exactly where the parser does.
    {"<template><caption><th><math></tbody><noframes><s a=\"\">", "<template><caption><th><math></tbody><noframes><s a=\"\">"},
    {"<template><tbody></tbody><td><math></tbody><noframes><s a=\"\">",
     "<template><tbody></tbody><td><math></tbody><noframes><s a=\"\">"},
    {"<template><tr></tr><td><math></tr><noframes><s a=\"\">", "<template><tr></tr><td><math></tr><noframes><s a=\"\">"},
    {"<template><td><tr><math></tr><noframes><s a=\"\">", "<template><td><tr><math></tr><noframes><s a>"},
    // A link the table moved out of itself stays in the parser's list when the column group
    // clears the stack; it is opened again around the select and the SVG, so "</a>" closes
    // the SVG and the style is HTML's.
    {"<a><table><a><colgroup><select></select><svg></a><style>a  &amp; b</style>",
     "<a><table><a><colgroup><select></select><svg></a><style>a  &amp; b</style>"},
    // "</template>" clears the list of formatting elements only up to the last marker: a cell
    // it closed would leave the template's marker there, and the bold element would not open
    // again at the text after it. A button the table rules put into a template's content is
    // closed by the next cell, so "</button>" closes nothing and "</span>" stays.
    {"<p><b>y</p><template><td></td></template>x", "<p><b>y</p><template><td></td></template>x"},
    {"<template><td></td> <button><td></td><span></span></button> c </template>",
     "<template><td></td> <button><td></td><span></span></button> c </template>"},
    // "</li>" may go before "</dd>", which closes the list item, but then "</dd>" stays: a dt
    // start tag closes a dd only up to the first special element, and the list item is one.
    {"<dl><dd><li>a</li></dd><dt>x</dl>", "<dl><dd><li>a</dd><dt>x</dl>"},
    // "</form>" closes the paragraph only while it is the current node (implied end tags) and
    // removes the form alone: with "</span>" left out, "</p>" stays.
    {"<div><form><p>c<span></span></p></form>x</div>", "<div><form><p>c<span></p></form>x"},
    // In a template's content with no table, "</table>" closes the section (or row, caption)
    // open there and the MathML the table rules moved out of it: the cell after it is HTML's.
    {"<template><tfoot><math></table><th><style>a  &amp; b</style>",
     "<template><tfoot><math></table><th><style>a  &amp; b</style>"},
    // A table start tag in a template's table content with no table open is dropped: "</ul>"
    // then closes the SVG and the list, and the white space after the nested template stands
    // in the section.
    {"<template><tbody><ul><table><svg></ul><template><p></template>  a  b",
     "<template><tbody><ul><table><svg></ul><template><p></template>  a  b"},
    // NOSCRIPT content that reads the same as markup (raw text closed in itself, comments)
    // lets the rules go on after it; content that does not leaves the rest as written.
    {"<body><noscript><style>p{}</style><!-- c --><iframe src=x></iframe></noscript>\n<p> a </p>\n<p> b</p>",
     "<body><noscript><style>p{}</style><!-- c --><iframe src=x></iframe></noscript><p>a<p>b"},
    {"<body><noscript><style>p{}</noscript>\n<p> a </p>", "<body><noscript><style>p{}</noscript>\n<p> a </p>"},
};

TEST(WebTemplate, RulesOnSmallCases) {
    for (const Case& row : kCases) {
        SCOPED_TRACE(row.input);
        std::string out = Minify(row.input);
        EXPECT_EQ(out, row.expected);
        EXPECT_EQ(web_test::TreeDifference(row.input, out), "");
    }
}

int64_t SavedTotal(const WebStats& stats) {
    int64_t total = 0;
    for (uint64_t s : stats.saved) total += static_cast<int64_t>(s);
    return total;
}

TEST(WebTemplate, EveryRuleCanBeSwitchedOff) {
    WebOptions off;
    off.rules.fill(false);
    for (const Case& row : kCases) {
        SCOPED_TRACE(row.input);
        std::string out = Minify(row.input, off);
        // Only repeated attributes, "/" and space in tags may go: they are TagSpace's.
        EXPECT_EQ(web_test::TreeDifference(row.input, out), "");
    }
    EXPECT_EQ(Minify("<p>a  <!-- c --> b</p>", off), "<p>a  <!-- c --> b</p>");
}

// One rule off leaves everything it does undone and its counter at 0; the others still work
// around it (a tag kept as written still loses quotes, defaults and boolean values, with a
// space where a value or name would join the next bytes). All rules off copy the input.
TEST(WebTemplate, ARuleOffDoesNothing) {
    struct OffCase {
        WebRule off;
        const char* input;
        const char* expected;
    };
    const OffCase kOff[] = {
        {WebRule::TagSpace, "<A\n  HREF = \"x\"\tTARGET=\"_blank\"/>t</A >.",
         "<A\n  HREF = x\tTARGET=_blank />t</A >."},
        {WebRule::TagSpace, "<input type=\"text\"value=1 checked=\"checked\"><p class=a CLASS=\"b\"id=\"c\" >",
         "<input value=1 checked><p class=a CLASS=\"b\"id=c >"},
        {WebRule::TagSpace, "<svg><path d=\"M0\"/></svg><br b= >", "<svg><path d=M0 /></svg><br b>"},
        {WebRule::AttributeQuotes, "<a  href=\"x\"target=_blank title=\"\" b= >", "<a href=\"x\"target=_blank title=\"\"b>"},
        // A comment after the html start tag and white space is the element's first child.
        {WebRule::Whitespace, "<html> <!--[if", "<html> <!--[if"},
        {WebRule::Whitespace, "<html>&#10;<!--[if IE]><p>x<![endif]--> <p>a", "<html>&#10;<!--[if IE]><p>x<![endif]--> <p>a"},
        // Also one that parts two texts where a removed comment stood (written back into the
        // text): "</>" gives no token, a processing instruction is a comment.
        {WebRule::Whitespace, "<html>\n<!>&#32<!--#", "<html>\n<!>&#32<!--#"},
        {WebRule::Whitespace, "<html>\n</><?x>&#32;&#10<!--#-->", "<html>\n</><?x>&#32;&#10<!--#-->"},
        {WebRule::Whitespace, "<html>\n<!-- a -->x<!--#-->", "<html>\n<!---->x<!--#-->"},
        {WebRule::Whitespace, "<html>\n<!---->&#32<!>", "<html>\n<!---->&#32"},
    };
    for (const OffCase& row : kOff) {
        SCOPED_TRACE(row.input);
        WebOptions options;
        options.set(row.off, false);
        WebStats stats;
        std::string out = Minify(row.input, options, &stats);
        EXPECT_EQ(out, row.expected);
        EXPECT_EQ(stats[row.off], 0u);
        EXPECT_EQ(SavedTotal(stats), static_cast<int64_t>(std::strlen(row.input)) - static_cast<int64_t>(out.size()));
        EXPECT_EQ(web_test::TreeDifference(row.input, out), "");
    }
    WebOptions off;
    off.rules.fill(false);
    for (const OffCase& row : kOff) EXPECT_EQ(Minify(row.input, off), row.input);
}

TEST(WebTemplate, KeepsListedComments) {
    WebOptions options;
    options.keep_comments = {"google_ad"};
    EXPECT_EQ(Minify("<p>a<!-- google_ad_section -->b<!-- x --></p>", options),
              "<p>a<!-- google_ad_section -->b");
}

// The oracle places text read before "</form>" inside the form, as browsers do (gumbo alone
// puts it after the form), so it sees text moved out of a form and no longer sees a dropped
// comment before "</form>" as a change.
TEST(WebTemplate, OracleKeepsTextBeforeAFormEndTagInTheForm) {
    EXPECT_NE(web_test::TreeDifference("<form>x</form>y", "<form></form>xy"), "");
    EXPECT_EQ(web_test::TreeDifference("<form>x<!-- c --></form>y", "<form>x</form>y"), "");
    EXPECT_EQ(web_test::TreeDifference("<p><form>x <!-- c --></FORM/>y", "<p><form>x </FORM/>y"), "");
    EXPECT_EQ(web_test::TreeDifference("<form>x</i a='</form>'></form>y<form>z<!---->&lt;</form>",
                                       "<form>x</form>y<form>z&lt;</form>"),
              "");
}

// gumbo stops on text after a CDATA section in an integration point in a table unless a comment
// separates them; the oracle reads such a pair again with the comment put back, so a dropped
// comment there is no change, while a real change next to it still is.
TEST(WebTemplate, OracleReadsTextAfterCdataInATable) {
    EXPECT_EQ(web_test::TreeDifference("<table><svg><title><![CDATA[ ]]><!>\n", "<table><svg><title><![CDATA[ ]]>\n"),
              "");
    EXPECT_NE(web_test::TreeDifference("<table><svg><title><![CDATA[ ]]><!>x", "<table><svg><title><![CDATA[ ]]>y"),
              "");
}

// "</>" is no token: a foreign element's end tag right after it still closes the element.
TEST(WebTemplate, OracleReadsEmptyEndTagAsNothingInForeignContent) {
    EXPECT_EQ(web_test::TreeDifference("<svg><g></></g>x</svg><style>{}", "<svg><g></g>x</svg><style>{}"), "");
    EXPECT_NE(web_test::TreeDifference("<svg><g></></g>x", "<svg><g></>x</g>"), "");
    // After PLAINTEXT it is text, also inside a link the parser opened again there.
    EXPECT_EQ(web_test::TreeDifference("<!<svg><p><a><plaintext></><f", "<p><a><plaintext></><f"), "");
    EXPECT_NE(web_test::TreeDifference("<svg></svg><a><plaintext></><f", "<svg></svg><a><plaintext><f"), "");
}

// An end tag that the body's rules read as "any other end tag" stops at an SVG title still open
// inside its element, as browsers read it (gumbo alone closes the element), so markup in an SVG
// element after it is no text; end tags that do close the title (a table's, a template's) still
// do, and a real change next to an ignored one is still seen.
TEST(WebTemplate, OracleIgnoresAnEndTagStoppedByAnSvgTitle) {
    const std::string_view kSame[][2] = {
        {"<optgroup><svg><title><svg></optgroup><textarea><a e=\"\">", "<optgroup><svg><title><svg></optgroup><textarea><a e>"},
        {"<x-y><svg><title><svg></X-Y >b<textarea><a e=\"\">", "<x-y><svg><title><svg>b<textarea><a e>"},
    };
    for (const auto& row : kSame) EXPECT_EQ(web_test::TreeDifference(row[0], row[1]), "") << row[0];
    const std::string_view kChanged[][2] = {
        {"<optgroup><svg><title><svg></optgroup><textarea><a e=\"x\">", "<optgroup><svg><title><svg></optgroup><textarea><a e=y>"},
        {"<span><svg><title></span><textarea><a e=\"\">", "<span><svg><title></span><textarea><a e>"},
        {"<table><td><svg><title><svg></table><textarea><a e=\"\">", "<table><td><svg><title><svg></table><textarea><a e>"},
        {"<template><svg><title><svg></template><textarea><a e=\"\">", "<template><svg><title><svg></template><textarea><a e>"},
        {"<span><svg><title>a</span>b", "<span><svg><title>a</span>c"},
    };
    for (const auto& row : kChanged) EXPECT_NE(web_test::TreeDifference(row[0], row[1]), "") << row[0];
}

// The rules' counters share out exactly the bytes the document lost (the reports list them
// per rule), also where a decoded character is written back as a reference or a value that
// lost its quotes needs a space after it.
TEST(WebTemplate, StatisticsAddUpToTheSaving) {
    const Case kCounted[] = {
        {"<p>&amp;copy; &amp;#1; &lt;b&gt; &quot;</p>", "<p>&amp;copy; &amp;#1; &lt;b> \""},
        {"<a href=\"x/\"target=\"_blank\"title=\"&quot;&amp;x;\">", "<a href=x/ target=_blank title='\"&amp;x;'>"},
    };
    std::vector<Case> rows(std::begin(kCases), std::end(kCases));
    rows.insert(rows.end(), std::begin(kCounted), std::end(kCounted));
    for (const Case& row : rows) {
        SCOPED_TRACE(row.input);
        const std::string_view in = row.input;
        WebStats stats;
        std::string out = Minify(in, {}, &stats);
        EXPECT_EQ(out, row.expected);
        EXPECT_EQ(SavedTotal(stats), static_cast<int64_t>(in.size()) - static_cast<int64_t>(out.size()));
        EXPECT_EQ(stats.input_bytes, in.size());
        EXPECT_EQ(stats.output_bytes, out.size());
    }
    WebStats stats;
    Minify("<!DOCTYPE html>\n<ul>\n <li class=\"a\">x  y</li>\n</ul><!-- c -->", {}, &stats);
    EXPECT_GT(stats[WebRule::OptionalTags], 0u);
    EXPECT_GT(stats[WebRule::Comments], 0u);
}

// A text of 64 KB or more with references (and, in one context, split by a removed comment,
// which sends it straight into the result after the tags held before it are decided): in the
// contexts where those tags look at the text, the tree, the counters and the output's size
// behave as for short texts.
TEST(WebTemplate, LongTextsWithReferencesKeepTheirTree) {
    std::string text;
    for (int k = 0; text.size() < 70'000; ++k) {
        static const char* const kWords[] = {"lorem", "&amp;", "ipsum", "&lt;b", "&#169;", "dolor",
                                             "&nbsp;", "&amp", "&#32;", "sit", "&#10;", "&gt;"};
        text += kWords[(k * 7) % std::size(kWords)];
        text += k % 5 == 0 ? "\n" : " ";
    }
    const std::string kContexts[][2] = {
        {"<html><head><title>x</title></head>\n&amp;", "</html>"},
        {"<ul><li>a</li>", "<li>b</ul>"},
        {"<p>a</p>\n ", ""},
        {"<pre>\n&#10;", "</pre>"},
        {"<pre>&#10;", "</pre>"},
        {"<html><head></head>&lt;", ""},
        {"<table><tr><td>x</td>", "</table>"},
        {"<p>x</p><!-- c -->", "<!-- d -->&amp;b"},
        {"<body>&#32;", "</body>   \n</html>"},
        {"<dl><dt>a</dt>\n&#32;", ""},
    };
    for (const auto& context : kContexts) {
        const std::string page = context[0] + text + context[1];
        SCOPED_TRACE(context[0]);
        WebStats stats;
        const std::string out = Minify(page, {}, &stats);
        EXPECT_LT(out.size(), page.size());
        EXPECT_EQ(SavedTotal(stats), static_cast<int64_t>(page.size() - out.size()));
        EXPECT_EQ(web_test::TreeDifference(page, out), "");
    }
}

// Every page of the shared corpus, in every folder: the output parses to the same tree with
// all rules on and with each rule alone off; the output never grows, and the rules' counters
// add up to what it lost.
TEST(WebTemplate, CorpusPagesKeepTheirTree) {
    std::filesystem::path root = std::filesystem::path(TSQZ_SHARED_DIR) / "corpus";
    if (std::string(TSQZ_SHARED_DIR).empty() || !std::filesystem::is_directory(root))
        GTEST_SKIP() << "no shared corpus";
    size_t pages = 0;
    uint64_t in_total = 0, out_total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream buffer;
        buffer << file.rdbuf();
        std::string page = buffer.str();
        SCOPED_TRACE(entry.path().string());
        WebStats stats;
        std::string out = Minify(page, {}, &stats);
        EXPECT_LE(out.size(), page.size());
        EXPECT_EQ(SavedTotal(stats), static_cast<int64_t>(page.size() - out.size()));
        EXPECT_EQ(web_test::TreeDifference(page, out), "");
        // Each rule alone off on the smaller pages (the large ones take minutes under the
        // sanitizers).
        for (size_t r = 0; r < kWebRuleCount && page.size() <= 100'000; ++r) {
            WebOptions one_off;
            one_off.rules[r] = false;
            SCOPED_TRACE(std::string(WebRuleName(static_cast<WebRule>(r))) + " off");
            WebStats one_off_stats;
            EXPECT_EQ(web_test::TreeDifference(page, Minify(page, one_off, &one_off_stats)), "");
            EXPECT_EQ(one_off_stats.saved[r], 0u);
        }
        WebOptions all_off;
        all_off.rules.fill(false);
        EXPECT_TRUE(Minify(page, all_off) == page) << "all rules off changed the page";
        ++pages;
        in_total += page.size();
        out_total += out.size();
    }
    EXPECT_GT(pages, 30u);
    std::printf("%zu pages, %llu -> %llu bytes\n", pages, static_cast<unsigned long long>(in_total),
                static_cast<unsigned long long>(out_total));
}

}  // namespace
}  // namespace tsqz::web
