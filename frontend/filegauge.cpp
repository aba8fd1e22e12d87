// TFilegauge: the progress window that carries out one compression job on the current
// document and shows its outcome.
#include "frontend/filegauge.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <string>

#include "engine/include/tagsqueeze.h"
#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "frontend/launcher.h"
#include "frontend/report_target.h"
#include "frontend/window_rules.h"
#include "platform/files.h"
#include "toolkit/gradient_caption.h"
#include "toolkit/message_box.h"
#include "toolkit/path_label.h"

namespace {

#define GAUGE_TEXT(text) QT_TRANSLATE_NOOP("TFilegauge", text)

constexpr const char* kCaption = GAUGE_TEXT("Tagsqueeze freeware ");
constexpr const char* kHeading = GAUGE_TEXT("Optimization progress:");
constexpr const char* kAnalysisComplete = GAUGE_TEXT(" HTML compression analysis complete");
constexpr const char* kCompressionComplete = GAUGE_TEXT("HTML compression complete");
// A job whose engine call ended with a failure code does not claim to be complete.
constexpr const char* kAnalysisFailed = GAUGE_TEXT(" HTML compression analysis failed");
constexpr const char* kCompressionFailed = GAUGE_TEXT("HTML compression failed");
constexpr const char* kByteSavings = GAUGE_TEXT("Byte savings:");
constexpr const char* kPercentageSavings = GAUGE_TEXT("Percentage savings:");
constexpr const char* kErrors = GAUGE_TEXT("Errors:");
constexpr const char* kProcessingTime = GAUGE_TEXT("Processing time:");
constexpr const char* kPreview = GAUGE_TEXT("&Preview");
constexpr const char* kReport = GAUGE_TEXT("&Report");
constexpr const char* kOk = GAUGE_TEXT("&OK");

constexpr const char* kOverwriteBackupCaption =
    GAUGE_TEXT("Confirming overwrite of existing backup");
constexpr const char* kOverwriteBackupText = GAUGE_TEXT(
    "Tagsqueeze has detected an existing backup of this document. Are you sure you wish "
    "to overwrite the backup with a new backup? Press Yes only if you are sure that the "
    "existing backup is NOT your only uncompressed copy of this document.");
constexpr const char* kAbortingCaption = GAUGE_TEXT("Aborting compression");
constexpr const char* kBackupPreserved =
    GAUGE_TEXT("Backup will be preserved...compression halted.");
// The backup path goes between the two pieces.
constexpr const char* kBackupFailedStart =
    GAUGE_TEXT("Tagsqueeze was unable to create the backup copy ");
constexpr const char* kBackupFailedEnd =
    GAUGE_TEXT(". Compression halted: the document has not been changed.");

constexpr const char* kErrorCaption = GAUGE_TEXT("Compression error ");

// The body of the compression error box: the first piece, then (when the code's text names
// it) the document and the last piece, joined without separators.
struct ErrorText {
    int code;
    const char* start;
    bool namesDocument;
    const char* end;
};

constexpr ErrorText kErrorTexts[] = {
    {TSQZ_STATUS_NO_REFERENCE,
     GAUGE_TEXT(" File name to be processed points to non-existent file."), false, ""},
    {TSQZ_ERR_NOT_HTML, "", true,
     GAUGE_TEXT(" failed basic HTML validation checks. Compression of this file is likely to "
                "result in a damaged output file.")},
    {TSQZ_ERR_UNCLOSED_BLOCK, "", true,
     GAUGE_TEXT(" contains a large number of <LISTING> tags. This formatting cannot be reliably "
                "compressed. Check compressed file thoroughly to insure its displayability prior "
                "to publishing the compressed file.")},
    {TSQZ_ERR_STYLE_RESTORE,
     GAUGE_TEXT("Style block contains faulty syntax Processing of. this block will likely result "
                "in display errors. It is likely that display errors will be found in the "
                "original document. Skipping style block compression. "),
     false, ""},
    {TSQZ_ERR_TOO_MANY_SCRIPTS, "", true,
     GAUGE_TEXT(" contains too many <SCRIPT> blocks. The maximum allowable number of <SCRIPT> "
                "blocks in an compressable file is 255. Exporting some script blocks to a "
                "server-side include may reduce block count sufficiently to permit processing.")},
    {TSQZ_ERR_TOO_MANY_BLOCKS, "", true,
     GAUGE_TEXT(" contains too many <PRE>/<XMP>/<PLAINTEXT>/<LISTING> blocks. The maximum "
                "allowable number of preformatted text blocks in an compressable file is 255. It "
                "may not be possible to compress this file.")},
    {TSQZ_ERR_FILE_NOT_FOUND, GAUGE_TEXT("No opening <HTML> or closing </HTML> tag was found in "),
     true,
     GAUGE_TEXT(". This file fails the most basic validity check for an HTML document and cannot "
                "be safely compressed.")},
    {TSQZ_ERR_WRITE, GAUGE_TEXT("Unable to write "), true,
     GAUGE_TEXT(" to disk. Disk may be full or compressor may be trying to overwrite an existing "
                "copy of this file which is set to read-only.")},
    {TSQZ_ERR_BAD_STYLE, GAUGE_TEXT("Bad <STYLE> block syntax detected in "), true,
     GAUGE_TEXT(". Unable to compress one or more <STYLE> blocks in this file.")},
    {TSQZ_ERR_TAGSETS, GAUGE_TEXT("The HTML formatting in "), true,
     GAUGE_TEXT(" is too complex for the compressor to analyze. Unable to compress this file.")},
    {TSQZ_ERR_SCRIPT_UNCLOSED, GAUGE_TEXT("The document selected for processing ("), true,
     GAUGE_TEXT(") contains invalid ASP brace pairs. All ASP blocks must be delimited by proper "
                "\"<%\" and \"%>\" brace pairs in order for the compressor to properly process "
                "the file.")},
    {TSQZ_ERR_SCRIPT_CORRUPT,
     GAUGE_TEXT("Script compression produced corrupt output; likely due to unknown formatting in "
                "non-script portions of the document. HTML content of the document may be OK, "
                "but the script block is corrupt."),
     false, ""},
    {TSQZ_ERR_REPORT_CREATE,
     GAUGE_TEXT("I/O errors were reported by the system when attempting to create the report "),
     true,
     GAUGE_TEXT(". The file may be in use by another application, or the output location may "
                "not be writable at this time.")},
    {TSQZ_ERR_REPORT_APPEND,
     GAUGE_TEXT("I/O errors were reported by the system when attempting to add report data to "
                "the current report "),
     true, GAUGE_TEXT(". Report file may be locked or may have been erased.")},
    {TSQZ_ERR_REPORT_FILESTATS,
     GAUGE_TEXT("I/O errors were reported by the system when attempting to append individual "
                "file statistics the current report "),
     true, GAUGE_TEXT(". Report file may be locked or may have been erased.")},
    {TSQZ_ERR_NO_CUT_POINT,
     GAUGE_TEXT("Unable to divide document into manageable chunks for optimization, most likely "
                "the result of an extremely bulky table in the document. This document cannot be "
                "safely compressed.\n\nBe aware that if bulky tables are responsible for this "
                "error, then it is likely that the document will also require overly long load "
                "times in many browsers and may actually crash some popular versions of Netscape "
                "Navigator."),
     false, ""},
    {TSQZ_ERR_WORDWRAP,
     GAUGE_TEXT("A word wrap value of more than 0 but less than 30 characters was encountered in "
                "compression options. This value is likely to corrupt the document. Wordwrap "
                "value was reset to the 30 character \"safe minimum.\""),
     false, ""},
    {TSQZ_ERR_REGISTRY,
     GAUGE_TEXT("Unable to access the specified key in the registry. If this is not a valid path "
                "to a registry key, or if the key is in use by an application or by the system "
                "when access is requested, compression options will not be read from or written "
                "to the registry."),
     false, ""},
    // The engine's extra codes, -20 and below.
    {TSQZ_ERR_TOO_MANY_CHUNKS, "", true,
     GAUGE_TEXT(" is too large to be divided into the 256 chunks the compressor can handle. "
                "Unable to compress this file.")},
    {TSQZ_ERR_UNREADABLE, GAUGE_TEXT("Unable to read "), true,
     GAUGE_TEXT(". The file may be locked, not readable with your permissions, or a folder. "
                "Unable to compress this file.")},
    {TSQZ_ERR_PATH_TOO_LONG, GAUGE_TEXT("The path of "), true,
     GAUGE_TEXT(" or of its output file is too long for the system. Unable to compress this "
                "file.")},
    {TSQZ_ERR_TOKEN_IN_INPUT, "", true,
     GAUGE_TEXT(" already contains text that the compressor uses to mark protected blocks. It "
                "cannot be compressed safely.")},
};
// Any other code: the code goes between the document and the last piece.
constexpr const char* kOtherErrorStart = GAUGE_TEXT("Compression of ");
constexpr const char* kOtherErrorMiddle = GAUGE_TEXT(" failed with error code ");
constexpr const char* kOtherErrorEnd = GAUGE_TEXT(".");

// The job waits this long after the window is created, so that it is drawn first.
constexpr int kStartDelayMs = 300;
constexpr int kSteps = 3;
constexpr int kFieldWidth = 380;

constexpr const char* kBackupExtension = ".tsbak";
constexpr const char* kAnalysisFolderTemplate = "/tsqz-analysis-XXXXXX";

// The engine's 8-bit values and the operations on them: paths and texts go as the file
// system's bytes.
QByteArray engineText(const QString& text) { return QFile::encodeName(text); }
QString fromEngine(const char* text) { return QString::fromLocal8Bit(text ? text : ""); }

// Lets the window repaint and the help viewer work while the engine compresses; the modal
// window keeps everything else that could start a second engine call blocked.
void pumpPendingEvents() { QCoreApplication::processEvents(); }

// The busy cursor for the job's lifetime.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { release(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void release() {
        if (!held) return;
        QApplication::restoreOverrideCursor();
        held = false;
    }

  private:
    bool held = true;
};

