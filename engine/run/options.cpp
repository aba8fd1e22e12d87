// The option table and the option block's reset rules.
#include "run/options.h"

#include <algorithm>

namespace tsqz {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}

}  // namespace

std::span<const OptionInfo> OptionTable() { return kOptionTable; }

const OptionInfo* FindOption(std::string_view name) {
    for (const auto& info : kOptionTable) {
        if (EqualsIgnoreCase(info.name, name)) return &info;
    }
    return nullptr;
}

int32_t OptionValue(const OptionBlock& options, const OptionInfo& info) {
    return info.byte_member ? options.*info.byte_member : options.WordWrap;
}

bool StoreOptionValue(OptionBlock& options, const OptionInfo& info, int32_t value) {
    if (value < 0 || value > HighestValue(info.kind)) return false;
    if (info.byte_member) {
        options.*info.byte_member = static_cast<uint8_t>(value);
    } else {
        options.WordWrap = NormalizeWordWrap(value);
    }
    return true;
}

void ResetOptions(OptionBlock& options) {
    for (const auto& info : kOptionTable) {
        if (info.byte_member && !info.kept_by_init) options.*info.byte_member = 0;
    }
    options.WordWrap = 254;
}

uint8_t SetEntityLevel(OptionBlock& options, uint8_t* level) {
    if (!level) return options.StandardizeChars = 0;
    if (*level > 5) *level = 0;
    options.StandardizeChars = *level;
    return *level;
}

int32_t SetRewrapWidth(OptionBlock& options, int32_t width) {
    options.OptimizeLines = width >= 0 ? 1 : 0;
    if (width >= 0) options.WordWrap = NormalizeWordWrap(width);
    return width;
}

}  // namespace tsqz
