// Generated scripts and style sheets for the minifier fuzz target and the parser oracle:
// valid programs and sheets built from a grammar, with random white space, line ends and
// comments between their tokens, where the minifiers' rules are easiest to get wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tsqz::fuzz {

// Choices taken from the fuzzer's bytes (zero once they run out, which ends every list).
class Choices {
public:
    Choices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    unsigned Pick(unsigned n) { return n ? (pos_ < size_ ? data_[pos_++] : 0) % n : 0; }
    bool Maybe(unsigned one_in) { return Pick(one_in) == 0 && pos_ <= size_; }
    bool Exhausted() const { return pos_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

std::string GenerateScript(Choices& c);
std::string GenerateStyleSheet(Choices& c);

}  // namespace tsqz::fuzz
