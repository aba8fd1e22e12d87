// Option persistence as a host drives it: the settings file and the key store through the
// exported reading and template calls, with their status, result and error-code pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/test_support.h"
#include "tagsqueeze.h"

namespace {

using tsqz::test::PathExists;
using tsqz::test::ReadFile;
using tsqz::test::RegistryDirScope;
using tsqz::test::TempDir;
using tsqz::test::WriteFile;

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Tagsqueeze";

struct ReadOutcome {
    int result;
    int32_t status;
    int32_t code;
    int32_t count;
};

ReadOutcome Read(const char* source) {
    ReadOutcome out{};
    out.status = 77;
    out.result = ReadCompressionParams(source, &out.status);
    GetOptErrors(&out.code, &out.count);
    return out;
}

// The front end's settings file: missing (status 1), rebuilt from the safe template, rewritten
// by the options assistant's tag-option templates with its own sections kept, and the option
// sections deleted.
TEST(PersistE2eTest, SettingsFileThroughItsLife) {
    TempDir dir;
    const std::string path = dir.File("Tagsqueeze.ini");
    ReadOutcome read = Read(path.c_str());
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.status, 1);

    ASSERT_EQ(WriteSwitchTemplate(path.c_str(), 2), 1);
    EXPECT_EQ(ReadFile(path).rfind("[Tag Options]\nSTRONGtoB=0\nEMToI=0\n", 0), 0u);
    read = Read(path.c_str());
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.code, 0);

    const std::string own =
        "[General Options]\r\nUsedOnce=1\r\nExpertMode=0\r\n\r\n"
        "[Recent Files]\r\nMRUFile1=/home/u/page.html\r\n";
    WriteFile(path, own + "[TAG OPTIONS]\r\nstrongtob=0\r\n\r\n[Fine Tuning]\r\nWordWrap=80\r\n");
    ASSERT_EQ(WriteSwitchTemplate(path.c_str(), 19), 1);
    const std::string after = ReadFile(path);
    EXPECT_EQ(after.rfind(own + "[TAG OPTIONS]\r\nstrongtob=1\r\nEMToI=1\r\n", 0), 0u) << after;
    EXPECT_NE(after.find("\r\n\r\n[Fine Tuning]\r\nWordWrap=80\r\n"), std::string::npos);
    EXPECT_EQ(after.find("UseISOTag"), std::string::npos);
    EXPECT_EQ(after.find("ASPBlocks"), std::string::npos);

    ASSERT_EQ(WriteSwitchTemplate(path.c_str(), 0), 1);
    EXPECT_EQ(ReadFile(path), own);
    EXPECT_EQ(WriteSwitchTemplate(path.c_str(), 7), 0);
    EXPECT_EQ(ReadFile(path), own);
}

// A settings file that cannot be written is reported, not passed off as written.
TEST(PersistE2eTest, UnwritableSettingsFileAnswersZero) {
    TempDir dir;
    const std::string path = dir.File("gone/Tagsqueeze.ini");
    EXPECT_EQ(WriteSwitchTemplate(path.c_str(), 2), 0);
    EXPECT_EQ(WriteSwitchTemplate(path.c_str(), 18), 0);
    EXPECT_EQ(WriteSwitchTemplate(dir.path().c_str(), 0), 0);
    EXPECT_FALSE(PathExists(path));
}

// The key store: a template written and read back, roots in the wrong case and file paths
// holding "HKEY_" failing with -19 (cleared again by InitCompressionParams, never counted),
// deletion of the stored options, and a store that cannot be created.
TEST(PersistE2eTest, KeyStoreThroughTheExports) {
    TempDir dir;
    RegistryDirScope registry;
    ASSERT_EQ(WriteSwitchTemplate(kKey, 3), 1);
    ReadOutcome read = Read(kKey);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.code, 0);

    const std::string file_path = dir.File("HKEY_settings.ini");
    WriteFile(file_path, "[Tag Options]\nSTRONGtoB=1\n");
    for (const std::string& source :
         {std::string("HKEY_Current_User\\Software\\Tagsqueeze"), file_path}) {
        SCOPED_TRACE(source);
        read = Read(source.c_str());
        EXPECT_EQ(read.result, 0);
        EXPECT_EQ(read.status, -19);
        EXPECT_EQ(read.code, -19);
        EXPECT_EQ(read.count, 0);
        InitCompressionParams();
        int32_t code = 1;
        int32_t count = 1;
        GetOptErrors(&code, &count);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(count, 0);
    }

    ASSERT_EQ(WriteSwitchTemplate(kKey, 0), 1);
    read = Read(kKey);
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.status, -19);

    WriteFile(dir.File("plain"), "a file, not a folder");
    ::setenv("TAGSQUEEZE_REGISTRY_DIR", dir.File("plain/registry").c_str(), 1);
    InitCompressionParams();
    EXPECT_EQ(WriteSwitchTemplate(kKey, 2), 0);
    int32_t code = 0;
    int32_t count = 0;
    GetOptErrors(&code, &count);
    EXPECT_EQ(code, -19);
}

// Hosts may pass no status variable or no source at all.
TEST(PersistE2eTest, NullArgumentsAreSafe) {
    TempDir dir;
    const std::string path = dir.File("Tagsqueeze.ini");
    ASSERT_EQ(WriteSwitchTemplate(path.c_str(), 1), 1);
    EXPECT_EQ(ReadCompressionParams(path.c_str(), nullptr), 1);
    int32_t status = 0;
    EXPECT_EQ(ReadCompressionParams(nullptr, &status), 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(WriteSwitchTemplate(nullptr, 2), 0);
}

}  // namespace
