// The compression job in its progress window, run on real files in scratch folders: backups
// and their overwrite question, the output folder, analysis copies, the backup failure, the
// results shown, the error box, reports, and the window's own behaviour.
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/filegauge.h"
#include "frontend/help_viewer.h"
#include "frontend_test_support.h"
#include "toolkit/gradient_caption.h"
#include "toolkit/path_label.h"

using namespace FrontendTest;

namespace {

// With STRONGtoB on, this page loses 10 bytes: two "STRONG" names become "B".
const QByteArray kPage = "<HTML><BODY><STRONG>bold</STRONG> text</BODY></HTML>";
const QByteArray kCompressedPage = "<HTML><BODY><B>bold</B> text</BODY></HTML>";
const QByteArray kOptions = "[Tag Options]\nSTRONGtoB=1\n";

// Points the system's temporary directory at a fresh folder for the scope.
class ScratchTempDir {
  public:
    ScratchTempDir() : previous(qgetenv("TMPDIR")) { qputenv("TMPDIR", dir.path().toLocal8Bit()); }
    ~ScratchTempDir() { qputenv("TMPDIR", previous); }
    QString path() const { return dir.path(); }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

  private:
    QTemporaryDir dir;
    QByteArray previous;
};

// A program directory whose settings file holds the given sections, a web folder with one
// document in it, and a context loaded from them.
struct Job {
    explicit Job(const QByteArray& settings) : context(desktop) {
        dir.writeSettings(kOptions + settings);
        QDir().mkpath(webFolder());
        document = webFolder() + QStringLiteral("/page one.htm");
        ScratchProgramDir::writeFile(document, kPage);
        context.load(dir.path());
        context.currentDocument = document;
    }
    QString webFolder() const { return dir.path() + QStringLiteral("web"); }
    QString backup() const { return document + QStringLiteral(".tsbak"); }

    // Runs one job in a fresh progress window and keeps what it showed.
    TFilegauge::State run(bool analysis = false) {
        context.settings.analysis = analysis;
        TFilegauge gauge(context, nullptr);
        gauge.runJob();
        heading = gauge.findChild<TGradientCaption*>("headingCaption")->text();
        byteSavings = gauge.findChild<QLabel*>("byteSavingsLabel")->text();
        percentage = gauge.findChild<QLabel*>("percentageLabel")->text();
        errors = gauge.findChild<QLabel*>("errorsLabel")->text();
        processingTime = gauge.findChild<QLabel*>("processingTimeLabel")->text();
        return gauge.state();
    }

    ScratchProgramDir dir;
    FakeDesktop desktop;
    TAppContext context;
    MessageRecorder messages;
    QString document;
    QString heading, byteSavings, percentage, errors, processingTime;
};

QByteArray read(const QString& path) { return ScratchProgramDir::readFile(path); }

const QString kOverwriteQuestion = QStringLiteral(
    "Tagsqueeze has detected an existing backup of this document. Are you sure you wish to "
    "overwrite the backup with a new backup? Press Yes only if you are sure that the existing "
    "backup is NOT your only uncompressed copy of this document.");

}  // namespace

class FilegaugeTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { THelp::closeViewer(); }
    void compressionWithBackupKeepsTheOriginalInTheBackup();
    void secondCompressionAsksBeforeReplacingTheBackup();
    void withoutOverwritePromptTheBackupIsReplacedSilently();
    void failedBackupStopsTheJobBeforeTheDocumentChanges();
    void backupsOffCompressesTheDocumentInPlace();
    void outputDirectoryGetsTheResultAndNoBackupIsMade();
    void analysisLeavesNoFileAndNeverTouchesTheSource();
    void analysisSparesAFileOfTheSameNameInTheTemporaryDirectory();
    void engineFailureIsReportedAndTheJobStillFinishes();
    void writeErrorNamesTheOutputFileAndIsNoSuccess();
    void percentageCoversEveryDocumentSinceStart();
    void reportsAreWrittenOnlyWhenSwitchedOn();
    void appendedReportsCollectInTheNamedReportFile();
    void enterOnTheBackupQuestionKeepsTheBackup();
    void processingTimeGroupsDigitsInThrees();
    void compressionErrorTextsJoinTheirPieces();
    void windowCannotCloseUntilTheJobHasFinished();
    void previewAndF1();
};

