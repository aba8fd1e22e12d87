// The web template: today's HTML rules applied to a whole document, bytes in and bytes out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsqz::web {

// The rules, each one switchable; every rule keeps the parsed document and its rendering.
enum class WebRule : uint8_t {
    Whitespace,           // collapse runs in text, drop white space the browser does not show
    OptionalTags,         // start and end tags the parser implies
    AttributeQuotes,      // quotes the value does not need, empty values
    BooleanAttributes,    // checked="checked" -> checked
    DefaultAttributes,    // type="text/javascript" and the like
    CharacterReferences,  // the shortest form of each reference
    Comments,             // comments other than conditional, server-side and kept ones
    Doctype,              // the short doctype where the document mode stays
    TagSpace,             // white space and "/" inside tags, repeated attributes
    MinifyStyles,         // STYLE text and style attributes through the style-sheet minifier
    MinifyScripts,        // SCRIPT text through the script minifier, by its type
    kCount
};
constexpr size_t kWebRuleCount = static_cast<size_t>(WebRule::kCount);

struct WebOptions {
    std::array<bool, kWebRuleCount> rules;
    std::vector<std::string> keep_comments;  // comments containing one of these stay

    WebOptions() { rules.fill(true); }
    bool on(WebRule r) const { return rules[static_cast<size_t>(r)]; }
    void set(WebRule r, bool value) { rules[static_cast<size_t>(r)] = value; }
};

struct WebStats {
    std::array<uint64_t, kWebRuleCount> saved{};  // bytes each rule removed
    uint64_t input_bytes = 0, output_bytes = 0;
    uint64_t& operator[](WebRule r) { return saved[static_cast<size_t>(r)]; }
    uint64_t operator[](WebRule r) const { return saved[static_cast<size_t>(r)]; }
};

// A rule's name as the option files, the command line and the reports spell it.
std::string_view WebRuleName(WebRule rule);

// Rewrites `input` with the rules `options` switches on and appends the result to `out`.
// Any byte sequence is accepted; what the rules cannot prove unchanged is copied as written.
void MinifyWeb(std::string_view input, const WebOptions& options, std::string& out,
               WebStats* stats = nullptr);

}  // namespace tsqz::web
