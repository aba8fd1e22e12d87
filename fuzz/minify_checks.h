// The checks of the minifier fuzz target, shared with minify_cases. Each returns the
// minified text and aborts with a message when a check fails.
#pragma once

#include <string>
#include <string_view>

namespace tsqz::fuzz {

// |utf8|: minified as on a UTF-8 page (escapes of non-ASCII characters may become them).
std::string CheckScript(std::string_view in, bool module, bool utf8);
std::string CheckStyleSheet(std::string_view in, bool declarations);
std::string CheckJson(std::string_view in);

}  // namespace tsqz::fuzz
