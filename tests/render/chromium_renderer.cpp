// Headless Chromium driven over its DevTools pipe: full-page screenshots of local files.
//
// The browser reads protocol commands from its descriptor 3 and writes answers and events to
// its descriptor 4, each message a JSON text ended by a NUL byte.
#include "render/chromium_renderer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace tsqz::render {
namespace {

constexpr int kCallTimeoutMs = 60000;
constexpr int kLoadTimeoutMs = 60000;

// Chromium's own switches. The browser must not reach anything outside this machine, nor
// fetch updates, sync or field trials while a page is captured, so two runs of one page give
// the same pixels.
constexpr const char* kBrowserSwitches[] = {
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--no-first-run",
    "--disable-quic",
    "--no-default-browser-check",
    "--disable-extensions",
    "--disable-default-apps",
    "--mute-audio",
    "--hide-scrollbars",
    "--force-color-profile=srgb",
    "--host-resolver-rules=MAP * ~NOTFOUND",
    "--proxy-server=127.0.0.1:9",
    // Images and frames load with the page, not when scrolled into view while it is captured.
    "--disable-features=LazyImageLoading,LazyFrameLoading",
    "--remote-debugging-pipe",
};

// After the load event, hides frames and embedded objects whose address leaves this machine
// (their box keeps its place, only the browser's error page inside it goes): that error page
// appears after a delay of its own, so two renderings of one page caught it or not by chance.
// Then waits until every image has loaded or failed (at most two seconds), then for two more
// frames, so images that failed late and fonts are in.
constexpr const char* kSettleScript =
    "document.querySelectorAll('iframe,frame,embed,object').forEach(e => {"
    " const a = e.getAttribute('src') || e.getAttribute('data') || '';"
    " if (/^\\s*([a-z][a-z0-9+.-]*:)?\\/\\//i.test(a) && !/^\\s*file:/i.test(a))"
    " e.style.setProperty('visibility', 'hidden', 'important'); });"
    "new Promise(r => { const t0 = Date.now(); const f = () => {"
    " if ([...document.images].every(i => i.complete) || Date.now() - t0 > 2000)"
    " requestAnimationFrame(() => requestAnimationFrame(() => r(1)));"
    " else setTimeout(f, 20); }; f(); })";

// The text as shown, to tell a person which words changed when the pixels differ.
constexpr const char* kShownTextScript = "document.body ? document.body.innerText : ''";

bool IsExecutable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

// Runs a program with its output discarded; true when it exits with 0.
bool RunQuietly(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whether this user may give a program a network namespace of its own (no interfaces but
// loopback, which is down).
bool PrivateNetworkAvailable() {
    static const bool available = RunQuietly({"unshare", "--map-root-user", "--net", "true"});
    return available;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

std::string FindChromium() {
    if (const char* chosen = std::getenv("TSQZ_CHROMIUM"); chosen && *chosen) {
        return IsExecutable(chosen) ? chosen : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (const char* name : {"chromium", "chromium-browser"}) {
        size_t start = 0;
        while (start <= dirs.size()) {
            const size_t end = std::min(dirs.find(':', start), dirs.size());
            const std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (end > start && IsExecutable(candidate)) return candidate;
            start = end + 1;
        }
    }
    return {};
}

ChromiumRenderer::ChromiumRenderer(const std::string& executable, int viewport_width,
                                   int viewport_height)
    : viewport_width_(viewport_width), viewport_height_(viewport_height) {
    // A browser that dies must turn writes into errors, not end this program.
    ::signal(SIGPIPE, SIG_IGN);
    ready_ = Start(executable);
}

ChromiumRenderer::~ChromiumRenderer() {
    if (pid_ > 0) {
        if (to_browser_ >= 0) {
            const QJsonObject close{{"id", next_id_++}, {"method", "Browser.close"}};
            WriteAll(to_browser_, QJsonDocument(close).toJson(QJsonDocument::Compact) + '\0');
        }
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
            if (!ended) ::usleep(50000);
        }
        if (!ended) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    if (to_browser_ >= 0) ::close(to_browser_);
    if (from_browser_ >= 0) ::close(from_browser_);
}

bool ChromiumRenderer::Fail(std::string why) {
    error_ = std::move(why);
    return false;
}

bool ChromiumRenderer::Start(const std::string& executable) {
    std::vector<std::string> args;
    if (PrivateNetworkAvailable()) args = {"unshare", "--map-root-user", "--net"};
    args.push_back(executable);
    for (const char* s : kBrowserSwitches)
        args.emplace_back(s);
    args.push_back("--user-data-dir=" + profile_.path());
    args.push_back("--window-size=" + std::to_string(viewport_width_) + "," +
                   std::to_string(viewport_height_));
    args.push_back("about:blank");
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int to[2];
    int from[2];
    if (::pipe2(to, O_CLOEXEC) != 0) return Fail("cannot make a pipe");
    if (::pipe2(from, O_CLOEXEC) != 0) {
        ::close(to[0]);
        ::close(to[1]);
        return Fail("cannot make a pipe");
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        // Move both ends above 4 first, so that neither is overwritten by the other's dup2.
        const int commands = ::fcntl(to[0], F_DUPFD, 10);
        const int answers = ::fcntl(from[1], F_DUPFD, 10);
        ::dup2(commands, 3);
        ::dup2(answers, 4);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(to[0]);
    ::close(from[1]);
    to_browser_ = to[1];
    from_browser_ = from[0];
    if (pid_ < 0) return Fail("cannot start a process");

    const auto target = Call("Target.createTarget", {{"url", "about:blank"}}, true);
    if (!target) return false;
    const auto attached = Call("Target.attachToTarget",
                               {{"targetId", target->value("targetId")}, {"flatten", true}}, true);
    if (!attached) return false;
    session_ = attached->value("sessionId").toString();
    if (!Call("Page.enable", {})) return false;
    // CSS animations and transitions stand still, so two renderings of a page that animates
    // (a shimmer over placeholders, a fade-in) catch the same moment of it.
    if (!Call("Animation.enable", {})) return false;
    if (!Call("Animation.setPlaybackRate", {{"playbackRate", 0}})) return false;
    if (!Call("Emulation.setDeviceMetricsOverride", {{"width", viewport_width_},
                                                     {"height", viewport_height_},
                                                     {"deviceScaleFactor", 1},
                                                     {"mobile", false}})) {
        return false;
    }
    return Call("Emulation.setScrollbarsHidden", {{"hidden", true}}).has_value();
}

bool ChromiumRenderer::ReadMessage(QJsonObject& message, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const qsizetype end = pending_.indexOf('\0');
        if (end >= 0) {
            const QByteArray text = pending_.left(end);
            pending_.remove(0, end + 1);
            message = QJsonDocument::fromJson(text).object();
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Fail("the browser did not answer in time");
        pollfd fd{from_browser_, POLLIN, 0};
        const int polled = ::poll(&fd, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) continue;
        char buffer[65536];
        const ssize_t n = ::read(from_browser_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail("the browser closed its pipe");
        pending_.append(buffer, n);
    }
}

std::optional<QJsonObject> ChromiumRenderer::Call(const char* method, const QJsonObject& params,
                                                  bool browser_level) {
    if (from_browser_ < 0) return std::nullopt;
    const int id = next_id_++;
    QJsonObject command{{"id", id}, {"method", method}, {"params", params}};
    if (!browser_level) command.insert("sessionId", session_);
    if (!WriteAll(to_browser_, QJsonDocument(command).toJson(QJsonDocument::Compact) + '\0')) {
        Fail("the browser does not read its pipe");
        return std::nullopt;
    }
    QJsonObject message;
    while (ReadMessage(message, kCallTimeoutMs)) {
        if (message.contains("id")) {
            if (message.value("id").toInt() != id) continue;
            if (message.contains("error")) {
                Fail(std::string(method) + ": " +
                     message.value("error").toObject().value("message").toString().toStdString());
                return std::nullopt;
            }
            return message.value("result").toObject();
        }
        if (message.contains("method")) events_.push_back(message);
    }
    error_ = std::string(method) + ": " + error_;
    return std::nullopt;
}

bool ChromiumRenderer::WaitForEvent(const char* method, int timeout_ms) {
    for (;;) {
        while (!events_.empty()) {
            const QJsonObject event = events_.front();
            events_.pop_front();
            if (event.value("method").toString() == QLatin1String(method)) return true;
        }
        QJsonObject message;
        if (!ReadMessage(message, timeout_ms)) {
            error_ = std::string("waiting for ") + method + ": " + error_;
            return false;
        }
        if (message.contains("method")) events_.push_back(message);
    }
}

std::optional<PageShot> ChromiumRenderer::Capture(const std::string& path, int max_height) {
    if (!ready_) return std::nullopt;
    events_.clear();
    const QString url =
        QUrl::fromLocalFile(QString::fromStdString(std::filesystem::absolute(path).string()))
            .toString(QUrl::FullyEncoded);
    const auto navigated = Call("Page.navigate", {{"url", url}});
    if (!navigated) return std::nullopt;
    if (const QString failure = navigated->value("errorText").toString(); !failure.isEmpty()) {
        Fail("cannot open " + path + ": " + failure.toStdString());
        return std::nullopt;
    }
    if (!WaitForEvent("Page.loadEventFired", kLoadTimeoutMs)) return std::nullopt;
    if (!Call("Runtime.evaluate", {{"expression", kSettleScript}, {"awaitPromise", true}})) {
        return std::nullopt;
    }
    const auto shown = Call("Runtime.evaluate", {{"expression", kShownTextScript}});
    if (!shown) return std::nullopt;
    const auto metrics = Call("Page.getLayoutMetrics", {});
    if (!metrics) return std::nullopt;
    const QJsonObject content = metrics->value("cssContentSize").toObject();

    PageShot shot;
    shot.text = shown->value("result").toObject().value("value").toString().toStdString();
    shot.width =
        std::max(viewport_width_, static_cast<int>(std::ceil(content.value("width").toDouble())));
    shot.height = std::max(1, static_cast<int>(std::ceil(content.value("height").toDouble())));
    shot.full_height = shot.height;
    const int limit = std::clamp(max_height, 1, kMaxHeight);
    if (shot.height > limit) {
        shot.height = limit;
        shot.truncated = true;
    }
    for (int top = 0; top < shot.height; top += viewport_height_) {
        for (int left = 0; left < shot.width; left += viewport_width_) {
            // Near the page's end the scroll stops short; the clip, in page coordinates,
            // still names the right pixels, which are then inside the viewport.
            const QString scroll = QString("window.scrollTo(%1, %2)").arg(left).arg(top);
            if (!Call("Runtime.evaluate", {{"expression", scroll}})) return std::nullopt;
            const QJsonObject clip{{"x", left},
                                   {"y", top},
                                   {"width", std::min(viewport_width_, shot.width - left)},
                                   {"height", std::min(viewport_height_, shot.height - top)},
                                   {"scale", 1}};
            const auto png = Call("Page.captureScreenshot", {{"format", "png"},
                                                             {"clip", clip},
                                                             {"fromSurface", true},
                                                             {"optimizeForSpeed", true}});
            if (!png) return std::nullopt;
            shot.tiles.push_back(
                {left, top, QByteArray::fromBase64(png->value("data").toString().toLatin1())});
        }
    }
    return shot;
}

}  // namespace tsqz::render
