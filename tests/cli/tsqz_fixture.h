// The folder a tsqz test works in, with its own temporary and program folders.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tsqz_runner.h"
#include "support/test_support.h"

namespace tsqz::test {

class TsqzFixture : public ::testing::Test {
  protected:
    TsqzFixture() { std::filesystem::create_directory(Temp()); }

    std::string Path(std::string_view name) const { return dir_.File(name); }
    // The runs' TMPDIR, inside the test's folder.
    std::string Temp() const { return dir_.File(".tmp"); }

    // Writes a file below the test's folder, making its folders; returns its path.
    std::string Put(std::string_view name, std::string_view bytes) const {
        const std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFile(path, bytes);
        return path;
    }

    TsqzRun Run(const std::vector<std::string>& args, TsqzOptions options = {}) const {
        if (options.temp_dir.empty()) options.temp_dir = Temp();
        return RunTsqz(args, options);
    }

    TempDir dir_;
    ProgramDirScope program_;
};

}  // namespace tsqz::test
