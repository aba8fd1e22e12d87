// Benchmark helpers: templates, corpus pages, synthetic pages, medians and number formatting.
#include "bench_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "run/engine.h"
#include "run/persist.h"
#include "platform/files.h"

namespace tsqz::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDocumentExtensions[] = {".htm", ".html", ".shtml", ".asp"};

bool IsDocumentName(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(std::begin(kDocumentExtensions), std::end(kDocumentExtensions), ext) !=
           std::end(kDocumentExtensions);
}

// The pieces of a synthetic document, written with LF line ends.
constexpr std::string_view kHead = R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">
<HTML>
<HEAD>
<TITLE>Synthetic page for the scaling series</TITLE>
<META NAME="GENERATOR" CONTENT="Page Editor 3.0">
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=iso-8859-1">
<META NAME="keywords" CONTENT="scaling, benchmark, synthetic">
<STYLE TYPE="text/css">
<!--
  BODY  { color : black ;  background : white ; }
  H2    { font-family : Arial , sans-serif ;  margin-top : 2em ; }
-->
</STYLE>
<SCRIPT LANGUAGE="JavaScript">
<!--
// Opens the help window.
function openHelp(url) {
    var w = window.open(url, "help", "width=300,height=200");
    if (w != null) { w.focus(); }   // keep it in front
}
// -->
</SCRIPT>
</HEAD>
<BODY BGCOLOR="white" TEXT="black" LINK="blue" VLINK="purple">
<PRE>
  preformatted    text    kept    as    it    is
</PRE>
)";

constexpr std::string_view kRealisticUnit = R"(<!-- next section -->
<H2><FONT FACE="Arial" COLOR="navy" SIZE="+1">A section heading</FONT></H2>
<P>The <STRONG>quick</STRONG> brown fox jumps over the <EM>lazy</EM> dog, says the
<CITE>Handbook</CITE>; see <A HREF="chapter2.html">chapter two</A> for the
<DFN>definition</DFN> of <CODE>grep</CODE>, <SAMP>output</SAMP> and <KBD>Ctrl+C</KBD>.
Caf&eacute; &amp; cr&egrave;me &copy; 1998 &#169; &nbsp;&nbsp; prices &lt; &pound;5.</P>
<P ALIGN="center">   Spaces    between     words   and
        indented   continuation   lines   </P>
<TABLE BORDER="0" CELLPADDING="4" CELLSPACING="0" WIDTH="100%" BGCOLOR="silver">
  <TR>
    <TD WIDTH="50%" VALIGN="top"><FONT SIZE="2" COLOR="maroon">first cell</FONT></TD>
    <TD WIDTH="50%" VALIGN="top"><FONT SIZE="2" COLOR="#ff0000">second cell</FONT></TD>
  </TR>
</TABLE>
<UL TYPE="disc">
  <LI>first item</LI>
  <LI>second item with <B>bold</B> and <I>italic</I> text</LI>
</UL>


<P></P>
<CENTER><IMG SRC="images/divider.gif" WIDTH="400" HEIGHT="2" ALT="divider" BORDER="0"></CENTER>
<ADDRESS>webmaster@example.com</ADDRESS>
<P>A plain paragraph that runs on a little further, so that its line becomes long enough to be rewrapped at the chosen column by the line layout passes, which then break it in two.
)";

constexpr std::string_view kShortLinesUnit =
    "<P>\na\nshort\nline\n<BR>\nof\ntext\n&nbsp;\n<B>x</B>\n";

constexpr std::string_view kManyTagsUnit =
    R"(<P><B><I>a</I></B><FONT SIZE="2" COLOR="red"><STRONG>b</STRONG></FONT><SPAN CLASS="c"></SPAN>)"
    R"(<EM></EM><A HREF="x.html" TARGET="_top"><IMG SRC="y.gif" ALT="y"></A><TT>c</TT><U></U>)"
    R"(<CODE>d</CODE><BR>)"
    "\n";

