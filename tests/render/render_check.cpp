// One page rendered before and after compression and the two screenshots compared.
#include "render/render_check.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/test_support.h"

namespace tsqz::render {

std::string LegacyCorpusDir() {
    const char* chosen = std::getenv("TSQZ_SHARED_DIR");
    const std::string shared = chosen && *chosen ? chosen : tsqz::test::SharedDir();
    if (shared.empty()) return {};
    const std::string folder = shared + "/corpus/legacy";
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder : std::string();
}

std::vector<std::string> CorpusPages(const std::string& folder) {
    std::vector<std::string> pages;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() == ".md") continue;
        pages.push_back(entry.path().filename().string());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

RenderCheck CheckPage(ChromiumRenderer& renderer, const std::string& page_path,
                      const OptionSet& options, const std::string& work,
                      const std::optional<PageShot>& original_shot) {
    RenderCheck check;
    const std::string original = work + "/original.html";
    const std::string compressed = work + "/compressed.html";
    tsqz::test::WriteFile(original, tsqz::test::ReadFile(page_path));
    check.compress = CompressPage(options, original, compressed, work);
    if (check.compress.code != 0) {
        check.error = "the engine returned " + std::to_string(check.compress.code);
        return check;
    }
    check.before = original_shot ? original_shot : renderer.Capture(original);
    if (check.before) check.after = renderer.Capture(compressed);
    if (!check.before || !check.after) {
        check.error = "the browser failed: " + renderer.Error();
        return check;
    }
    check.difference = CompareShots(*check.before, *check.after);
    return check;
}

}  // namespace tsqz::render