// Backups on, source overwritten: the backup holds the original, the document is compressed.
void FilegaugeTest::compressionWithBackupKeepsTheOriginalInTheBackup() {
    Job job("");
    QCOMPARE(job.run(), TFilegauge::State::kFinished);
    QCOMPARE(read(job.backup()), kPage);
    QCOMPARE(read(job.document), kCompressedPage);
    QVERIFY(job.messages.boxes.isEmpty());
    QCOMPARE(job.heading, QStringLiteral("HTML compression complete"));
    QCOMPARE(job.byteSavings, QStringLiteral("10"));
    QCOMPARE(job.errors, QStringLiteral("0"));
    QVERIFY(job.processingTime.endsWith(QStringLiteral("ms")));
}

// An existing backup: the question comes first; No ends the job with nothing changed and no
// engine call, Yes replaces the backup with the current (once compressed) document.
void FilegaugeTest::secondCompressionAsksBeforeReplacingTheBackup() {
    Job job("");
    QCOMPARE(job.run(), TFilegauge::State::kFinished);

    job.messages.answers = {false};
    QCOMPARE(job.run(), TFilegauge::State::kFinished);
    QCOMPARE(job.messages.boxes.size(), 2);
    QCOMPARE(job.messages.boxes[0].kind, TMessageBox::Kind::Question);
    QCOMPARE(job.messages.boxes[0].caption,
             QStringLiteral("Confirming overwrite of existing backup"));
    QCOMPARE(job.messages.boxes[0].text, kOverwriteQuestion);
    QCOMPARE(job.messages.boxes[1].kind, TMessageBox::Kind::Error);
    QCOMPARE(job.messages.boxes[1].caption, QStringLiteral("Aborting compression"));
    QCOMPARE(job.messages.boxes[1].text,
             QStringLiteral("Backup will be preserved...compression halted."));
    QCOMPARE(read(job.backup()), kPage);
    QCOMPARE(read(job.document), kCompressedPage);
    // The early end shows no results: the engine was not called.
    QCOMPARE(job.heading, QStringLiteral("Optimization progress:"));

    job.messages.boxes.clear();
    job.messages.answers = {true};
    job.run();
    QCOMPARE(job.messages.boxes.size(), 1);
    QCOMPARE(read(job.backup()), kCompressedPage);
}

// OverwritePrompt off: a document compressed twice keeps only its once-compressed state.
void FilegaugeTest::withoutOverwritePromptTheBackupIsReplacedSilently() {
    Job job("[Backup Options]\nOverwritePrompt=0\n");
    job.run();
    ScratchProgramDir::writeFile(job.document, kPage + "<!-- second edit -->");
    job.run();
    QVERIFY(job.messages.boxes.isEmpty());
    QCOMPARE(read(job.backup()), kPage + "<!-- second edit -->");
}

// A backup that cannot be written stops the job with a box naming the backup; the document
// and whatever was at the backup path stay as they were.
void FilegaugeTest::failedBackupStopsTheJobBeforeTheDocumentChanges() {
    Job job("[Backup Options]\nOverwritePrompt=0\n");
    // A folder where the backup file should go cannot be replaced by a file, even by root.
    QVERIFY(QDir().mkpath(job.backup()));
    job.run();
    QCOMPARE(job.messages.boxes.size(), 1);
    QCOMPARE(job.messages.boxes[0].kind, TMessageBox::Kind::Error);
    QCOMPARE(job.messages.boxes[0].caption, QStringLiteral("Aborting compression"));
    QCOMPARE(job.messages.boxes[0].text,
             QStringLiteral("Tagsqueeze was unable to create the backup copy ") + job.backup() +
                 QStringLiteral(". Compression halted: the document has not been changed."));
    QCOMPARE(read(job.document), kPage);
    QVERIFY(QFileInfo(job.backup()).isDir());
    QCOMPARE(job.heading, QStringLiteral("Optimization progress:"));
}