constexpr std::string_view kTail = "</BODY>\n</HTML>\n";

std::string WithLineEnds(std::string_view text, bool crlf) {
    std::string out;
    out.reserve(text.size() * 11 / 10);
    for (char c : text) {
        if (c == '\n' && crlf) out += '\r';
        out += c;
    }
    return out;
}

// Exactly n bytes between the last unit and the tail: a short paragraph, or only spaces when
// there is no room for one.
std::string Filler(size_t n, std::string_view eol) {
    constexpr std::string_view kWords = "ipsum ";
    if (n < 3 + eol.size() + 1) return std::string(n, ' ');
    std::string out = "<P>";
    while (out.size() < n - eol.size())
        out += kWords[(out.size() - 3) % kWords.size()];
    out += eol;
    return out;
}

}  // namespace

const TemplateChoice* FindTemplate(std::string_view label) {
    for (const TemplateChoice& choice : kTemplates) {
        if (choice.label == label) return &choice;
    }
    return nullptr;
}

OptionBlock TemplateOptions(size_t column) {
    // Through the engine's own template writer and option reader, so the block is exactly the
    // one a host gets and the template table stays in one place.
    std::error_code ec;
    const fs::path folder =
        fs::temp_directory_path(ec) / ("tsqz-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder, ec);
    const std::string ini = (folder / "templates.ini").string();
    Engine engine;
    int32_t status = 0;
    const bool read = WriteTemplate(engine, ini, static_cast<uint8_t>(column + 1)) == 1 &&
                      ReadOptions(engine, ini, status) == 1 && status == 0;
    fs::remove_all(folder, ec);
    if (!read) std::abort();  // a template that cannot be stored in a temporary folder
    return engine.options;
}

OptionBlock TemplateOptions(const TemplateChoice& choice) {
    OptionBlock options = TemplateOptions(choice.column);
    if (choice.web_template()) {
        options.Web = 1;
        const uint8_t markup_only = choice.web == WebChoice::kMarkup ? 1 : 0;
        options.WebNoScripts = markup_only;
        options.WebNoStyles = markup_only;
    }
    return options;
}

bool LoadPage(const std::string& path, Page& page) {
    page.path = path;
    page.name = fs::path(path).filename().string();
    return platform::ReadWholeFile(path, page.text) == platform::ReadResult::kOk;
}

std::vector<Page> LoadPages(const std::string& folder) {
    std::vector<Page> pages;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || !IsDocumentName(it->path())) continue;
        Page page;
        if (LoadPage(it->path().string(), page)) pages.push_back(std::move(page));
    }
    std::sort(pages.begin(), pages.end(),
              [](const Page& a, const Page& b) { return a.name < b.name; });
    return pages;
}

std::string MakeSyntheticPage(SyntheticKind kind, size_t size) {
    const bool crlf = kind == SyntheticKind::kRealisticCRLF;
    std::string_view unit_lf = kRealisticUnit;
    if (kind == SyntheticKind::kShortLines) unit_lf = kShortLinesUnit;
    if (kind == SyntheticKind::kManyTags) unit_lf = kManyTagsUnit;
    const std::string head = WithLineEnds(kHead, crlf);
    const std::string unit = WithLineEnds(unit_lf, crlf);
    const std::string tail = WithLineEnds(kTail, crlf);
    size = std::max<size_t>(size, 4096);

    std::string page;
    page.reserve(size);
    page += head;
    const size_t body = size - head.size() - tail.size();
    const size_t units = body / unit.size();
    for (size_t i = 0; i < units; ++i)
        page += unit;
    page += Filler(body - units * unit.size(), crlf ? "\r\n" : "\n");
    page += tail;
    return page;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid),
                     values.end());
    const double upper = values[mid];
    if (values.size() % 2 == 1) return upper;
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
    return (lower + upper) / 2;
}

std::string Thousands(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace tsqz::bench
