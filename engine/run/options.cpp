// The option table and the option block's reset rules.
#include "run/options.h"

#include <algorithm>
#include <array>

namespace tsqz {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}

// Each savings line names a slot of its own, and every web template rule has its line: the
// pipeline finds the rules' switches, and the report their lines, through these rows. A label
// leaves at least one space before the report's figure column (column 32).
static_assert([] {
    std::array<int, kAllSlotCount + 1> rows{};
    for (const OptionInfo& info : kOptionTable) {
        if (info.report_slot < 0 || info.report_slot > kAllSlotCount) return false;
        if (info.report_label.size() > 30) return false;
        if (!info.report_label.empty()) ++rows[static_cast<size_t>(info.report_slot)];
    }
    for (int slot = 1; slot <= kAllSlotCount; ++slot) {
        if (rows[static_cast<size_t>(slot)] > 1) return false;
        if (IsWebSlot(slot) && rows[static_cast<size_t>(slot)] != 1) return false;
    }
    return true;
}());

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
