// Turning PATH arguments into the documents of a job.
#include "cli/inputs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "engine/include/tagsqueeze.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace tsqz::cli {
namespace {

constexpr std::string_view kListExtension = ".lst";
constexpr std::string_view kDocumentExtensions[] = {".htm", ".html", ".asp", ".shtml"};
// Deeper folders than this are taken to be a loop made by the file system, not a site.
constexpr int kMaxFolderDepth = 64;
// Files lists that name files lists: a list nested deeper than this is not read.
constexpr int kMaxListDepth = 16;

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != suffix[i]) return false;
    }
    return true;
}

bool IsDocumentName(std::string_view name) {
    return std::any_of(std::begin(kDocumentExtensions), std::end(kDocumentExtensions),
                       [&](std::string_view ext) { return EndsWithIgnoreCase(name, ext); });
}

std::string_view FolderPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string joined(folder);
    if (joined.back() != '/') joined += '/';
    return joined + std::string(name);
}

// A relative path that stays below the folder it is taken from, or empty.
std::string RelativeBelow(std::string_view path) {
    if (path.empty() || path.front() == '/') return {};
    std::string clean;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") return {};
        if (!part.empty() && part != ".") clean = JoinPath(clean, part);
        start = end + 1;
    }
    return clean;
}

struct FileId {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FileId&) const = default;
};

class Expander {
  public:
    explicit Expander(const std::string& skip_dir) {
        struct stat st {};
        if (!skip_dir.empty() && ::stat(skip_dir.c_str(), &st) == 0) {
            skip_ = FileId{st.st_dev, st.st_ino};
        }
    }

    // path: as given or as resolved from a list; relative: its place below an output folder.
    void Add(const std::string& path, const std::string& relative, int list_depth) {
        struct stat st {};
        const bool exists = ::stat(path.c_str(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode)) {
            AddFolder(path, relative, 0);
        } else if (EndsWithIgnoreCase(path, kListExtension)) {
            AddList(path, relative, list_depth, exists ? FileId{st.st_dev, st.st_ino} : FileId{});
        } else {
            documents_.push_back({path, relative, 0, {}});
        }
    }

    std::vector<Document> Take() { return std::move(documents_); }

  private:
    void AddList(const std::string& path, const std::string& relative, int depth, FileId id) {
        std::string bytes;
        switch (platform::ReadWholeFile(path, bytes)) {
            case platform::ReadResult::kOk:
                break;
            case platform::ReadResult::kMissing:
                documents_.push_back({path, relative, TSQZ_ERR_FILE_NOT_FOUND, {}});
                return;
            case platform::ReadResult::kUnreadable:
                documents_.push_back({path, relative, TSQZ_ERR_UNREADABLE, {}});
                return;
        }
        // A list that names itself, directly or through others, is read once.
        if (depth >= kMaxListDepth || !lists_seen_.insert(id).second) return;
        // The list's own place below the output folder is where its entries' places start.
        const std::string_view folder = FolderPart(path);
        const std::string_view list_relative_folder = FolderPart(relative);
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            std::string_view line(bytes.data() + start, end - start);
            start = end + 1;
            while (!line.empty() &&
                   (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
                line.remove_suffix(1);
            }
            while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
                line.remove_prefix(1);
            }
            if (line.empty() || line.front() == '#' || line.front() == ';') continue;
            const bool absolute = line.front() == '/';
            const std::string entry = absolute ? std::string(line) : JoinPath(folder, line);
            std::string below = RelativeBelow(line);
            below = below.empty() ? std::string(platform::FileNamePart(line))
                                  : JoinPath(list_relative_folder, below);
            Add(entry, below, depth + 1);
        }
    }

    void AddFolder(const std::string& folder, const std::string& relative, int depth) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) return;
        if (skip_ && *skip_ == FileId{st.st_dev, st.st_ino}) return;
        if (depth > kMaxFolderDepth) {
            documents_.push_back({folder, relative, 0,
                                  "this folder lies more than " + std::to_string(kMaxFolderDepth) +
                                      " folders deep and was not searched"});
            return;
        }
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            documents_.push_back({folder, relative, TSQZ_ERR_UNREADABLE, {}});
            return;
        }
        std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = JoinPath(folder, name);
            if (path.size() > platform::kMaxPath) {
                documents_.push_back({path, JoinPath(relative, name), TSQZ_ERR_PATH_TOO_LONG, {}});
                continue;
            }
            struct stat link {};
            if (::lstat(path.c_str(), &link) != 0) {
                // Gone since the folder was listed: nothing to do. Anything else is named.
                if (errno != ENOENT) {
                    documents_.push_back(
                        {path, JoinPath(relative, name),
                         errno == ENAMETOOLONG ? TSQZ_ERR_PATH_TOO_LONG : TSQZ_ERR_UNREADABLE, {}});
                }
                continue;
            }
            if (S_ISDIR(link.st_mode)) {
                entries.emplace_back(name, true);
            } else if (IsDocumentName(name) && platform::FileExists(path)) {
                entries.emplace_back(name, false);  // a file, or a link to one
            }
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end());
        for (const auto& [name, is_folder] : entries) {
            const std::string path = JoinPath(folder, name);
            const std::string below = JoinPath(relative, name);
            if (is_folder) {
                AddFolder(path, below, depth + 1);
            } else {
                documents_.push_back({path, below, 0, {}});
            }
        }
    }

    std::optional<FileId> skip_;
    std::set<FileId> lists_seen_;
    std::vector<Document> documents_;
};

}  // namespace

std::vector<Document> ExpandPaths(const std::vector<std::string>& paths,
                                  const std::string& skip_dir) {
    Expander expander(skip_dir);
    for (const std::string& path : paths) {
        struct stat st {};
        const bool folder = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        // A folder's documents keep their layout below it; anything else goes to the top.
        expander.Add(path, folder ? std::string() : std::string(platform::FileNamePart(path)), 0);
    }
    return expander.Take();
}

}  // namespace tsqz::cli
