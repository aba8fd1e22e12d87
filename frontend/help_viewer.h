// The help viewer: a window of the program's own that shows the help topics compiled into
// it, opened at a topic's context number.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QTextBrowser;
class QPushButton;

namespace HelpContext {
constexpr int kMainWindow = 100001;
constexpr int kFirstRun = 66000;
constexpr int kProgressWindow = 45000;
constexpr int kPreviewButton = 100000;
constexpr int kTagOptions = 420000;
constexpr int kEntityOptions = 421000;
constexpr int kFontOptions = 421500;
constexpr int kFineTuning = 422000;
constexpr int kScriptOptions = 423000;
constexpr int kInterfaceOptions = 20000;
constexpr int kBackupOptions = 20200;
constexpr int kReportOptions = 20100;
}  // namespace HelpContext

class THelpViewer : public QWidget {
    Q_OBJECT

  public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // Carries out a jump-to-context request "JC(`<help file>',<number>)". False (and the
    // contents shown) when the request is malformed or names no topic.
    bool execute(const QString& request);
    // Shows the topic of a context number, or the contents when there is none.
    bool showContext(int context);

    int currentContext() const { return shownContext; }  // 0 while the contents show
    QString currentTitle() const;

    // The topic page of a context number, or empty text.
    static QString topicPage(int context);
    // Every context number that has a topic, in the order of the contents page.
    static QList<int> contexts();

  private:
    void showContents();

    QTextBrowser* topicBrowser;
    QPushButton* contentsButton;
    QPushButton* backButton;
    QPushButton* forwardButton;
    int shownContext = 0;
};

// The application's help: its file, its one viewer, and F1 in every window. Windows shown
// modally are modal to the main window only (Qt::WindowModal), so the viewer, a window of its
// own, still takes input while they are open.
class THelp {
  public:
    // The help file named by the settings (the settings path with ".hlp"), and the same path
    // with each backslash doubled, as it goes into a jump request.
    static void setHelpFile(const QString& helpFile, const QString& macroPath);
    static QString helpFile();

    // The jump-to-context request for a context number.
    static QString jumpRequest(int context);
    // Opens (or raises) the viewer at a context number.
    static void open(int context);
    // Closes the viewer, if one is open.
    static void closeViewer();
    // The open viewer, if any.
    static THelpViewer* viewer();

    // F1 in window opens the help at the context that context() gives at that moment.
    static void installF1(QWidget* window, std::function<int()> context);
    static void installF1(QWidget* window, int context);
};
