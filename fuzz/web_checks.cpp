#include "web_checks.h"

#include "web/dom_oracle.h"

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