// The normal pointer while a message box waits for the user during the job.
class NormalCursor {
  public:
    NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

// Copies source over target, or leaves target as it was: the bytes go through a temporary
// file beside target that is renamed over it.
bool copyFileReplacing(const QString& source, const QString& target) {
    std::string bytes;
    if (tsqz::platform::ReadWholeFile(engineText(source).toStdString(), bytes) !=
        tsqz::platform::ReadResult::kOk)
        return false;
    return tsqz::platform::WriteFileAtomically(engineText(target).toStdString(), bytes);
}

}  // namespace

struct TFilegauge::JobFiles {
    QString reference;
    QString output;
    // The private folder that holds the analysis copy; removing it removes the copy.
    std::unique_ptr<QTemporaryDir> analysisFolder;
};

TFilegauge::TFilegauge(TAppContext& appContext, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context(appContext),
      startTimer(new QTimer(this)) {
    startTime.start();
    setObjectName(QStringLiteral("filegauge"));
    createWidgets();

    // The button row stays hidden until the job has finished; the fixed-size layout cuts the
    // window's height to match.
    buttonRow->hide();
    previewPushButton->setEnabled(context.settings.showPreviewDlg);
    reportPushButton->setEnabled(context.settings.outputReport);
    okPushButton->setEnabled(false);
    sourcePathLabel->setPath(context.currentDocument);
    errorsLabel->setText(QStringLiteral("0"));

    // Modal over the main window only, so that help opened with F1 stays usable.
    setWindowModality(Qt::WindowModal);
    THelp::installF1(this, [this] {
        return previewPushButton->hasFocus() ? HelpContext::kPreviewButton
                                             : HelpContext::kProgressWindow;
    });
    WindowRules::applyFontRule(this, context.settings);
    WindowRules::placeOverMainWindow(this, mainWindow);

    startTimer->setSingleShot(true);
    connect(startTimer, &QTimer::timeout, this, &TFilegauge::runJob);
    startTimer->start(kStartDelayMs);
}

TFilegauge::~TFilegauge() = default;

void TFilegauge::createWidgets() {
    setWindowTitle(tr(kCaption));

    headingCaption = new TGradientCaption(tr(kHeading), this);
    headingCaption->setObjectName(QStringLiteral("headingCaption"));
    stepsProgressBar = new QProgressBar(this);
    stepsProgressBar->setObjectName(QStringLiteral("stepsProgressBar"));
    stepsProgressBar->setRange(0, kSteps);
    stepsProgressBar->setValue(0);
    stepsProgressBar->setTextVisible(false);
    // A long path loses its middle, so the document's name stays in view.
    sourcePathLabel = new TPathLabel(this);
    sourcePathLabel->setObjectName(QStringLiteral("sourcePathLabel"));
    sourcePathLabel->setFixedWidth(kFieldWidth);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* values = new QFormLayout(panel);
    const auto addValue = [&](const char* caption, const char* name) {
        auto* label = new QLabel(QStringLiteral("0"), panel);
        label->setObjectName(QLatin1String(name));
        values->addRow(tr(caption), label);
        return label;
    };
    byteSavingsLabel = addValue(kByteSavings, "byteSavingsLabel");
    percentageLabel = addValue(kPercentageSavings, "percentageLabel");
    errorsLabel = addValue(kErrors, "errorsLabel");
    processingTimeLabel = addValue(kProcessingTime, "processingTimeLabel");

    buttonRow = new QWidget(this);
    previewPushButton = new QPushButton(tr(kPreview), buttonRow);
    previewPushButton->setObjectName(QStringLiteral("previewPushButton"));
    reportPushButton = new QPushButton(tr(kReport), buttonRow);
    reportPushButton->setObjectName(QStringLiteral("reportPushButton"));
    okPushButton = new QPushButton(tr(kOk), buttonRow);
    okPushButton->setObjectName(QStringLiteral("okPushButton"));
    okPushButton->setDefault(true);
    auto* buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(previewPushButton);
    buttons->addWidget(reportPushButton);
    buttons->addStretch(1);
    buttons->addWidget(okPushButton);
    connect(previewPushButton, &QPushButton::clicked, this, &TFilegauge::preview);
    connect(reportPushButton, &QPushButton::clicked, this, &TFilegauge::viewReport);
    connect(okPushButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(headingCaption);
    layout->addWidget(stepsProgressBar);
    layout->addWidget(sourcePathLabel);
    layout->addWidget(panel);
    layout->addWidget(buttonRow);
}

QString TFilegauge::formatProcessingTime(qint64 milliseconds) {
    QString digits = QString::number(milliseconds < 0 ? 0 : milliseconds);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits + QStringLiteral("ms");
}

QString TFilegauge::compressionErrorCaption(int code) {
    return tr(kErrorCaption) + QString::number(code);
}

QString TFilegauge::compressionErrorText(int code, const QString& document) {
    for (const ErrorText& row : kErrorTexts) {
        if (row.code != code) continue;
        return row.namesDocument ? tr(row.start) + document + tr(row.end) : tr(row.start);
    }
    return tr(kOtherErrorStart) + document + tr(kOtherErrorMiddle) + QString::number(code) +
           tr(kOtherErrorEnd);
}

QString TFilegauge::namePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

void TFilegauge::runJob() {
    if (jobState != State::kCreated) return;
    startTimer->stop();
    jobState = State::kRunning;
    stepsProgressBar->setRange(0, kSteps);
    stepsProgressBar->setValue(0);
    BusyCursor busy;

    const QString reportPath = TLauncher(context).reportPath();
    JobFiles files;
    if (!prepareFiles(files)) {
        busy.release();
        closeEarly();
        return;
    }
    callEngine(files, reportPath);
    // The analysis copy and its private folder go, whatever the engine reported.
    files.analysisFolder.reset();

    busy.release();
    finish();
}

bool TFilegauge::prepareFiles(JobFiles& files) {
    const TAppSettings& settings = context.settings;
    const QString& source = context.currentDocument;

    if (settings.analysis) {
        // A folder of the job's own, so that no file of the same name in the temporary
        // directory is replaced or deleted; the copy keeps the document's name part, so the
        // engine's log entries read as they would for the document itself.
        files.analysisFolder = std::make_unique<QTemporaryDir>(
            QDir::tempPath() + QLatin1String(kAnalysisFolderTemplate));
        if (files.analysisFolder->isValid()) {
            files.reference = files.analysisFolder->filePath(namePart(source));
            // A failed copy leaves no file there, which the engine reports as result 2.
            copyFileReplacing(source, files.reference);
        }
        files.output = files.reference;
        return true;
    }

    if (!settings.compressSource) {
        files.reference = source;
        files.output = context.outputDirectory + u'/' + namePart(source);
        return true;
    }

    files.output = source;
    if (!settings.createBackup) {
        files.reference = source;
        return true;
    }

    files.reference = source + QLatin1String(kBackupExtension);
    if (QFileInfo::exists(files.reference) && settings.overwritePrompt) {
        const NormalCursor normal;
        // Enter answers No: the backup may be the only original left.
        if (!TMessageBox::question(tr(kOverwriteBackupCaption), tr(kOverwriteBackupText), nullptr,
                                   TMessageBox::Default::No)) {
            TMessageBox::error(tr(kAbortingCaption), tr(kBackupPreserved));
            return false;
        }
    }
    // Without a fresh backup the engine would overwrite the document while the only copy of
    // its current state is missing or an older one, so the job stops here.
    if (!copyFileReplacing(source, files.reference)) {
        const NormalCursor normal;
        TMessageBox::error(tr(kAbortingCaption),
                           tr(kBackupFailedStart) + files.reference + tr(kBackupFailedEnd));
        return false;
    }
    return true;
}

void TFilegauge::callEngine(const JobFiles& files, const QString& reportPath) {
    const TAppSettings& settings = context.settings;
    const QString& source = context.currentDocument;

    SetMessagePump(&pumpPendingEvents);
    int32_t status = 0;
    ReadCompressionParams(engineText(settings.optionsPath).constData(), &status);
    SetCompressionMode(settings.analysis ? 0 : 1, 0, 1);
    // Appended reports are added to the report file here, after the engine has written this
    // job's report: the engine itself would only gather them in a work file.
    TReportTarget report(reportPath, settings.appendReports);
    const QByteArray reportName = engineText(report.engineReportName());
    if (settings.outputReport) {
        SetReportParameters(reportName.isEmpty() ? nullptr : reportName.constData(), 0,
                            settings.briefReport ? 0 : 1, settings.statisticsByFile ? 1 : 0);
    }
    ResetCompressionStatistics(1);
    stepsProgressBar->setValue(1);

    const int32_t result =
        CompressHTMLFile(engineText(source).constData(), engineText(files.reference).constData(),
                         engineText(files.output).constData());
    stepsProgressBar->setValue(2);
    if (result != TSQZ_OK) {
        const NormalCursor normal;
        // A write error concerns the file the engine wrote, which is not always the document.
        const QString& named = result == TSQZ_ERR_WRITE ? files.output : source;
        TMessageBox::error(compressionErrorCaption(result), compressionErrorText(result, named));
    }
    const bool failed = result < 0;

    pumpPendingEvents();
    // A failed run saved nothing for this document, whatever its statistics counted.
    byteSavingsLabel->setText(failed ? QStringLiteral("0")
                                     : fromEngine(CompressionSavings(0, 0, 0)));
    int32_t lastCode = 0;
    int32_t errorCount = 0;
    GetOptErrors(&lastCode, &errorCount);
    // Some failures (no HTML, a write error) are not counted by the engine; the job still
    // had one.
    errorsLabel->setText(QString::number(failed ? std::max(errorCount, 1) : errorCount));
    pumpPendingEvents();

    // The percentage is the job's: every document since the program started.
    if (CompressionBaseStats(0, 0) != 0)
        percentageLabel->setText(fromEngine(CompressionSavings(0, 0, 1)) + u'%');
    if (failed) {
        headingCaption->setText(tr(settings.analysis ? kAnalysisFailed : kCompressionFailed));
    } else {
        headingCaption->setText(tr(settings.analysis ? kAnalysisComplete : kCompressionComplete));
    }
    if (settings.outputReport) {
        if (!reportName.isEmpty()) WriteCompressionReport(0);
        if (!report.finish()) {
            const NormalCursor normal;
            TMessageBox::error(compressionErrorCaption(TSQZ_ERR_REPORT_APPEND),
                               compressionErrorText(TSQZ_ERR_REPORT_APPEND, reportPath));
        }
    }
}

void TFilegauge::finish() {
    jobState = State::kFinished;
    okPushButton->setEnabled(true);
    buttonRow->show();
    okPushButton->setFocus();
    repaint();
    raise();
    activateWindow();
    stepsProgressBar->setValue(kSteps);
    processingTimeLabel->setText(formatProcessingTime(startTime.elapsed()));
}

void TFilegauge::closeEarly() {
    jobState = State::kFinished;
    QDialog::done(QDialog::Rejected);
}

void TFilegauge::reject() {
    if (jobState == State::kFinished) QDialog::reject();
}

void TFilegauge::closeEvent(QCloseEvent* event) {
    if (jobState == State::kFinished) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

void TFilegauge::preview() { TLauncher(context).showInBrowser(context.currentDocument, true); }

void TFilegauge::viewReport() { TLauncher(context).viewReportOrList(); }
