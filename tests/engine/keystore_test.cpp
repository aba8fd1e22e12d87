// The key store: key paths, case rules, 32-bit values, deletion and an unwritable store.
#include "platform/keystore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace tsqz::platform {
namespace {

using test::PathExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Only the four root names, spelled exactly, followed by a backslash name a key; subkey names
// that would leave the key's folder or be empty name none.
TEST(KeyStoreTest, AcceptsOnlyWellFormedKeyPaths) {
    TempDir dir;
    KeyStore store(dir.path());
    for (const char* path : {"HKEY_CLASSES_ROOT\\A", "HKEY_CURRENT_USER\\A\\B",
                             "HKEY_LOCAL_MACHINE\\Software", "HKEY_USERS\\x y", "HKEY_USERS\\"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(store.CreateKey(path));
        EXPECT_TRUE(store.OpenKey(path));
    }
    EXPECT_TRUE(PathExists(dir.File("HKEY_CURRENT_USER/A/B")));
    for (const char* path :
         {"HKEY_Current_User\\A", "hkey_current_user\\A", "HKEY_CURRENT_USER", "HKEY_OTHER\\A",
          "/home/u/HKEY_files/Tagsqueeze.ini", "HKEY_CURRENT_USER\\..\\HKEY_USERS",
          "HKEY_CURRENT_USER\\.", "HKEY_CURRENT_USER\\.values", "HKEY_CURRENT_USER\\a/b",
          "HKEY_CURRENT_USER\\\\A", "HKEY_CURRENT_USER\\A\\", "", "\\A"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(store.CreateKey(path));
        EXPECT_FALSE(store.OpenKey(path));
    }
    EXPECT_FALSE(PathExists(dir.File("HKEY_Current_User")));
}

// Subkey names match whatever their letter case; an existing key is opened, not duplicated.
TEST(KeyStoreTest, MatchesSubkeysIgnoringCase) {
    TempDir dir;
    KeyStore store(dir.path());
    const auto created = store.CreateKey("HKEY_CURRENT_USER\\Software\\Tagsqueeze");
    ASSERT_TRUE(created);
    ASSERT_TRUE(created->WriteValue("StripQuotes", 1));
    const auto opened = store.OpenKey("HKEY_CURRENT_USER\\SOFTWARE\\tagsqueeze");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->folder(), created->folder());
    EXPECT_EQ(opened->ReadValue("stripquotes"), 1u);
    const auto again = store.CreateKey("HKEY_CURRENT_USER\\software\\TAGSQUEEZE");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->folder(), created->folder());
    EXPECT_FALSE(store.OpenKey("HKEY_CURRENT_USER\\Software\\Other"));
    EXPECT_FALSE(store.OpenKey("HKEY_USERS\\Software\\Tagsqueeze"));
}

// Values hold any 32-bit number; names match ignoring case and keep their first spelling; a
// value that is missing or not a 32-bit number reads as nothing; lines of other values stay.
TEST(KeyStoreTest, StoresThirtyTwoBitValues) {
    TempDir dir;
    KeyStore store(dir.path());
    const auto key = store.CreateKey("HKEY_CURRENT_USER\\T");
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->ReadValue("WordWrap"));
    const KeyValue values[] = {{"WordWrap", 0}, {"Big", 4294967295u}, {"MSNSOnly", 7}};
    ASSERT_TRUE(key->WriteValues(values));
    ASSERT_TRUE(key->WriteValue("msnsonly", 1));
    EXPECT_EQ(key->ReadValue("WORDWRAP"), 0u);
    EXPECT_EQ(key->ReadValue("Big"), 4294967295u);
    EXPECT_EQ(key->ReadValue("MSNSOnly"), 1u);
    EXPECT_EQ(ReadFile(key->folder() + "/.values"), "WordWrap=0\nBig=4294967295\nMSNSOnly=1\n");

    EXPECT_FALSE(key->WriteValue("a=b", 1));
    EXPECT_FALSE(key->WriteValue("a\nb", 1));

