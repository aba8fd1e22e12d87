// TMainMnu: the program's main window. The user picks the current document and the output
// folder, starts a compression or an analysis, previews results, undoes the last compression
// and opens the option windows. Its creation loads the settings and restores what the last
// run left; closing it saves the recent-files list and the window position.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class TAppContext;
class THintsCheckBox;

class TMainMnu : public QWidget {
    Q_OBJECT

  public:
    // The windows the main window opens modally. Each can be replaced, so that the option
    // windows can be wired in and tests can stand in for them.
    struct Windows {
        // The compression options and user options assistants; empty: nothing opens.
        std::function<void(TMainMnu&)> compressionOptions;
        std::function<void(TMainMnu&)> userOptions;
        // The confirmation before a compression: true to go on (its "&Continue"), false when
        // the user cancelled. Empty: the job goes on.
        std::function<bool(TMainMnu&)> confirmCompress;
        // The progress window running the job. Empty: TFilegauge, shown modally.
        std::function<void(TMainMnu&)> progress;
    };

    explicit TMainMnu(TAppContext& context, QWidget* parent = nullptr);

    TAppContext& appContext() const { return context; }
    Windows& windows() { return openers; }

    // The current document becomes path: shown, added to the recent files, remembered as
    // LastCompressedFile, and "&Compress" and " &Analyze " enabled.
    void chooseFile(const QString& path);
    // Enables "  &Undo    " when the document last compressed can be restored.
    void applyUndoRule();
    // The output controls and the note line follow CompressSource and ExpertMode; applied
    // whenever the window shows or becomes active again.
    void applyOutputRules();
    // A document named from outside (the command line, a file manager's "Open with") becomes
    // the current document, as if dropped on the document field. While a modal window is
    // open it waits until that window has closed; a path that names no file is ignored.
    void openDocument(const QString& path);

  public slots:
    void compress();
    void analyze();
    void undo();
    // A later start of the program: the window the user works in comes to the front, and
    // the document it was given, if any, is opened.
    void takeDocumentFromDesktop(const QString& path);

  signals:
    // The window has been closed: the program ends.
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private slots:
    void showFirstRunWindow();
    void showHelp();
    void selectFile();
    void showRecentFilesMenu(const QPoint& position);
    void selectFolder();
    void showBrowseMenu();
    void showCompressionOptions();
    void showUserOptions();

  private:
    void createWidgets();
    void createMenus();
    void showCurrentDocument();
    void showOutputDirectory();
    void leaveOutputField();
    // Runs the job after the checks; validation failures are reported and stop it.
    void runJob();
    bool validateJob();
    // Hides the window while an assistant is open.
    void showAssistant(const std::function<void(TMainMnu&)>& assistant);
    void browseRecentFile(const QString& path);
    void setJobButtonsEnabled(bool enabled);
    void openPendingDocument();

    TAppContext& context;
    Windows openers;
    bool shownBefore = false;
    QString fileDialogFolder;
    QString pendingDocument;
    QTimer* pendingDocumentTimer;

    QLabel* documentLabel;
    QLineEdit* documentLineEdit;
    QPushButton* selectFilePushButton;
    QLabel* outputDirLabel;
    QLineEdit* outputDirLineEdit;
    QPushButton* selectFolderPushButton;
    QLabel* noteLabel;
    QPushButton* compressPushButton;
    QPushButton* analyzePushButton;
    QPushButton* browsePushButton;
    QPushButton* undoPushButton;
    QPushButton* compressionOptionsPushButton;
    QPushButton* userOptionsPushButton;
    THintsCheckBox* hintsCheckBox;
    QPushButton* helpPushButton;
    QPushButton* exitPushButton;
    QMenu* recentFilesMenu;
    QMenu* browseMenu;
    QAction* browseCurrentAction;
};
