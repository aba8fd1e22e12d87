// fuzz_seed_maker: writes the generated seeds of the fuzz corpus.
//
//   fuzz_seed_maker OUT_DIR [DOCUMENT]...
//
// Each seed is an option choice followed by a document. Written: the hand-made documents
// below and small synthetic pages, each under the all-off, safe and all-options templates,
// every DOCUMENT named (test documents such as samples/sample.html) the same way, and one
// document of two chunks.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "bench_support.h"
#include "fuzz_options.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;
using tsqz::bench::kSyntheticKinds;
using tsqz::bench::kTemplates;

struct HandMade {
    std::string_view name;
    std::string_view text;
};

// Small documents aimed at one pass family or one rule each, so that mutations start close to
// the places where the passes branch.
constexpr HandMade kHandMade[] = {
    {"phrase-tags",
     "<HTML><BODY><P><STRONG>a</STRONG><strong class=x>b</strong><EM>c</em><CITE>d</CITE>"
     "<ADDRESS>e</ADDRESS><DFN>f</DFN><CODE>g</CODE><SAMP>h</SAMP><KBD>i</KBD><STRONGER>j"
     "</STRONGER></P><P>k</P><UL><LI>one</LI><LI>two</LI></UL></BODY></HTML>"},
    {"empties",
     "<HTML><BODY><P></P><B></B><I> </I><FONT SIZE=2></FONT><A NAME=x></A><TD></TD>"
     "<P>\n</P><CENTER></CENTER><B><I></I></B></BODY></HTML>"},
    {"quotes",
     "<HTML><BODY><A HREF=\"a.html\" TARGET='_top'>x</A><IMG SRC=\"a b.gif\" ALT=\"\">"
     "<TD WIDTH=\"50%\" ALIGN=\"left\"><INPUT VALUE=\"a'b\" NAME='c\"d'><P CLASS=\"=\">"
     "<A HREF=\"x>y\">z</A></BODY></HTML>"},
    {"entities",
     "<HTML><BODY>&eacute;&Eacute;&amp;&lt;&gt;&quot;&nbsp;&copy;&#169;&#xA9;&#233;&#0;"
     "&#99999999;&unknown;&amp&lt &;&#;&#x;\xE9\xA0\xFF</BODY></HTML>"},
    {"head-clutter",
     "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\n<HTML><HEAD>"
     "<META NAME=\"GENERATOR\" CONTENT=\"Editor 3.0\"><META NAME=generator CONTENT=x>"
     "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
     "<!-- comment --><!----><!-- a -- b --><!--[if IE]>x<![endif]-->"
     "<TITLE>t</TITLE></HEAD><BODY>text<!-- unclosed</BODY></HTML>"},
    {"colors-fonts",
     "<HTML><BODY BGCOLOR=\"white\" TEXT=black LINK=\"#0000ff\" VLINK=\"Purple\">"
     "<BASEFONT SIZE=\"4\"><FONT COLOR=\"red\" SIZE=\"+1\" FACE=Arial>a</FONT>"
     "<FONT SIZE=\"-2\">b</FONT><FONT SIZE=7>c</FONT><BIG>d</BIG><SMALL>e</SMALL>"
     "<TABLE BGCOLOR=lightgoldenrodyellow><TR><TD BGCOLOR=#abc>f</TD></TR></TABLE>"
     "<P>red white blue</P></BODY></HTML>"},
    {"whitespace-lf",
     "<HTML>\n<BODY>\n\n\n<P>   lots    of     spaces   \n\t\ttabs\t\tand\n\n\nblank "
     "lines\n<P>a very long line that goes on and on and on past any reasonable wrap column "
     "so that rewrapping has to break it somewhere sensible rather than nowhere at all ok\n"
     "</BODY>\n</HTML>\n"},
    {"whitespace-crlf",
     "<HTML>\r\n<BODY>\r\n\r\n<P>   spaces   \r\n\r\n\r\nx\r\ny\r\n\r<P>cr only\rline"
     "\r\n</BODY>\r\n</HTML>\r\n"},
    {"scripts",
     "<HTML><HEAD><SCRIPT LANGUAGE=\"JavaScript\">\n<!--\n// comment\nfunction f(a, b) {\n"
     "  if (a < b) { return \"}\"; }  /* block */\n  var s = '//not a comment';\n}\n// -->\n"
     "</SCRIPT><script>x = {a: [1, 2]};</script><SCRIPT>unbalanced { </SCRIPT></HEAD>"
     "<BODY onload=\"f(1,2)\">x</BODY></HTML>"},
    {"vbscript",
     "<HTML><HEAD><SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Go()\n  ' comment\n  MsgBox "
     "\"a\"\nEnd Sub\n-->\n</SCRIPT></HEAD><BODY></BODY></HTML>"},
    {"style",
     "<HTML><HEAD><STYLE TYPE=\"text/css\">\n<!--\n/* comment */\nBODY { color : red ; "
     "margin : 0 }\nP  {  font-size:  12pt  }\n-->\n</STYLE><STYLE>second { }</STYLE></HEAD>"
     "<BODY>x</BODY></HTML>"},
    {"asp",
     "<HTML><BODY><% Response.Write(\"a\") %> text <%= x %><%%><% if a then %>b<% end if %>"
     "<SCRIPT>var a = '<% b %>';</SCRIPT> %> stray</BODY></HTML>"},
    {"literal-blocks",
     "<HTML><BODY><PRE>a  b\n  c</PRE><pre>x</pre><XMP><B>  </B></XMP><LISTING>l  l"
     "</LISTING><PRE WIDTH=80>not   protected</PRE><PLAINTEXT>p  p</PLAINTEXT>"
     "<PRE><SCRIPT>in pre</SCRIPT></PRE></BODY></HTML>"},
    {"unclosed-blocks",
     "<HTML><BODY><PRE>never closed<XMP>nor this<SCRIPT>or this<STYLE>or this"
     "</BODY></HTML>"},
    {"placeholders",
     "<HTML><BODY><@PRE@><@SCR@><@STY@><@XMP@> <\xFE\xFE> <\xFE x \xFE></BODY></HTML>"},
    {"malformed",
     "<HTML><BODY><<>><P<P>><A HREF=\"unterminated><B>x</B\n<FONT SIZE=\"><//P>"
     "<P ALIGN=></P ><LI<LI></HTML"},
    {"not-html", "plain text without the marker html> at all"},
};

