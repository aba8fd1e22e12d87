// The seed files' option bytes choose exactly the block they were written for.
#include "fuzz_options.h"

#include <gtest/gtest.h>

#include <random>

namespace tsqz::fuzz {
namespace {

void ExpectSameBlock(const OptionBlock& a, const OptionBlock& b) {
    for (const OptionInfo& info : OptionTable()) {
        if (info.byte_member) {
            EXPECT_EQ(a.*info.byte_member, b.*info.byte_member) << info.name;
        }
    }
    EXPECT_EQ(a.WordWrap, b.WordWrap);
}

// Any chosen block encodes back into bytes that choose it again; so does a block with random
// switches and a level and width from the choosable ranges.
TEST(FuzzOptions, EncodingChoosesTheSameBlock) {
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        OptionBytes bytes;
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        const OptionBlock chosen = ChooseOptions(bytes.data());
        const auto encoded = EncodeOptions(chosen, StatisticsChosen(bytes.data()));
        ASSERT_TRUE(encoded.has_value());
        ExpectSameBlock(ChooseOptions(encoded->data()), chosen);
        EXPECT_EQ(StatisticsChosen(encoded->data()), StatisticsChosen(bytes.data()));
    }
}

TEST(FuzzOptions, EveryOptionIsReachable) {
    OptionBytes all_on{0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0};
    const OptionBlock block = ChooseOptions(all_on.data());
    for (const OptionInfo& info : OptionTable()) {
        // The web template's switches (after the 32 of the original) have their own fuzzer.
        if (info.kind == OptionKind::Switch && info.section != kWebTemplate) {
            EXPECT_EQ(block.*info.byte_member, 1) << info.name;
        }
    }
    EXPECT_EQ(block.StandardizeChars, 5);
    EXPECT_EQ(block.WordWrap, 254);
}

// Levels and widths the first bytes cannot choose are refused, not silently changed.
TEST(FuzzOptions, UnchoosableBlocksAreRefused) {
    OptionBlock block;
    block.WordWrap = 200;
    EXPECT_FALSE(EncodeOptions(block, false).has_value());
    block.WordWrap = 80;
    EXPECT_TRUE(EncodeOptions(block, false).has_value());
    block.StandardizeChars = 9;
    EXPECT_FALSE(EncodeOptions(block, false).has_value());
}

}  // namespace
}  // namespace tsqz::fuzz
