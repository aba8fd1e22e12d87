// The key store: a per-user, file-backed tree of keys holding named 32-bit values, standing
// in for the original platform's registry.
//
// A key path is a root name, a backslash and a subkey path of backslash-separated names, for
// example "HKEY_CURRENT_USER\Software\Tagsqueeze". The root name must be exactly one of
// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" or "HKEY_USERS"; an empty
// subkey path names the root itself. Subkey names match without regard to ASCII case, as on
// the original platform; a name that is empty, starts with "." or holds a "/" names no key.
//
// On disk each root and key is a folder (store/ROOT/Software/Tagsqueeze) and the values of a
// key are lines "Name=decimal" in its file ".values", replaced atomically on every write.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace tsqz::platform {

// $TAGSQUEEZE_REGISTRY_DIR when set, else $XDG_CONFIG_HOME/tagsqueeze/registry (default
// ~/.config/tagsqueeze/registry); ends in "/".
std::string KeyStoreDirectory();

struct KeyValue {
    std::string_view name;
    uint32_t value;
};

// An open key. Nothing is held open, so there is nothing to close.
class StoreKey {
  public:
    explicit StoreKey(std::string folder) : folder_(std::move(folder)) {}

    // The named value (names matched ignoring ASCII case); nullopt when it is missing or is
    // not a 32-bit number.
    std::optional<uint32_t> ReadValue(std::string_view name) const;

    // Sets the values in one rewrite of the key's value file (an existing value keeps its
    // spelling). False when nothing was written: a name holding "=", a line break or NUL, or a
    // file that cannot be read or written.
    bool WriteValues(std::span<const KeyValue> values) const;
    bool WriteValue(std::string_view name, uint32_t value) const {
        const KeyValue one{name, value};
        return WriteValues({&one, 1});
    }

    const std::string& folder() const { return folder_; }

  private:
    std::string folder_;
};

class KeyStore {
  public:
    // A store kept in the given folder (created on demand).
    explicit KeyStore(std::string directory);
    // The store at KeyStoreDirectory().
    static KeyStore Default() { return KeyStore(KeyStoreDirectory()); }

    // The existing key; nullopt when the path names no key or the key does not exist.
    std::optional<StoreKey> OpenKey(std::string_view path) const;
    // The key, created with every missing key above it; nullopt when the path names no key
    // or the store cannot be written.
    std::optional<StoreKey> CreateKey(std::string_view path) const;
    // Removes the key with its values. Fails, as on the original platform, for a key that
    // does not exist, a root, or a key that still has subkeys.
    bool DeleteKey(std::string_view path) const;

  private:
    std::optional<StoreKey> Resolve(std::string_view path, bool create) const;

    std::string directory_;
};

}  // namespace tsqz::platform
