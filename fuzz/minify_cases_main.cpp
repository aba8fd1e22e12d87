// Generated scripts and style sheets through the fuzz target's checks, written with their
// minified forms for the parser oracle (tests/minify/minify_oracle.cjs --generated).
//
//   minify_cases COUNT SEED OUT.jsonl
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "minify/pairs_writer.h"
#include "minify_checks.h"
#include "minify_generator.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s COUNT SEED OUT.jsonl\n", argv[0]);
        return 2;
    }
    const unsigned long count = std::strtoul(argv[1], nullptr, 10);
    std::mt19937 random(static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)));
    std::ofstream out(argv[3], std::ios::binary);
    std::vector<uint8_t> bytes;
    for (unsigned long n = 0; n < count; ++n) {
        bytes.resize(16 + random() % 400);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        tsqz::fuzz::Choices choices(bytes.data(), bytes.size());
        const std::string name = "generated-" + std::to_string(n);
        if (n % 2 == 0) {
            const std::string script = tsqz::fuzz::GenerateScript(choices);
            tsqz::test::WritePair(out, name, "script", "", script,
                                  tsqz::fuzz::CheckScript(script, false, n % 4 == 0));
        } else {
            const std::string sheet = tsqz::fuzz::GenerateStyleSheet(choices);
            tsqz::test::WritePair(out, name, "style", "", sheet,
                                  tsqz::fuzz::CheckStyleSheet(sheet, false));
        }
    }
    std::printf("wrote %lu generated cases\n", count);
    return 0;
}