// Backups off, source overwritten: no copy is made and the document is compressed.
void FilegaugeTest::backupsOffCompressesTheDocumentInPlace() {
    Job job("[Backup Options]\nCreateBackup=0\n");
    job.run();
    QCOMPARE(read(job.document), kCompressedPage);
    QVERIFY(!QFileInfo::exists(job.backup()));
    QVERIFY(job.messages.boxes.isEmpty());
}

// The output folder receives the result under the document's name, replacing a file there
// without a question; the document itself and its backup path stay untouched.
void FilegaugeTest::outputDirectoryGetsTheResultAndNoBackupIsMade() {
    Job job("[Backup Options]\nCompressSource=0\nCreateBackup=1\nOverwritePrompt=1\n");
    const QString outputFolder = job.dir.path() + QStringLiteral("out");
    QVERIFY(QDir().mkpath(outputFolder));
    const QString output = outputFolder + QStringLiteral("/page one.htm");
    ScratchProgramDir::writeFile(output, "an older result");
    job.context.outputDirectory = outputFolder;

    job.run();
    QVERIFY(job.messages.boxes.isEmpty());
    QCOMPARE(read(output), kCompressedPage);
    QCOMPARE(read(job.document), kPage);
    QVERIFY(!QFileInfo::exists(job.backup()));
    QCOMPARE(job.heading, QStringLiteral("HTML compression complete"));
}

// Analysis compresses a copy and removes it: no file is left anywhere, the source is never
// touched, and the savings are shown.
void FilegaugeTest::analysisLeavesNoFileAndNeverTouchesTheSource() {
    Job job("");
    ScratchTempDir temp;
    const QDateTime modified = QFileInfo(job.document).lastModified();
    QTest::qWait(20);

    job.run(true);
    QVERIFY(job.messages.boxes.isEmpty());
    QCOMPARE(job.heading, QStringLiteral(" HTML compression analysis complete"));
    QCOMPARE(job.byteSavings, QStringLiteral("10"));
    QCOMPARE(read(job.document), kPage);
    QCOMPARE(QFileInfo(job.document).lastModified(), modified);
    QVERIFY(!QFileInfo::exists(job.backup()));
    QCOMPARE(QDir(job.webFolder()).entryList(QDir::Files), QStringList({"page one.htm"}));
    QCOMPARE(temp.entries(), QStringList());
}

// A file in the temporary directory that happens to share the document's name is neither
// replaced nor deleted by an analysis.
void FilegaugeTest::analysisSparesAFileOfTheSameNameInTheTemporaryDirectory() {
    Job job("");
    ScratchTempDir temp;
    const QString namesake = temp.path() + QStringLiteral("/page one.htm");
    ScratchProgramDir::writeFile(namesake, "someone else's file");

    job.run(true);
    QCOMPARE(job.byteSavings, QStringLiteral("10"));
    QCOMPARE(read(namesake), QByteArray("someone else's file"));
    QCOMPARE(temp.entries(), QStringList({"page one.htm"}));
}

// A failure code shows its box, captioned with the code; the job still ends with its results,
// and an analysis still removes its copy.
void FilegaugeTest::engineFailureIsReportedAndTheJobStillFinishes() {
    Job job("");
    ScratchTempDir temp;
    ScratchProgramDir::writeFile(job.document, "no markup at all");
    QCOMPARE(job.run(true), TFilegauge::State::kFinished);
    QCOMPARE(job.messages.boxes.size(), 1);
    QCOMPARE(job.messages.boxes[0].kind, TMessageBox::Kind::Error);
    QCOMPARE(job.messages.boxes[0].caption, QStringLiteral("Compression error -1"));
    QCOMPARE(job.messages.boxes[0].text,
             job.document + QStringLiteral(" failed basic HTML validation checks. Compression of "
                                           "this file is likely to result in a damaged output "
                                           "file."));
    // The run failed: it is not called complete, and the error shows although the engine does
    // not count this one.
    QCOMPARE(job.heading, QStringLiteral(" HTML compression analysis failed"));
    QCOMPARE(job.errors, QStringLiteral("1"));
    QCOMPARE(job.byteSavings, QStringLiteral("0"));
    QCOMPARE(temp.entries(), QStringList());
    QCOMPARE(read(job.document), QByteArray("no markup at all"));
}

