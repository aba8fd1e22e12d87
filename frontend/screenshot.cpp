// Pictures of the program's windows for its documentation, taken when the environment asks
// for one.
#include "frontend/screenshot.h"

#include <QApplication>
#include <QPalette>
#include <QTimer>

#include "frontend/app_settings.h"
#include "frontend/filegauge.h"
#include "frontend/first_time.h"
#include "frontend/help_viewer.h"
#include "frontend/main_mnu.h"
#include "frontend/opt_confirm.h"
#include "frontend/user_options.h"
#include "frontend/wiz_tag_opts.h"

namespace Screenshot {
namespace {

// Opens an assistant (not modally) and steps on to its page number `page`; the options in the
// settings file decide which pages the steps pass.
template <class Assistant, int page>
QWidget* openAssistantPage(TMainMnu& mainWindow) {
    auto* assistant = new Assistant(mainWindow.appContext(), &mainWindow);
    assistant->setAttribute(Qt::WA_DeleteOnClose);
    assistant->show();
    for (int step = 0; step < page; ++step)
        assistant->next();
    return assistant;
}

struct ShotWindow {
    const char* name;
    // Opens the window (not modally) and returns it.
    QWidget* (*open)(TMainMnu& mainWindow);
};

constexpr ShotWindow kShotWindows[] = {
    {"main", [](TMainMnu& mainWindow) -> QWidget* { return &mainWindow; }},
    {"first-time",
     [](TMainMnu& mainWindow) -> QWidget* {
         auto* window = new TFirstTime(mainWindow.appContext(), &mainWindow);
         window->setAttribute(Qt::WA_DeleteOnClose);
         window->show();
         return window;
     }},
    {"tag-options", &openAssistantPage<TWizTagOpts, 0>},
    {"entity-options", &openAssistantPage<TWizTagOpts, 1>},
    {"font-options", &openAssistantPage<TWizTagOpts, 2>},
    {"fine-tuning", &openAssistantPage<TWizTagOpts, 3>},
    {"script-options", &openAssistantPage<TWizTagOpts, 4>},
    {"interface-options", &openAssistantPage<TUserOptions, 0>},
    {"backup-options", &openAssistantPage<TUserOptions, 1>},
    {"report-options", &openAssistantPage<TUserOptions, 2>},
    {"confirm",
     [](TMainMnu& mainWindow) -> QWidget* {
         static bool cancelFlag = false;
         auto* window = new TOptconfirm(mainWindow.appContext(), cancelFlag, &mainWindow);
         window->setAttribute(Qt::WA_DeleteOnClose);
         window->show();
         return window;
     }},
    {"help",
     [](TMainMnu&) -> QWidget* {
         THelp::open(HelpContext::kMainWindow);
         return THelp::viewer();
     }},
    // The progress window once an analysis of the current document has finished.
    {"progress",
     [](TMainMnu& mainWindow) -> QWidget* {
         TAppContext& context = mainWindow.appContext();
         context.settings.analysis = true;
         auto* window = new TFilegauge(context, &mainWindow);
         window->setAttribute(Qt::WA_DeleteOnClose);
         window->show();
         window->runJob();
         return window;
     }},
};

// Long enough for the window system to map and draw the window.
constexpr int kSettleMs = 800;

struct PaletteColor {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    QRgb color;
};

// A dark desktop theme's colours: dark grey windows and fields, light text, a blue highlight.
constexpr PaletteColor kDarkPalette[] = {
    {QPalette::All, QPalette::Window, 0x31363b},
    {QPalette::All, QPalette::WindowText, 0xeff0f1},
    {QPalette::All, QPalette::Base, 0x232629},
    {QPalette::All, QPalette::AlternateBase, 0x2a2e32},
    {QPalette::All, QPalette::Text, 0xeff0f1},
    {QPalette::All, QPalette::Button, 0x3b4045},
    {QPalette::All, QPalette::ButtonText, 0xeff0f1},
    {QPalette::All, QPalette::BrightText, 0xffffff},
    {QPalette::All, QPalette::Highlight, 0x3daee9},
    {QPalette::All, QPalette::HighlightedText, 0xffffff},
    {QPalette::All, QPalette::ToolTipBase, 0x31363b},
    {QPalette::All, QPalette::ToolTipText, 0xeff0f1},
    {QPalette::All, QPalette::PlaceholderText, 0x8a8e92},
    {QPalette::All, QPalette::Link, 0x2980b9},
    {QPalette::All, QPalette::Light, 0x474d54},
    {QPalette::All, QPalette::Midlight, 0x3f454b},
    {QPalette::All, QPalette::Mid, 0x2b2f33},
    {QPalette::All, QPalette::Dark, 0x1c1f22},
    {QPalette::All, QPalette::Shadow, 0x141618},
    {QPalette::Disabled, QPalette::WindowText, 0x6e7175},
    {QPalette::Disabled, QPalette::Text, 0x65686a},
    {QPalette::Disabled, QPalette::ButtonText, 0x727679},
};

}  // namespace

QStringList windowNames() {
    QStringList names;
    for (const ShotWindow& window : kShotWindows)
        names.append(QLatin1String(window.name));
    return names;
}

void applyAskedPalette() {
    if (qEnvironmentVariable("TSQZ_SCREENSHOT_PALETTE") != QLatin1String("dark")) return;
    QPalette palette = QApplication::palette();
    for (const PaletteColor& entry : kDarkPalette)
        palette.setColor(entry.group, entry.role, QColor(entry.color));
    QApplication::setPalette(palette);
}

void takeIfAsked(TMainMnu& mainWindow) {
    const QString name = qEnvironmentVariable("TSQZ_SCREENSHOT_WINDOW");
    const QString file = qEnvironmentVariable("TSQZ_SCREENSHOT_FILE");
    if (name.isEmpty() || file.isEmpty()) return;
    QWidget* window = nullptr;
    for (const ShotWindow& shot : kShotWindows) {
        if (name == QLatin1String(shot.name)) window = shot.open(mainWindow);
    }
    if (!window) {
        QTimer::singleShot(0, [] { QCoreApplication::exit(2); });
        return;
    }
    QTimer::singleShot(kSettleMs, window, [window, file] {
        const bool saved = window->grab().save(file, "PNG");
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

}  // namespace Screenshot
