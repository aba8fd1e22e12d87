// The option block a fuzz input chooses with its first bytes, and the bytes that choose a
// given block (for seed files).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "run/options.h"

namespace tsqz::fuzz {

// Bytes 0-3: one bit per switch in the option table's order; byte 4: the entity level (mod 7,
// as 6 behaves like 1: persisted levels may exceed 5); byte 5: the wrap width (below 128 as
// it is, else times 8); byte 6: bit 0 turns the statistics on.
inline constexpr size_t kOptionBytes = 7;
using OptionBytes = std::array<uint8_t, kOptionBytes>;

inline OptionBlock ChooseOptions(const uint8_t* data) {
    OptionBlock options;
    const uint32_t bits = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                          static_cast<uint32_t>(data[2]) << 16 |
                          static_cast<uint32_t>(data[3]) << 24;
    int bit = 0;
    for (const OptionInfo& info : OptionTable()) {
        if (info.kind == OptionKind::Switch && bit < 32)
            options.*info.byte_member = (bits >> bit++) & 1;
    }
    options.StandardizeChars = data[4] % 7;
    options.WordWrap = NormalizeWordWrap(data[5] < 128 ? data[5] : data[5] * 8);
    return options;
}

inline bool StatisticsChosen(const uint8_t* data) { return (data[6] & 1) != 0; }

// The bytes that choose exactly this block, or none when its entity level or wrap width
// cannot be chosen.
inline std::optional<OptionBytes> EncodeOptions(const OptionBlock& options, bool statistics) {
    OptionBytes bytes{};
    int bit = 0;
    for (const OptionInfo& info : OptionTable()) {
        if (info.kind != OptionKind::Switch || bit >= 32) continue;
        if (options.*info.byte_member != 0) bytes[static_cast<size_t>(bit / 8)] |= 1u << (bit % 8);
        ++bit;
    }
    if (options.StandardizeChars > 6) return std::nullopt;
    bytes[4] = options.StandardizeChars;
    const uint16_t width = options.WordWrap;
    if (width == 254) {
        bytes[5] = 0;
    } else if (width >= 30 && width < 128) {
        bytes[5] = static_cast<uint8_t>(width);
    } else if (width % 8 == 0 && width / 8 >= 128 && width / 8 <= 255) {
        bytes[5] = static_cast<uint8_t>(width / 8);
    } else {
        return std::nullopt;
    }
    bytes[6] = statistics ? 1 : 0;
    return bytes;
}

}  // namespace tsqz::fuzz