// A write error (-9) names the file that could not be written: the output folder's file, or
// the document itself when it is set to read-only. The job does not show itself complete,
// with savings and no error.
void FilegaugeTest::writeErrorNamesTheOutputFileAndIsNoSuccess() {
    Job job("[Backup Options]\nCompressSource=0\n");
    const QString outputFolder = job.dir.path() + QStringLiteral("out");
    QVERIFY(QDir().mkpath(outputFolder));
    const QString output = outputFolder + QStringLiteral("/page one.htm");
    ScratchProgramDir::writeFile(output, "a read-only result");
    QVERIFY(QFile::setPermissions(output, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    job.context.outputDirectory = outputFolder;
    job.run();
    QCOMPARE(job.messages.boxes.size(), 1);
    QCOMPARE(job.messages.boxes[0].caption, QStringLiteral("Compression error -9"));
    QCOMPARE(job.messages.boxes[0].text,
             QStringLiteral("Unable to write ") + output +
                 QStringLiteral(" to disk. Disk may be full or compressor may be trying to "
                                "overwrite an existing copy of this file which is set to "
                                "read-only."));
    QCOMPARE(read(output), QByteArray("a read-only result"));
    QCOMPARE(job.heading, QStringLiteral("HTML compression failed"));
    QCOMPARE(job.errors, QStringLiteral("1"));
    QCOMPARE(job.byteSavings, QStringLiteral("0"));

    Job inPlace("[Backup Options]\nCreateBackup=0\n");
    QVERIFY(QFile::setPermissions(inPlace.document, QFileDevice::ReadOwner));
    inPlace.run();
    QCOMPARE(inPlace.messages.boxes.size(), 1);
    QVERIFY(inPlace.messages.boxes[0].text.startsWith(QStringLiteral("Unable to write ") +
                                                      inPlace.document));
    QCOMPARE(read(inPlace.document), kPage);
    QCOMPARE(inPlace.heading, QStringLiteral("HTML compression failed"));
}

// "Byte savings:" is the document's, "Percentage savings:" the job's since the program
// started: a second document that saves nothing still shows the first one's share.
void FilegaugeTest::percentageCoversEveryDocumentSinceStart() {
    Job job("");
    ScratchTempDir temp;
    job.run(true);
    const QString firstPercentage = job.percentage;
    QVERIFY(firstPercentage.endsWith(u'%'));
    QVERIFY(firstPercentage != QStringLiteral("0"));

    const QByteArray plain = "<HTML><BODY><B>bold</B> text</BODY></HTML>";
    ScratchProgramDir::writeFile(job.document, plain);
    job.run(true);
    QCOMPARE(job.byteSavings, QStringLiteral("0"));
    QVERIFY(job.percentage.endsWith(u'%'));
    const double both = job.percentage.chopped(1).toDouble();
    QVERIFY(both > 0.0);
    QVERIFY(both < firstPercentage.chopped(1).toDouble());
}

// With reports on, the report is written to the chosen report file and "&Report" is enabled;
// with reports off, no report appears and the button is disabled.
void FilegaugeTest::reportsAreWrittenOnlyWhenSwitchedOn() {
    {
        Job job("");
        TFilegauge gauge(job.context, nullptr);
        QVERIFY(!gauge.findChild<QPushButton*>("reportPushButton")->isEnabled());
        gauge.runJob();
        QVERIFY(!QFileInfo::exists(job.dir.file("optrpt.txt")));
    }
    {
        Job job("[Report Options]\nOutputReport=2\n");
        const QString report = job.dir.path() + QStringLiteral("reports/kites.txt");
        QDir().mkpath(job.dir.path() + QStringLiteral("reports"));
        job.context.settingsFile().writeText("Report Options", "LastReport", report);
        TFilegauge gauge(job.context, nullptr);
        auto* reportButton = gauge.findChild<QPushButton*>("reportPushButton");
        QVERIFY(reportButton->isEnabled());
        gauge.runJob();
        QVERIFY(job.messages.boxes.isEmpty());
        const QByteArray text = read(report);
        QVERIFY(!text.isEmpty());
        QVERIFY(text.contains("page one.htm"));

        reportButton->click();
        QCOMPARE(job.desktop.starts.size(), 1);
        QCOMPARE(job.desktop.starts[0].arguments.last(), report);
    }
}

// "Append all reports to a single file": each job's report is added to the end of the report
// file named on the reporting page, which "&Report" opens. The appended text is the report the
// job writes without Append, nothing else; no work file is left behind.
void FilegaugeTest::appendedReportsCollectInTheNamedReportFile() {
    // Brief reports: the shares of a detailed one grow with every job since the start.
    Job job("[Report Options]\nOutputReport=1\n");
    QDir().mkpath(job.dir.path() + QStringLiteral("reports"));
    const QString report = job.dir.path() + QStringLiteral("reports/all jobs.txt");
    job.context.settingsFile().writeText("Report Options", "LastReport", report);

    // Without Append: the report file holds this job's report alone. An analysis leaves the
    // document as it is, so every later report of it reads the same.
    job.run(true);
    const QByteArray one = read(report);
    QVERIFY(one.startsWith("Compression statistics for: \r\n" + job.document.toUtf8()));
    job.run(true);
    QCOMPARE(read(report), one);

    job.context.settings.appendReports = true;
    job.run(true);
    job.run(true);
    QCOMPARE(read(report), one + one + one);
    QVERIFY(job.messages.boxes.isEmpty());
    QVERIFY(!QFileInfo::exists(job.dir.file("~fileinf.tmp")));
    QVERIFY(!QFileInfo::exists(job.dir.file("optrpt.txt")));

    // A compression appends as well, and "&Report" opens the report file.
    job.context.settings.overwritePrompt = false;
    TFilegauge gauge(job.context, nullptr);
    gauge.runJob();
    const QByteArray all = read(report);
    QVERIFY(all.startsWith(one + one + one + "Compression statistics for: "));
    QCOMPARE(all.count("Compression statistics for: "), 4);
    gauge.findChild<QPushButton*>("reportPushButton")->click();
    QCOMPARE(job.desktop.starts.size(), 1);
    QCOMPARE(job.desktop.starts[0].arguments.last(), report);

    // A report file that cannot be read (here a folder) is left alone, and the job says so.
    const QString folder = job.dir.path() + QStringLiteral("reports/folder.txt");
    QDir().mkpath(folder);
    job.context.settingsFile().writeText("Report Options", "LastReport", folder);
    job.run(true);
    QCOMPARE(job.messages.boxes.size(), 1);
    QCOMPARE(job.messages.boxes[0].caption, QStringLiteral("Compression error -15"));
    QCOMPARE(job.messages.boxes[0].text,
             QStringLiteral("I/O errors were reported by the system when attempting to add "
                            "report data to the current report ") +
                 folder + QStringLiteral(". Report file may be locked or may have been erased."));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(read(report), all);
}

// Enter in the backup question presses "No": the backup may be the only original left. The
// real boxes are shown here and get Enter as a user would press it.
void FilegaugeTest::enterOnTheBackupQuestionKeepsTheBackup() {
    Job job("");
    QCOMPARE(job.run(), TFilegauge::State::kFinished);
    const TMessageBox::Interceptor recorder = TMessageBox::setInterceptor({});
    QStringList captions;
    QTimer pressEnter;
    connect(&pressEnter, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        captions.append(box->windowTitle());
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Return);
    });
    pressEnter.start(50);
    job.run();
    pressEnter.stop();
    TMessageBox::setInterceptor(recorder);

    QCOMPARE(captions, QStringList({"Confirming overwrite of existing backup",
                                    "Aborting compression"}));
    QCOMPARE(read(job.backup()), kPage);
    QCOMPARE(read(job.document), kCompressedPage);
}

