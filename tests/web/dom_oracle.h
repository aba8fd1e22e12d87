// The web template's test oracle: two documents parse to the same tree (an independent HTML5
// parser), allowing only what the template may change without changing the page.
#pragma once

#include <string>
#include <string_view>

namespace tsqz::web_test {

// The parsed tree of `html` in a canonical text form: comments other than conditional and
// server-side ones dropped, neighbouring text joined, white space the browser does not render
// removed or collapsed, boolean and default-valued attributes normalised.
std::string CanonicalTree(std::string_view html);
// What CanonicalTree gives for a document the parser stops on (an assertion of its own).
inline constexpr std::string_view kUnparsed = "(the parser could not read this document)";

// Empty when both parse to the same canonical tree; otherwise the first difference in context.
// A pair where only `after` stops the parser is read again through FlushAfterCdata.
std::string TreeDifference(std::string_view before, std::string_view after);

// `html` with an empty comment after every CDATA section: gumbo stops on text right after one
// in an integration point in a table, which browsers read; the comment changes no tree.
std::string FlushAfterCdata(std::string_view html);

}  // namespace tsqz::web_test
