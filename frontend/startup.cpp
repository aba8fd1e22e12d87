// Start-up of TsqzLite: the single-instance guard, the application set-up and the main window.
#include "frontend/startup.h"

#include <QApplication>

#include "engine/include/tagsqueeze.h"
#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/instance_lock.h"
#include "frontend/main_mnu.h"
#include "frontend/option_windows.h"
#include "frontend/screenshot.h"
#include "frontend/shared_texts.h"
#include "toolkit/hint_switch.h"
#include "toolkit/message_box.h"

namespace {

constexpr int kHintShowDelayMs = 100;
constexpr int kHintDisplayMs = 30000;

void pumpEvents() { QCoreApplication::processEvents(); }

// The engine's own report failures arrive here and are shown like the program's errors.
void showEngineMessage(const char* caption, const char* text) {
    TMessageBox::error(QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text));
}

}  // namespace

void configureApplication(QApplication& application) {
    application.setApplicationName(QStringLiteral("TsqzLite"));
    application.setApplicationDisplayName(
        QCoreApplication::translate("SharedText", SharedText::kProgramTitle));
    THintSwitch* hints = THintSwitch::instance();
    hints->setOn(false);
    hints->setTimings(kHintShowDelayMs, kHintDisplayMs);
    SetMessagePump(&pumpEvents);
    SetMessageBoxHandler(&showEngineMessage);
}

int runTsqzLite(int argc, char** argv) {
    // Before anything else, so that a second instance shows nothing and touches nothing. The
    // lock is held until this function returns, that is for the life of the program.
    TInstanceLock instanceLock;
    if (instanceLock.acquire() == TInstanceLock::Result::kHeldElsewhere) return 0;

    QApplication application(argc, argv);
    configureApplication(application);

    TSystemDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    OptionWindows::install(mainWindow);
    mainWindow.show();
    Screenshot::takeIfAsked(mainWindow);

    const int exitCode = application.exec();
    SetMessagePump(nullptr);
    SetMessageBoxHandler(nullptr);
    return exitCode;
}