void FilegaugeTest::processingTimeGroupsDigitsInThrees() {
    QCOMPARE(TFilegauge::formatProcessingTime(0), QStringLiteral("0ms"));
    QCOMPARE(TFilegauge::formatProcessingTime(999), QStringLiteral("999ms"));
    QCOMPARE(TFilegauge::formatProcessingTime(1000), QStringLiteral("1,000ms"));
    QCOMPARE(TFilegauge::formatProcessingTime(100000), QStringLiteral("100,000ms"));
    QCOMPARE(TFilegauge::formatProcessingTime(1234567), QStringLiteral("1,234,567ms"));
}

// Bodies whose pieces surround the document, and codes without a fixed text.
void FilegaugeTest::compressionErrorTextsJoinTheirPieces() {
    const QString document = QStringLiteral("/web/a b.htm");
    QCOMPARE(TFilegauge::compressionErrorCaption(-12), QStringLiteral("Compression error -12"));
    QCOMPARE(TFilegauge::compressionErrorText(-12, document),
             QStringLiteral("The document selected for processing (/web/a b.htm) contains "
                            "invalid ASP brace pairs. All ASP blocks must be delimited by proper "
                            "\"<%\" and \"%>\" brace pairs in order for the compressor to "
                            "properly process the file."));
    QCOMPARE(TFilegauge::compressionErrorText(2, document),
             QStringLiteral(" File name to be processed points to non-existent file."));
    QCOMPARE(TFilegauge::compressionErrorText(-14, document),
             QStringLiteral("I/O errors were reported by the system when attempting to create "
                            "the report /web/a b.htm. The file may be in use by another "
                            "application, or the output location may not be writable at this "
                            "time."));
    // Every code the engine can return has a body that says something about it.
    for (int code = -24; code <= 2; ++code) {
        if (code == 0 || code == 1) continue;
        QVERIFY2(!TFilegauge::compressionErrorText(code, document).isEmpty(),
                 qPrintable(QString::number(code)));
    }
    QCOMPARE(TFilegauge::compressionErrorText(-7, document),
             QStringLiteral("Compression of /web/a b.htm failed with error code -7."));
}

