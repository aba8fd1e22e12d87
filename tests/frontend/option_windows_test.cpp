// The option windows wired into the main window: options chosen in the assistant reach the
// engine at the next job, the assistants open over the hidden main window, and "&Compress"
// asks the confirmation first, whose choices hold for this run and are checked by the job.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

#include "frontend/app_settings.h"
#include "frontend/filegauge.h"
#include "frontend/main_mnu.h"
#include "frontend/opt_confirm.h"
#include "frontend/option_windows.h"
#include "frontend/settings_file.h"
#include "frontend/user_options.h"
#include "frontend/wiz_tag_opts.h"
#include "frontend_test_support.h"
#include "toolkit/check_list.h"

using namespace FrontendTest;

namespace {

const QByteArray kPage = "<HTML><BODY><STRONG>bold</STRONG> text</BODY></HTML>";

// A program directory with its settings, and the main window over it with the option windows
// wired in. Jobs run for real in a progress window that is not shown, so nothing waits for
// its "&OK"; they are counted.
struct Program {
    explicit Program(const QByteArray& settings) : context(desktop) {
        dir.writeSettings("[General Options]\nUsedOnce=1\n" + settings);
        window = std::make_unique<TMainMnu>(context);
        OptionWindows::install(*window);
        window->windows().progress = [this](TMainMnu& mainWindow) {
            ++jobs;
            TFilegauge gauge(mainWindow.appContext(), &mainWindow);
            gauge.runJob();
        };
        window->show();
    }
    QString makePage(const QString& name) const {
        const QString path = dir.file(name);
        ScratchProgramDir::writeFile(path, kPage);
        return path;
    }
    QPushButton* button(const char* name) const {
        return window->findChild<QPushButton*>(QLatin1String(name));
    }
    TSettingsFile file() const { return TSettingsFile(dir.settingsPath()); }

    ScratchProgramDir dir;
    FakeDesktop desktop;
    MessageRecorder messages;
    TAppContext context;
    std::unique_ptr<TMainMnu> window;
    int jobs = 0;
};

// Presses the button and, when a modal window of type T opens, hands it to act, which must
// close it. Returns how many such windows opened.
template <class T>
int whenModal(QPushButton* button, const std::function<void(T*)>& act) {
    int opened = 0;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible()) return;
        // act runs the event loop; the watcher must not fire again inside it.
        watcher.stop();
        ++opened;
        act(window);
    });
    watcher.start();
    button->click();
    watcher.stop();
    return opened;
}

void pressContinue(TOptconfirm* confirmation) { confirmation->continueButton()->click(); }

}  // namespace

class OptionWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void optionsChosenInTheAssistantReachTheNextJob();
    void userOptionsOpenOverTheHiddenMainWindow();
    void compressAsksTheConfirmationUnlessExpert();
    void confirmationChoicesHoldForTheRunAndAreChecked();
};

void OptionWindowsTest::optionsChosenInTheAssistantReachTheNextJob() {
    Program program("[Tag Options]\nSTRONGtoB=0\n[Backup Options]\nOverwritePrompt=0\n");
    const QString before = program.makePage(QStringLiteral("before.htm"));
    const QString after = program.makePage(QStringLiteral("after.htm"));

    program.window->chooseFile(before);
    QCOMPARE(whenModal<TOptconfirm>(program.button("compressPushButton"), pressContinue), 1);
    QCOMPARE(program.jobs, 1);
    QCOMPARE(ScratchProgramDir::readFile(before), kPage);

    // Tick "<STRONG> to <B>" as the user does, then close the assistant with Escape.
    bool mainWindowHidden = false;
    const int opened = whenModal<TWizTagOpts>(
        program.button("compressionOptionsPushButton"), [&](TWizTagOpts* assistant) {
            mainWindowHidden = !program.window->isVisible();
            QListWidgetItem* row = assistant->findChild<TCheckList*>("tagCheckList")->item(0);
            QCOMPARE(row->text(), QStringLiteral("<STRONG> to <B>"));
            row->setCheckState(Qt::Checked);
            if (activate(assistant)) QTest::keyClick(assistant, Qt::Key_Escape);
            if (assistant->isVisible()) assistant->reject();
        });
    QCOMPARE(opened, 1);
    QVERIFY(mainWindowHidden);
    QVERIFY(program.window->isVisible());

    program.window->chooseFile(after);
    QCOMPARE(whenModal<TOptconfirm>(program.button("compressPushButton"), pressContinue), 1);
    QCOMPARE(program.jobs, 2);
    QCOMPARE(ScratchProgramDir::readFile(after),
             QByteArray("<HTML><BODY><B>bold</B> text</BODY></HTML>"));
    QVERIFY(program.messages.boxes.isEmpty());
}

