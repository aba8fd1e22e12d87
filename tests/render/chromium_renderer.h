// Headless Chromium driven over its DevTools pipe: full-page screenshots of local files.
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QJsonObject>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tsqz::render {

// One viewport-sized piece of a page's screenshot (smaller at the right and bottom edges).
struct ShotTile {
    int left = 0;  // page coordinates of its top left pixel
    int top = 0;
    QByteArray png;
};

// A full-page screenshot, kept as PNG tiles row by row from the top left.
struct PageShot {
    int width = 0;
    int height = 0;
    int full_height = 0;     // the page's height, also when only its top is kept
    bool truncated = false;  // the page is taller than the height asked for; only its top is kept
    std::vector<ShotTile> tiles;
    std::string text;  // the text the page shows (its body's innerText), UTF-8
};

// The browser to use: $TSQZ_CHROMIUM when set, else "chromium" or "chromium-browser" on the
// PATH; empty when there is none.
std::string FindChromium();

// One browser process with a fresh profile folder, no network (its own network namespace
// when the system allows one, and in any case no name resolution and a dead proxy) and a
// fixed viewport. Pages are captured one after another in the same tab.
class ChromiumRenderer {
  public:
    static constexpr int kMaxHeight = 200000;

    ChromiumRenderer(const std::string& executable, int viewport_width, int viewport_height);
    ~ChromiumRenderer();
    ChromiumRenderer(const ChromiumRenderer&) = delete;
    ChromiumRenderer& operator=(const ChromiumRenderer&) = delete;

    // Whether the browser runs and answers; Error() says why not.
    bool Ready() const { return ready_; }
    const std::string& Error() const { return error_; }

    // Loads the file, waits until it has loaded and painted, and captures the whole page (at
    // least the viewport's width) tile by tile, scrolling the viewport over it: capturing
    // beyond the viewport would lay out and paint the whole page again for every tile.
    // Pages taller than `max_height` are captured only down to it. Nothing on failure, with
    // Error() set.
    std::optional<PageShot> Capture(const std::string& path, int max_height = kMaxHeight);

  private:
    bool Start(const std::string& executable);
    // Sends one command (to the page's session unless `browser_level`) and waits for its
    // answer; nothing on a protocol error, a timeout or a dead browser.
    std::optional<QJsonObject> Call(const char* method, const QJsonObject& params,
                                    bool browser_level = false);
    // Reads one message; false on timeout or a closed pipe.
    bool ReadMessage(QJsonObject& message, int timeout_ms);
    bool WaitForEvent(const char* method, int timeout_ms);
    bool Fail(std::string why);

    tsqz::test::TempDir profile_;
    int viewport_width_;
    int viewport_height_;
    pid_t pid_ = -1;
    int to_browser_ = -1;
    int from_browser_ = -1;
    int next_id_ = 1;
    QByteArray pending_;              // bytes read after the last complete message
    std::deque<QJsonObject> events_;  // events that arrived while waiting for an answer
    QString session_;
    bool ready_ = false;
    std::string error_;
};

}  // namespace tsqz::render