    WriteFile(key->folder() + "/.values", "Text=abc\nHuge=4294967296\nNeg=-1\nodd line\nOk=5\n");
    for (const char* name : {"Text", "Huge", "Neg", "odd line", "Missing"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(key->ReadValue(name));
    }
    EXPECT_EQ(key->ReadValue("Ok"), 5u);
    ASSERT_TRUE(key->WriteValue("Ok", 6));
    EXPECT_EQ(ReadFile(key->folder() + "/.values"),
              "Text=abc\nHuge=4294967296\nNeg=-1\nodd line\nOk=6\n");
}

// A key is deleted with its values; a missing key, a root and a key with subkeys are not.
TEST(KeyStoreTest, DeletesLeafKeysOnly) {
    TempDir dir;
    KeyStore store(dir.path());
    ASSERT_TRUE(store.CreateKey("HKEY_CURRENT_USER\\A\\B"));
    ASSERT_TRUE(store.CreateKey("HKEY_CURRENT_USER\\A")->WriteValue("v", 1));
    EXPECT_FALSE(store.DeleteKey("HKEY_CURRENT_USER\\A"));
    EXPECT_EQ(store.OpenKey("HKEY_CURRENT_USER\\A")->ReadValue("v"), 1u);
    EXPECT_FALSE(store.DeleteKey("HKEY_CURRENT_USER\\"));
    EXPECT_FALSE(store.DeleteKey("HKEY_CURRENT_USER\\Missing"));
    ASSERT_TRUE(store.CreateKey("HKEY_CURRENT_USER\\A\\B")->WriteValue("w", 2));
    EXPECT_TRUE(store.DeleteKey("HKEY_CURRENT_USER\\a\\b"));
    EXPECT_FALSE(store.OpenKey("HKEY_CURRENT_USER\\A\\B"));
    EXPECT_TRUE(store.DeleteKey("HKEY_CURRENT_USER\\A"));
    EXPECT_FALSE(store.OpenKey("HKEY_CURRENT_USER\\A"));
    EXPECT_TRUE(store.OpenKey("HKEY_CURRENT_USER\\"));
}

// A store that cannot be created gives no key; a value file that cannot be replaced fails.
TEST(KeyStoreTest, FailsInAnUnwritableStore) {
    TempDir dir;
    WriteFile(dir.File("blocked"), "a file where the store would be");
    KeyStore blocked(dir.File("blocked/registry"));
    EXPECT_FALSE(blocked.CreateKey("HKEY_CURRENT_USER\\T"));
    EXPECT_FALSE(blocked.OpenKey("HKEY_CURRENT_USER\\T"));
    EXPECT_FALSE(blocked.DeleteKey("HKEY_CURRENT_USER\\T"));

    // A folder where the value file belongs makes every write fail and every read miss.
    KeyStore other(dir.File("other"));
    const auto odd = other.CreateKey("HKEY_USERS\\T");
    ASSERT_TRUE(odd);
    ASSERT_EQ(::mkdir((odd->folder() + "/.values").c_str(), 0700), 0);
    EXPECT_FALSE(odd->WriteValue("v", 1));
    EXPECT_FALSE(odd->ReadValue("v"));
}

// Without an override the store lives in the per-user configuration folder.
TEST(KeyStoreTest, FindsItsDirectoryFromTheEnvironment) {
    const char* saved = std::getenv("TAGSQUEEZE_REGISTRY_DIR");
    const std::string previous = saved ? saved : "";
    ::setenv("TAGSQUEEZE_REGISTRY_DIR", "/tmp/some/store", 1);
    EXPECT_EQ(KeyStoreDirectory(), "/tmp/some/store/");
    ::unsetenv("TAGSQUEEZE_REGISTRY_DIR");
    const std::string config = KeyStoreDirectory();
    EXPECT_TRUE(config.ends_with("/tagsqueeze/registry/")) << config;
    if (saved) ::setenv("TAGSQUEEZE_REGISTRY_DIR", previous.c_str(), 1);
}

}  // namespace
}  // namespace tsqz::platform
