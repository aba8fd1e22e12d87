// The key store: key folders found without regard to case, value files rewritten atomically.
#include "keystore.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace tsqz::platform {
namespace {

constexpr std::array<std::string_view, 4> kRootNames = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                        "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
constexpr std::string_view kValueFile = ".values";

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Names starting with "." are refused so that no key can be "." or "..", or collide with the
// value file.
bool ValidKeyName(std::string_view name) {
    return !name.empty() && name.front() != '.' &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// Splits "ROOT\a\b" into the root and its subkey names; false when it names no key.
bool SplitKeyPath(std::string_view path, std::string_view& root,
                  std::vector<std::string_view>& names) {
    const size_t slash = path.find('\\');
    if (slash == std::string_view::npos) return false;
    root = path.substr(0, slash);
    if (std::find(kRootNames.begin(), kRootNames.end(), root) == kRootNames.end()) return false;
    std::string_view rest = path.substr(slash + 1);
    names.clear();
    while (!rest.empty()) {
        const size_t next = rest.find('\\');
        const std::string_view name = rest.substr(0, next);
        if (!ValidKeyName(name)) return false;
        names.push_back(name);
        if (next == std::string_view::npos) break;
        rest = rest.substr(next + 1);
        if (rest.empty()) return false;  // a trailing backslash leaves an empty name
    }
    return true;
}

// The folder entry of parent that is a folder named name, the exact spelling first and then
// any spelling that differs only in ASCII case; empty when there is none.
std::string FindSubfolder(const std::string& parent, std::string_view name) {
    const std::string exact = parent + "/" + std::string(name);
    if (IsDirectory(exact)) return exact;
    DIR* dir = ::opendir(parent.c_str());
    if (!dir) return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string candidate = parent + "/" + entry->d_name;
        if (EqualsIgnoreCase(entry->d_name, name) && IsDirectory(candidate)) {
            found = candidate;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsDirectory(path));
}

// Creates the store folder and every folder above it.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (!MakeFolder(path.substr(0, slash))) return false;
    }
    return MakeFolder(path);
}

struct ValueLine {
    std::string text;
    std::string_view name() const { return std::string_view(text).substr(0, text.find('=')); }
};

std::vector<ValueLine> SplitValueLines(const std::string& bytes) {
    std::vector<ValueLine> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back({bytes.substr(pos, end - pos)});
        pos = end + 1;
    }
    return lines;
}

std::optional<uint32_t> ParseValue(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

std::string KeyStoreDirectory() {
    if (const char* forced = std::getenv("TAGSQUEEZE_REGISTRY_DIR"); forced && *forced) {
        std::string dir = forced;
        if (dir.back() != '/') dir += '/';
        return dir;
    }
    return UserConfigDirectory() + "registry/";
}

std::optional<uint32_t> StoreKey::ReadValue(std::string_view name) const {
    std::string bytes;
    if (ReadWholeFile(folder_ + "/" + std::string(kValueFile), bytes) != ReadResult::kOk) {
        return std::nullopt;
    }
    for (const ValueLine& line : SplitValueLines(bytes)) {
        if (line.text.find('=') == std::string::npos) continue;
        if (EqualsIgnoreCase(line.name(), name)) {
            return ParseValue(std::string_view(line.text).substr(line.name().size() + 1));
        }
    }
    return std::nullopt;
}

bool StoreKey::WriteValues(std::span<const KeyValue> values) const {
    for (const KeyValue& value : values) {
        if (value.name.find_first_of(std::string_view("=\r\n\0", 4)) != std::string_view::npos) {
            return false;
        }
    }
    const std::string file = folder_ + "/" + std::string(kValueFile);
    std::string bytes;
    if (ReadWholeFile(file, bytes) == ReadResult::kUnreadable) return false;
    std::vector<ValueLine> lines = SplitValueLines(bytes);
    for (const KeyValue& value : values) {
        auto same = [&](const ValueLine& line) {
            return line.text.find('=') != std::string::npos &&
                   EqualsIgnoreCase(line.name(), value.name);
        };
        auto it = std::find_if(lines.begin(), lines.end(), same);
        const std::string number = std::to_string(value.value);
        if (it == lines.end()) {
            lines.push_back({std::string(value.name) + "=" + number});
        } else {
            it->text = std::string(it->name()) + "=" + number;
        }
    }
    std::string out;
    for (const ValueLine& line : lines)
        out += line.text + "\n";
    return WriteFileAtomically(file, out);
}

KeyStore::KeyStore(std::string directory) : directory_(std::move(directory)) {
    while (directory_.size() > 1 && directory_.back() == '/')
        directory_.pop_back();
}

std::optional<StoreKey> KeyStore::Resolve(std::string_view path, bool create) const {
    std::string_view root;
    std::vector<std::string_view> names;
    if (directory_.empty() || !SplitKeyPath(path, root, names)) return std::nullopt;
    if (create && !MakeFolders(directory_)) return std::nullopt;
    std::string folder = directory_ + "/" + std::string(root);
    if (!IsDirectory(folder) && !(create && MakeFolder(folder))) return std::nullopt;
    for (std::string_view name : names) {
        std::string next = FindSubfolder(folder, name);
        if (next.empty()) {
            if (!create) return std::nullopt;
            next = folder + "/" + std::string(name);
            if (!MakeFolder(next)) return std::nullopt;
        }
        folder = std::move(next);
    }
    return StoreKey(std::move(folder));
}

std::optional<StoreKey> KeyStore::OpenKey(std::string_view path) const {
    return Resolve(path, false);
}

std::optional<StoreKey> KeyStore::CreateKey(std::string_view path) const {
    return Resolve(path, true);
}

bool KeyStore::DeleteKey(std::string_view path) const {
    std::string_view root;
    std::vector<std::string_view> names;
    if (!SplitKeyPath(path, root, names) || names.empty()) return false;
    const std::optional<StoreKey> key = OpenKey(path);
    if (!key) return false;
    // Every file in the folder belongs to the key (its values, or a temporary file that a
    // crash left behind); a subfolder is a subkey, which keeps the key alive.
    DIR* dir = ::opendir(key->folder().c_str());
    if (!dir) return false;
    std::vector<std::string> files;
    bool has_subkey = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string child = key->folder() + "/" + std::string(name);
        if (IsDirectory(child)) {
            has_subkey = true;
        } else {
            files.push_back(child);
        }
    }
    ::closedir(dir);
    if (has_subkey) return false;
    for (const std::string& file : files) {
        if (::unlink(file.c_str()) != 0) return false;
    }
    return ::rmdir(key->folder().c_str()) == 0;
}

}  // namespace tsqz::platform
