// TFilegauge: the progress window that carries out one compression job on the current
// document and shows its outcome.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;
class TAppContext;
class TGradientCaption;
class TPathLabel;

class TFilegauge : public QDialog {
    Q_OBJECT

  public:
    enum class State { kCreated, kRunning, kFinished };

    // The job starts by itself shortly after the window is created; the main window shows the
    // window modally and the job runs inside it.
    TFilegauge(TAppContext& context, QWidget* mainWindow);
    ~TFilegauge() override;

    State state() const { return jobState; }

    // "1,234,567ms": milliseconds with "," between groups of three digits.
    static QString formatProcessingTime(qint64 milliseconds);
    // The compression error box of a result code: its caption and its body naming document.
    static QString compressionErrorCaption(int code);
    static QString compressionErrorText(int code, const QString& document);
    // The name part of a path: what follows its last "/".
    static QString namePart(const QString& path);

  public slots:
    // Carries out the job; runs once, whoever calls it first (the start timer or a caller
    // that does not want to wait for it).
    void runJob();

  protected:
    // The window cannot be closed until the job has finished.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void preview();
    void viewReport();

  private:
    struct JobFiles;

    void createWidgets();
    // Works out the reference and output files and makes the backup or the analysis copy.
    // False when the job must end before the engine runs.
    bool prepareFiles(JobFiles& files);
    void callEngine(const JobFiles& files, const QString& reportPath);
    void finish();
    void closeEarly();

    TAppContext& context;
    QElapsedTimer startTime;
    State jobState = State::kCreated;
    QTimer* startTimer;

    TGradientCaption* headingCaption;
    QProgressBar* stepsProgressBar;
    TPathLabel* sourcePathLabel;
    QLabel* byteSavingsLabel;
    QLabel* percentageLabel;
    QLabel* errorsLabel;
    QLabel* processingTimeLabel;
    QWidget* buttonRow;
    QPushButton* previewPushButton;
    QPushButton* reportPushButton;
    QPushButton* okPushButton;
};