bool WriteSeed(const fs::path& folder, const std::string& name, const tsqz::OptionBlock& options,
               std::string_view document) {
    const auto prefix = tsqz::fuzz::EncodeOptions(options, true);
    if (!prefix) return false;
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(prefix->data()),
              static_cast<std::streamsize>(prefix->size()));
    out.write(document.data(), static_cast<std::streamsize>(document.size()));
    return static_cast<bool>(out);
}

std::string SafeName(std::string_view text) {
    std::string name;
    for (char c : text)
        name += (std::isalnum(static_cast<unsigned char>(c)) || c == '.') ? c : '-';
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR [DOCUMENT]...\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    int written = 0;
    bool ok = true;
    for (const tsqz::bench::TemplateChoice& choice : kTemplates) {
        const tsqz::OptionBlock options = tsqz::bench::TemplateOptions(choice.column);
        const std::string suffix = "-" + std::string(choice.label);
        for (const HandMade& doc : kHandMade) {
            ok =
                WriteSeed(folder, "gen-" + std::string(doc.name) + suffix, options, doc.text) && ok;
            ++written;
        }
        for (const tsqz::bench::SyntheticChoice& kind : kSyntheticKinds) {
            const std::string page = tsqz::bench::MakeSyntheticPage(kind.kind, 6000);
            ok = WriteSeed(folder, "gen-" + SafeName(kind.label) + suffix, options, page) && ok;
            ++written;
        }
        for (int i = 2; i < argc; ++i) {
            std::string text;
            if (tsqz::platform::ReadWholeFile(argv[i], text) != tsqz::platform::ReadResult::kOk) {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 1;
            }
            const std::string name = SafeName(fs::path(argv[i]).filename().string());
            ok = WriteSeed(folder, "doc-" + name + suffix, options, text) && ok;
            ++written;
        }
    }
    // Two chunks: a document just over one chunk's 64 KB, cut at a "<P>" (one template only,
    // as mutations of the first bytes reach the others).
    const std::string two_chunks =
        tsqz::bench::MakeSyntheticPage(tsqz::bench::SyntheticKind::kRealisticCRLF, 70'000);
    ok = WriteSeed(folder, "gen-two-chunks-all", tsqz::bench::TemplateOptions(2), two_chunks) && ok;
    ++written;
    std::printf("%d seeds written to %s\n", written, folder.c_str());
    return ok ? 0 : 1;
}
