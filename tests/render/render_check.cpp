// One page rendered before and after compression and the two screenshots compared.
#include "render/render_check.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "support/test_support.h"

namespace tsqz::render {

namespace {

std::string SharedFolder(const std::string& below) {
    const std::string shared = tsqz::test::SharedDir();
    if (shared.empty()) return {};
    const std::string folder = shared + "/" + below;
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder : std::string();
}

}  // namespace

std::string LegacyCorpusDir() { return SharedFolder("corpus/legacy"); }
std::string ModernCorpusDir() { return SharedFolder("corpus"); }

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

namespace {

// Pages whose undeclared bytes are not Latin-1 text, so that an ISO-8859-1 declaration changes
// the glyphs a browser picks for them.
struct CharsetException {
    std::string_view page;
    std::string_view why;
};

constexpr CharsetException kCharsetExceptions[] = {
    {"lg06-lg_issue6.html",
     "bytes D0 CF 11 E0 A1 at offset 10873 are the start of a Word file's header pasted into "
     "the text; undeclared, the browser guesses windows-1256 for them"},
};

std::string_view CharsetExceptionFor(const std::string& page_path) {
    const std::string name = std::filesystem::path(page_path).filename().string();
    for (const CharsetException& row : kCharsetExceptions) {
        if (row.page == name) return row.why;
    }
    return {};
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The META tag of a charset declaration in the page, or nothing.
std::string CharsetDeclaration(const std::string& page) {
    const std::string lower = Lower(page);
    const size_t charset = lower.find("charset=");
    if (charset == std::string::npos) return {};
    const size_t open = lower.rfind("<meta", charset);
    const size_t close = lower.find('>', charset);
    if (open == std::string::npos || close == std::string::npos) return {};
    return page.substr(open, close + 1 - open);
}

// The page with a declaration added where the engine adds it: after the first "<head" tag,
// else after the "<html" tag, else at the start.
std::string WithDeclaration(const std::string& page, const std::string& declaration) {
    const std::string lower = Lower(page);
    size_t tag = lower.find("<head");
    if (tag == std::string::npos) tag = lower.find("<html");
    const size_t close = tag == std::string::npos ? std::string::npos : lower.find('>', tag);
    const size_t at = close == std::string::npos ? 0 : close + 1;
    return page.substr(0, at) + declaration + page.substr(at);
}

// Server code shown as "<%%>": only where it stands is seen.
std::string WithoutServerCode(const std::string& page) {
    std::string out;
    size_t from = 0;
    for (size_t open = page.find("<%"); open != std::string::npos; open = page.find("<%", from)) {
        const size_t close = page.find("%>", open + 2);
        if (close == std::string::npos) break;
        out.append(page, from, open - from).append("<%%>");
        from = close + 2;
    }
    return out.append(page, from);
}

// The page with its script elements taken out, "<script" through the next "</script>", in any
// case; the text around them stays as it was.
std::string WithoutScripts(const std::string& page) {
    const std::string lower = Lower(page);
    std::string out;
    size_t from = 0;
    for (size_t open = lower.find("<script"); open != std::string::npos;
         open = lower.find("<script", from)) {
        const size_t close = lower.find("</script", open);
        const size_t end = close == std::string::npos ? std::string::npos : lower.find('>', close);
        if (end == std::string::npos) break;
        out.append(page, from, open - from);
        from = end + 1;
    }
    return out.append(page, from);
}

}  // namespace

RenderCheck CheckPage(ChromiumRenderer& renderer, const std::string& page_path,
                      const OptionSet& options, const std::string& work, OriginalShots* shots,
                      int max_height) {
    RenderCheck check;
    const std::string original = work + "/original.html";
    const std::string compressed = work + "/compressed.html";
    const std::string page = tsqz::test::ReadFile(page_path);
    tsqz::test::WriteFile(original, page);
    check.compress = CompressPage(options, original, compressed, work,
                                  std::filesystem::path(page_path).filename().string());
    if (!options.outputs.empty() && check.compress.code != 0) {
        check.error = "no output of this page in " + options.outputs;
        return check;
    }
    if (check.compress.code < 0 && !std::filesystem::exists(compressed) &&
        tsqz::test::ReadFile(original) == page) {
        check.refused = check.compress.code;
        return check;
    }
    if (check.compress.code != 0) {
        check.error = "the engine returned " + std::to_string(check.compress.code);
        return check;
    }

    std::string shown_original = WithoutServerCode(page);
    const std::string declaration = CharsetDeclaration(tsqz::test::ReadFile(compressed));
    const std::string_view exception = CharsetExceptionFor(page_path);
    const bool declared =
        !exception.empty() && !declaration.empty() && CharsetDeclaration(page).empty();
    if (declared) {
        check.charset_exception = exception;
        shown_original = WithDeclaration(shown_original, declaration);
    }
    const std::string before = work + "/shown-original.html";
    const std::string after = work + "/shown-compressed.html";
    tsqz::test::WriteFile(before, shown_original);
    tsqz::test::WriteFile(after, WithoutServerCode(tsqz::test::ReadFile(compressed)));

    OriginalShots own;
    std::optional<PageShot>& cached =
        declared ? (shots ? shots : &own)->declared : (shots ? shots : &own)->plain;
    if (!cached) cached = renderer.Capture(before, max_height);
    check.before = cached;
    if (check.before) check.after = renderer.Capture(after, max_height);
    if (!check.before || !check.after) {
        check.error = "the browser failed: " + renderer.Error();
        return check;
    }
    check.difference = CompareShots(*check.before, *check.after, nullptr, options.same_text);
    if (check.difference.Identical()) return check;
    // A change the compression made shows every time the two pages are rendered. Some pages are
    // not painted alike every time, with or without their scripts (a placeholder's edge comes
    // out one way or another, in turns that last a while), so a difference is looked at afresh
    // up to kRounds times: the pages pass when a round paints them alike; a page whose own
    // renderings differ is compared with its scripts taken out below, where it holds still.
    constexpr int kRounds = 3;
    bool unsteady = false;
    for (int round = 0; round < kRounds && !unsteady; ++round) {
        const std::optional<PageShot> again = renderer.Capture(before, max_height);
        const std::optional<PageShot> after_again = renderer.Capture(after, max_height);
        if (!again || !after_again) return check;
        const ShotDifference fresh = CompareShots(*again, *after_again, nullptr, options.same_text);
        if (fresh.Identical()) {
            check.before = again;
            check.after = after_again;
            check.difference = fresh;
            return check;
        }
        unsteady =
            !CompareShots(*check.before, *again, nullptr, options.same_text).Identical() ||
            !CompareShots(*check.after, *after_again, nullptr, options.same_text).Identical();
    }
    if (!unsteady) return check;
    check.scripts_off = true;
    const std::string still_before = work + "/still-original.html";
    const std::string still_after = work + "/still-compressed.html";
    tsqz::test::WriteFile(still_before, WithoutScripts(tsqz::test::ReadFile(before)));
    tsqz::test::WriteFile(still_after, WithoutScripts(tsqz::test::ReadFile(after)));
    // Even without scripts a few pages are not painted alike every time (the antialiased edge
    // of a rounded corner comes out one way or another, in turns that last a while), so a
    // difference there is looked at afresh up to kStillRounds times; a change the compression
    // made shows every time.
    constexpr int kStillRounds = 3;
    for (int round = 0; round < kStillRounds; ++round) {
        check.before = renderer.Capture(still_before, max_height);
        check.after = check.before ? renderer.Capture(still_after, max_height) : std::nullopt;
        const std::optional<PageShot> still =
            check.after ? renderer.Capture(still_before, max_height) : std::nullopt;
        const std::optional<PageShot> still_again =
            still ? renderer.Capture(still_after, max_height) : std::nullopt;
        if (!check.before || !check.after || !still || !still_again) {
            check.error = "the browser failed: " + renderer.Error();
            return check;
        }
        check.difference =
            CompareShots(*check.before, *check.after, &*still, options.same_text, &*still_again);
        if (check.difference.Identical()) break;
    }
    return check;
}

}  // namespace tsqz::render