// While the job runs the window has no close box, keeps its buttons hidden and ignores
// Escape; once finished, the buttons show and "&OK" closes it.
void FilegaugeTest::windowCannotCloseUntilTheJobHasFinished() {
    Job job("[General Options]\nShowPreviewDlg=0\n");
    TFilegauge gauge(job.context, nullptr);
    QCOMPARE(gauge.windowTitle(), QStringLiteral("Tagsqueeze freeware "));
    QVERIFY(!(gauge.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(gauge.findChild<TPathLabel*>("sourcePathLabel")->path(), job.document);
    auto* ok = gauge.findChild<QPushButton*>("okPushButton");
    auto* preview = gauge.findChild<QPushButton*>("previewPushButton");
    QCOMPARE(ok->text(), QStringLiteral("&OK"));
    QCOMPARE(preview->text(), QStringLiteral("&Preview"));
    QVERIFY(!preview->isEnabled());

    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    const int runningHeight = gauge.height();
    QVERIFY(!ok->isVisible());
    QVERIFY(!ok->isEnabled());
    QTest::keyClick(&gauge, Qt::Key_Escape);
    gauge.close();
    QVERIFY(gauge.isVisible());

    // The start timer runs the job.
    QTRY_COMPARE(gauge.state(), TFilegauge::State::kFinished);
    QVERIFY(ok->isVisible());
    QVERIFY(ok->isEnabled());
    QVERIFY(gauge.height() > runningHeight);
    QCOMPARE(gauge.minimumSize(), gauge.maximumSize());
    ok->click();
    QVERIFY(!gauge.isVisible());
    QCOMPARE(gauge.result(), int(QDialog::Accepted));
}

// "&Preview" shows the current document; F1 opens 45000, or 100000 on "&Preview".
void FilegaugeTest::previewAndF1() {
    Job job("");
    TFilegauge gauge(job.context, nullptr);
    gauge.runJob();
    gauge.show();
    QVERIFY(activate(&gauge));

    auto* preview = gauge.findChild<QPushButton*>("previewPushButton");
    preview->click();
    QCOMPARE(job.desktop.associationOpens, QStringList({job.document}));

    gauge.findChild<QPushButton*>("okPushButton")->setFocus();
    QTest::keyClick(&gauge, Qt::Key_F1);
    QVERIFY(THelp::viewer());
    QCOMPARE(THelp::viewer()->currentContext(), 45000);

    QVERIFY(activate(&gauge));
    preview->setFocus();
    QTest::keyClick(&gauge, Qt::Key_F1);
    QCOMPARE(THelp::viewer()->currentContext(), 100000);
}

QTEST_MAIN(FilegaugeTest)
#include "filegauge_test.moc"