void OptionWindowsTest::userOptionsOpenOverTheHiddenMainWindow() {
    Program program("");
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    auto* note = program.window->findChild<QLabel*>("noteLabel");
    QVERIFY(note->isVisible());

    bool mainWindowHidden = false;
    Qt::WindowModality modality = Qt::NonModal;
    const int opened = whenModal<TUserOptions>(
        program.button("userOptionsPushButton"), [&](TUserOptions* assistant) {
            mainWindowHidden = !program.window->isVisible();
            modality = assistant->windowModality();
            assistant->findChild<QCheckBox*>("expertCheckBox")->click();
            assistant->button(QWizard::NextButton)->click();
            assistant->button(QWizard::NextButton)->click();
            assistant->button(QWizard::FinishButton)->click();
        });
    QCOMPARE(opened, 1);
    QVERIFY(mainWindowHidden);
    QCOMPARE(modality, Qt::WindowModal);
    QVERIFY(program.window->isVisible());
    // Closing the assistant while the main window was hidden did not end the program.
    QCOMPARE(lastWindowClosed.count(), 0);
    QVERIFY(program.context.settings.expertMode);
    QCOMPARE(program.file().readInt("General Options", "ExpertMode", -7), 1);
    // The main window follows expert mode: its note line is hidden.
    QVERIFY(!note->isVisible());
}

void OptionWindowsTest::compressAsksTheConfirmationUnlessExpert() {
    Program program("[Backup Options]\nOverwritePrompt=0\n");
    program.window->chooseFile(program.makePage(QStringLiteral("page.htm")));
    QPushButton* compress = program.button("compressPushButton");

    // "C&ancel" stops the job; the changes made before it stay in the record.
    const int cancelled = whenModal<TOptconfirm>(compress, [](TOptconfirm* confirmation) {
        confirmation->findChild<QCheckBox*>("promptCheckBox")->click();
        confirmation->cancelButton()->click();
    });
    QCOMPARE(cancelled, 1);
    QCOMPARE(program.jobs, 0);
    QVERIFY(program.context.settings.overwritePrompt);

    // The title-bar close box lets the job start, as "&Continue" does.
    QCOMPARE(whenModal<TOptconfirm>(compress, [](TOptconfirm* c) { c->close(); }), 1);
    QCOMPARE(program.jobs, 1);
    QCOMPARE(whenModal<TOptconfirm>(compress, pressContinue), 1);
    QCOMPARE(program.jobs, 2);

    // Analysis and expert mode never ask.
    QCOMPARE(whenModal<TOptconfirm>(program.button("analyzePushButton"), pressContinue), 0);
    QCOMPARE(program.jobs, 3);
    program.context.settings.expertMode = true;
    QCOMPARE(whenModal<TOptconfirm>(compress, pressContinue), 0);
    QCOMPARE(program.jobs, 4);
}

void OptionWindowsTest::confirmationChoicesHoldForTheRunAndAreChecked() {
    Program program("[Backup Options]\nCompressSource=1\n");
    program.window->chooseFile(program.makePage(QStringLiteral("page.htm")));
    QVERIFY(program.context.outputDirectory.isEmpty());
    const QByteArray before = ScratchProgramDir::readFile(program.dir.settingsPath());

    // Switched to the output directory for this job while none is set: the checks that follow
    // the confirmation stop the job.
    const int opened =
        whenModal<TOptconfirm>(program.button("compressPushButton"), [](TOptconfirm* confirmation) {
            confirmation->findChild<QRadioButton*>("targetRadioButton")->click();
            confirmation->continueButton()->click();
        });
    QCOMPARE(opened, 1);
    QCOMPARE(program.jobs, 0);
    QCOMPARE(program.messages.boxes.size(), 1);
    QCOMPARE(program.messages.boxes[0].kind, TMessageBox::Kind::Error);
    QCOMPARE(program.messages.boxes[0].caption, QStringLiteral("Invalid option combination"));

    // The file is untouched, so the next start overwrites sources again, while this run keeps
    // the choice: the confirmation shows it next time.
    QCOMPARE(ScratchProgramDir::readFile(program.dir.settingsPath()), before);
    QVERIFY(!program.context.settings.compressSource);
    bool shownTarget = false;
    whenModal<TOptconfirm>(program.button("compressPushButton"), [&](TOptconfirm* confirmation) {
        shownTarget = confirmation->findChild<QRadioButton*>("targetRadioButton")->isChecked();
        confirmation->cancelButton()->click();
    });
    QVERIFY(shownTarget);
    TAppContext nextStart(program.desktop);
    nextStart.load(program.dir.path());
    QVERIFY(nextStart.settings.compressSource);
}

QTEST_MAIN(OptionWindowsTest)
#include "option_windows_test.moc"
