// Random markup built from small sets of pieces, for comparing a pass with its literal form.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tsqz::test {

// Joins `count` pieces drawn at random; a small alphabet of tag fragments, quotes and
// attribute names makes the rare arrangements of real documents frequent.
class MarkupSource {
  public:
    MarkupSource(std::initializer_list<std::string_view> pieces, unsigned seed)
        : pieces_(pieces), rng_(seed) {}

    std::string Next(size_t max_pieces) {
        std::uniform_int_distribution<size_t> count(0, max_pieces);
        std::uniform_int_distribution<size_t> pick(0, pieces_.size() - 1);
        std::string out;
        for (size_t n = count(rng_); n > 0; --n)
            out += pieces_[pick(rng_)];
        return out;
    }

    // A number from 0 to max, for choices such as options or the base font size.
    int Choice(int max) { return std::uniform_int_distribution<int>(0, max)(rng_); }

  private:
    std::vector<std::string_view> pieces_;
    std::mt19937 rng_;
};

}  // namespace tsqz::test
