// Start-up of TsqzLite: the single-instance guard, the application set-up and the main window.
#include "frontend/startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>

#include "engine/include/tagsqueeze.h"
#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/instance_channel.h"
#include "frontend/instance_lock.h"
#include "frontend/main_mnu.h"
#include "frontend/option_windows.h"
#include "frontend/screenshot.h"
#include "toolkit/hint_switch.h"
#include "toolkit/mark_style.h"
#include "toolkit/message_box.h"

namespace {

constexpr int kHintShowDelayMs = 100;
constexpr int kHintDisplayMs = 30000;

constexpr const char* kUsage = "usage: TsqzLite [DOCUMENT]\n";

// Qt's own command-line options that take a value (those of the application, the widgets and
// the X11 platform). They are Qt's business, not documents.
constexpr const char* kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",   "qmljsdebugger",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "style",
    "stylesheet", "display", "name", "title", "geometry", "visual", "ncols", "cmap",
};

bool takesValue(QString option) {
    while (option.startsWith(u'-'))
        option.remove(0, 1);
    for (const char* name : kQtOptionsWithValue) {
        if (option == QLatin1String(name)) return true;
    }
    return false;
}

// A document named on the command line, as an absolute path.
QString documentPath(const QString& argument) {
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    return QFileInfo(path).absoluteFilePath();
}

void pumpEvents() { QCoreApplication::processEvents(); }

// The engine's own report failures arrive here and are shown like the program's errors.
void showEngineMessage(const char* caption, const char* text) {
    TMessageBox::error(QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text));
}

}  // namespace

void configureApplication(QApplication& application) {
    application.setApplicationName(QStringLiteral("TsqzLite"));
    // No display name: the window system integration would append it to every window's
    // caption, after a dash. The program's title "Tagsqueeze freeware" reaches the desktop
    // through its desktop entry, to which this name ties the windows.
    application.setDesktopFileName(QStringLiteral("tagsqueeze"));
    // Only closing the main window ends the program (runMainWindow): the help viewer may be
    // the last window shown while an assistant hides the main window.
    application.setQuitOnLastWindowClosed(false);
    // Check marks and radio dots that a dark desktop palette would make hard to see.
    TMarkStyle::install();
    THintSwitch* hints = THintSwitch::instance();
    hints->setOn(false);
    hints->setTimings(kHintShowDelayMs, kHintDisplayMs);
    SetMessagePump(&pumpEvents);
    SetMessageBoxHandler(&showEngineMessage);
}

int runMainWindow(QApplication& application, TMainMnu& mainWindow) {
    QObject::connect(&mainWindow, &TMainMnu::closed, &application, &QCoreApplication::quit);
    return application.exec();
}

StartRequest readStartRequest(const QStringList& arguments) {
    StartRequest request;
    QStringList documents;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && (argument == QLatin1String("-h") ||
                               argument == QLatin1String("--help"))) {
            request.kind = StartRequest::Kind::kHelp;
            return request;
        } else if (options && argument.startsWith(u'-') && argument.size() > 1) {
            if (takesValue(argument)) ++i;
        } else {
            documents.append(argument);
        }
    }
    if (documents.size() > 1) {
        request.kind = StartRequest::Kind::kUsageError;
    } else if (!documents.isEmpty() && !documents.first().isEmpty()) {
        request.document = documentPath(documents.first());
    }
    return request;
}

int runTsqzLite(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    const StartRequest request = readStartRequest(arguments);
    if (request.kind != StartRequest::Kind::kRun) {
        const bool help = request.kind == StartRequest::Kind::kHelp;
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }

    // Before any window, so that a second instance shows nothing and touches no file: it only
    // hands its document to the running instance, which comes to the front. The lock is held
    // until this function returns, that is for the life of the program.
    TInstanceLock instanceLock;
    if (instanceLock.acquire() == TInstanceLock::Result::kHeldElsewhere) {
        QCoreApplication handOver(argc, argv);
        TInstanceChannel::handOver(request.document);
        return 0;
    }

    QApplication application(argc, argv);
    configureApplication(application);
    Screenshot::applyAskedPalette();
    TInstanceChannel channel;
    channel.listen();

    TSystemDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    OptionWindows::install(mainWindow);
    if (!request.document.isEmpty()) mainWindow.openDocument(request.document);
    mainWindow.show();
    QObject::connect(&channel, &TInstanceChannel::documentHandedOver, &mainWindow,
                     &TMainMnu::takeDocumentFromDesktop);
    channel.deliverRequests();
    Screenshot::takeIfAsked(mainWindow);

    const int exitCode = runMainWindow(application, mainWindow);
    SetMessagePump(nullptr);
    SetMessageBoxHandler(nullptr);
    return exitCode;
}
