// The compress confirmation: what it shows, its enabling rules, changes kept in the record
// only, and how each way of closing sets the main window's cancel flag.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/opt_confirm.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

namespace {

using Setup = WindowSetup;

template <class Control = QAbstractButton>
Control* control(const TOptconfirm& window, const char* name) {
    return window.findChild<Control*>(QLatin1String(name));
}

constexpr const char* kReportsOnBackupOff =
    "[General Options]\nUsedOnce=1\n[Backup Options]\nCreateBackup=0\nOverwritePrompt=1\n"
    "[Report Options]\nOutputReport=1\nWriteDetailedStats=1\nAppendReports=0\n";

}  // namespace

class OptconfirmTest : public QObject {
    Q_OBJECT

  private slots:
    void showsTheRecord();
    void enablingRulesFollowReportsAndOverwriting();
    void changesStayInTheRecordForThisRunOnly();
    void cancelAndEscapeSetTheCancelFlagKeepingChanges();
    void continueEnterAndTheCloseBoxLetTheJobStart();
};

void OptconfirmTest::showsTheRecord() {
    Setup setup(kReportsOnBackupOff);
    bool cancel = false;
    TOptconfirm window(setup.context, cancel, &setup.mainWindow);
    QVERIFY(window.continueButton()->isDefault());

    QVERIFY(control(window, "reportCheckBox")->isChecked());
    QVERIFY(control(window, "detailedCheckBox")->isChecked());
    QVERIFY(!control(window, "appendCheckBox")->isChecked());
    QVERIFY(control(window, "overwriteRadioButton")->isChecked());
    QVERIFY(!control(window, "targetRadioButton")->isChecked());
    QVERIFY(!control(window, "backupCheckBox")->isChecked());
    QVERIFY(control(window, "promptCheckBox")->isChecked());
}

void OptconfirmTest::enablingRulesFollowReportsAndOverwriting() {
    Setup setup(kReportsOnBackupOff);
    bool cancel = false;
    TOptconfirm window(setup.context, cancel, &setup.mainWindow);
    QVERIFY(control(window, "detailedCheckBox")->isEnabled());
    QVERIFY(control(window, "appendCheckBox")->isEnabled());
    QVERIFY(control(window, "backupCheckBox")->isEnabled());

    control(window, "reportCheckBox")->click();
    QVERIFY(!control(window, "detailedCheckBox")->isEnabled());
    QVERIFY(!control(window, "appendCheckBox")->isEnabled());
    control(window, "targetRadioButton")->click();
    QVERIFY(!control(window, "backupCheckBox")->isEnabled());
    QVERIFY(control(window, "promptCheckBox")->isEnabled());
    control(window, "overwriteRadioButton")->click();
    QVERIFY(control(window, "backupCheckBox")->isEnabled());
    control(window, "reportCheckBox")->click();
    QVERIFY(control(window, "detailedCheckBox")->isEnabled());

    // The same rules at creation, from a record with reports off and the output directory.
    Setup other("[General Options]\nUsedOnce=1\n[Backup Options]\nCompressSource=0\n");
    TOptconfirm second(other.context, cancel, &other.mainWindow);
    QVERIFY(!control(second, "detailedCheckBox")->isEnabled());
    QVERIFY(!control(second, "appendCheckBox")->isEnabled());
    QVERIFY(control(second, "targetRadioButton")->isChecked());
    QVERIFY(!control(second, "backupCheckBox")->isEnabled());
}

void OptconfirmTest::changesStayInTheRecordForThisRunOnly() {
    Setup setup(kReportsOnBackupOff);
    const QByteArray before = setup.bytes();
    bool cancel = false;
    TOptconfirm window(setup.context, cancel, &setup.mainWindow);
    const TAppSettings& record = setup.context.settings;

    control(window, "detailedCheckBox")->click();
    QVERIFY(record.briefReport);
    control(window, "appendCheckBox")->click();
    QVERIFY(record.appendReports);
    control(window, "backupCheckBox")->click();
    QVERIFY(record.createBackup);
    control(window, "promptCheckBox")->click();
    QVERIFY(!record.overwritePrompt);
    control(window, "reportCheckBox")->click();
    QVERIFY(!record.outputReport);
    control(window, "targetRadioButton")->click();
    QVERIFY(!record.compressSource);
    window.continueButton()->click();

    QCOMPARE(setup.bytes(), before);
    // The next start reads the file again: sources are overwritten again.
    TAppContext nextStart(setup.desktop);
    nextStart.load(setup.dir.path());
    QVERIFY(nextStart.settings.compressSource);
    QVERIFY(nextStart.settings.outputReport);
    QVERIFY(!nextStart.settings.briefReport);
}

void OptconfirmTest::cancelAndEscapeSetTheCancelFlagKeepingChanges() {
    for (const bool byEscape : {false, true}) {
        Setup setup(kReportsOnBackupOff);
        bool cancel = false;
        TOptconfirm window(setup.context, cancel, &setup.mainWindow);
        window.show();
        control(window, "targetRadioButton")->click();
        control(window, "reportCheckBox")->click();
        if (byEscape) {
            QVERIFY(activate(&window));
            QTest::keyClick(&window, Qt::Key_Escape);
        } else {
            window.cancelButton()->click();
        }
        QVERIFY(!window.isVisible());
        QVERIFY(cancel);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!setup.context.settings.compressSource);
        QVERIFY(!setup.context.settings.outputReport);
    }
}

void OptconfirmTest::continueEnterAndTheCloseBoxLetTheJobStart() {
    for (int way = 0; way < 3; ++way) {
        Setup setup(kReportsOnBackupOff);
        bool cancel = false;
        TOptconfirm window(setup.context, cancel, &setup.mainWindow);
        window.show();
        QVERIFY(activate(&window));
        switch (way) {
            case 0:
                window.continueButton()->click();
                break;
            case 1:
                QTest::keyClick(&window, Qt::Key_Return);
                break;
            default:
                window.close();  // as the title-bar close box does
                break;
        }
        QVERIFY2(!window.isVisible(), qPrintable(QString::number(way)));
        QVERIFY(!cancel);
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
}

QTEST_MAIN(OptconfirmTest)
#include "opt_confirm_test.moc"
