// The sixteen-byte scans: which places they hand over, where they go on, and that they read
// no byte outside the text (the texts sit in buffers of their exact size, for the sanitizers).
#include "text/byte_scan.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tsqz {
namespace {

// A copy of the text in a heap block of exactly its size.
class ExactBuffer {
  public:
    explicit ExactBuffer(const std::string& text)
        : bytes_(new char[text.size() == 0 ? 1 : text.size()]), size_(text.size()) {
        std::copy(text.begin(), text.end(), bytes_.get());
    }
    std::string_view view() const { return {bytes_.get(), size_}; }

  private:
    std::unique_ptr<char[]> bytes_;
    size_t size_;
};

std::string RandomText(std::mt19937& rng, size_t length) {
    static constexpr char kAlphabet[] = {'a', ' ', '<', '>', '=', '\n', '\t', 'x'};
    std::uniform_int_distribution<size_t> pick(0, std::size(kAlphabet) - 1);
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += kAlphabet[pick(rng)];
    return text;
}

// A visit that jumps ahead by a random stride now and then, and the indices it saw.
struct Jumps {
    explicit Jumps(uint32_t seed) : rng(seed) {}
    size_t Next(size_t i) {
        const int roll = std::uniform_int_distribution<int>(0, 9)(rng);
        return roll < 7 ? i + 1 : i + 1 + static_cast<size_t>(roll * 3);
    }
    std::mt19937 rng;
};

// ScanBytes visits exactly the indices holding a wanted byte, skipping those a visit jumped
// over, and stops when asked to.
TEST(ByteScanTest, ScanBytesVisitsEveryWantedByteInOrder) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomText(rng, static_cast<size_t>(round % 90));
        const ExactBuffer buffer(text);
        const size_t from = text.empty() ? 0 : static_cast<size_t>(round) % text.size();
        Jumps scanned(static_cast<uint32_t>(round));
        Jumps expected_jumps(static_cast<uint32_t>(round));
        std::vector<size_t> seen;
        ScanBytes<'<', '>'>(buffer.view(), from, [&](size_t i) {
            seen.push_back(i);
            return scanned.Next(i);
        });
        std::vector<size_t> expected;
        for (size_t i = from; i < text.size();) {
            if (text[i] != '<' && text[i] != '>') {
                ++i;
                continue;
            }
            expected.push_back(i);
            i = expected_jumps.Next(i);
        }
        ASSERT_EQ(seen, expected) << text;
    }

    std::vector<size_t> seen;
    ScanBytes<'x'>(std::string_view("axbxcxdxexfxgxhxixjxkx"), 0, [&](size_t i) {
        seen.push_back(i);
        return seen.size() == 3 ? kScanEnd : i + 1;
    });
    EXPECT_EQ(seen, (std::vector<size_t>{1, 3, 5}));
}

// ScanPlaces hands over every place its test marks, reading the two bytes after it, and all
// of the last bytes; never a place before `from` or one a visit jumped over.
TEST(ByteScanTest, ScanPlacesHandsOverEveryMarkedPlace) {
    std::mt19937 rng(8);
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomText(rng, static_cast<size_t>(round % 100));
        const ExactBuffer buffer(text);
        const size_t from = text.empty() ? 0 : static_cast<size_t>(round * 7) % text.size();
        // A place: " " followed by "<" or ">", or "=" two bytes before "\n".
        const auto is_place = [&text](size_t i) {
            const auto at = [&text](size_t k) { return k < text.size() ? text[k] : '\0'; };
            return (at(i) == ' ' && (at(i + 1) == '<' || at(i + 1) == '>')) ||
                   (at(i) == '=' && at(i + 2) == '\n');
        };
        Jumps scanned(static_cast<uint32_t>(round));
        Jumps expected_jumps(static_cast<uint32_t>(round));
        std::vector<size_t> seen;
        ScanPlaces(
            buffer.view(), from,
            [](Bytes16 b0, Bytes16 b1, Bytes16 b2) {
                return ((b0 == ' ') & ((b1 == '<') | (b1 == '>'))) | ((b0 == '=') & (b2 == '\n'));
            },
            [&](size_t i) {
                if (!is_place(i)) return i + 1;  // one of the last bytes, handed over unmarked
                seen.push_back(i);
                return scanned.Next(i);
            });
        std::vector<size_t> expected;
        for (size_t i = from; i < text.size();) {
            if (!is_place(i)) {
                ++i;
                continue;
            }
            expected.push_back(i);
            i = expected_jumps.Next(i);
        }
        ASSERT_EQ(seen, expected) << text;
    }
}

}  // namespace
}  // namespace tsqz
