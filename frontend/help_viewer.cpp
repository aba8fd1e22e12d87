// The help viewer: a window of the program's own that shows the help topics compiled into
// it, opened at a topic's context number.
#include "frontend/help_viewer.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

struct HelpTopic {
    int context;
    const char* page;  // under qrc:/help/
};

// One topic per context number the windows open; the contents page lists them in this order.
constexpr HelpTopic kHelpTopics[] = {
    {HelpContext::kFirstRun, "getting_started.html"},
    {HelpContext::kMainWindow, "main_window.html"},
    {HelpContext::kTagOptions, "tag_options.html"},
    {HelpContext::kEntityOptions, "entity_options.html"},
    {HelpContext::kFontOptions, "font_options.html"},
    {HelpContext::kFineTuning, "fine_tuning.html"},
    {HelpContext::kScriptOptions, "script_options.html"},
    {HelpContext::kInterfaceOptions, "interface_options.html"},
    {HelpContext::kBackupOptions, "backup_options.html"},
    {HelpContext::kReportOptions, "report_options.html"},
    {HelpContext::kProgressWindow, "progress_window.html"},
    {HelpContext::kPreviewButton, "preview.html"},
};

constexpr const char* kContentsPage = "contents.html";
constexpr const char* kHelpRoot = "qrc:/help/";

// The request format the windows send: "JC(`", the help file, "',", the number, ")".
const QRegularExpression& requestPattern() {
    static const QRegularExpression pattern(QStringLiteral("^JC\\(`(.*)',(\\d{1,9})\\)$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

QUrl pageUrl(const QString& page) { return QUrl(QLatin1String(kHelpRoot) + page); }

QString& helpFilePath() {
    static QString path;
    return path;
}

QString& helpMacroPath() {
    static QString path;
    return path;
}

QPointer<THelpViewer>& theViewer() {
    static QPointer<THelpViewer> viewer;
    return viewer;
}

}  // namespace

THelpViewer::THelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window),
      topicBrowser(new QTextBrowser(this)),
      contentsButton(new QPushButton(tr("&Contents"), this)),
      backButton(new QPushButton(tr("< &Back"), this)),
      forwardButton(new QPushButton(tr("&Forward >"), this)) {
    setObjectName(QStringLiteral("helpViewer"));
    topicBrowser->setOpenExternalLinks(true);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(contentsButton);
    buttonRow->addWidget(backButton);
    buttonRow->addWidget(forwardButton);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttonRow);
    layout->addWidget(topicBrowser, 1);
    resize(560, 520);

    backButton->setEnabled(false);
    forwardButton->setEnabled(false);
    connect(contentsButton, &QPushButton::clicked, this, &THelpViewer::showContents);
    connect(backButton, &QPushButton::clicked, topicBrowser, &QTextBrowser::backward);
    connect(forwardButton, &QPushButton::clicked, topicBrowser, &QTextBrowser::forward);
    connect(topicBrowser, &QTextBrowser::backwardAvailable, backButton, &QPushButton::setEnabled);
    connect(topicBrowser, &QTextBrowser::forwardAvailable, forwardButton, &QPushButton::setEnabled);
    connect(topicBrowser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        // Links between topics change the topic too, so the context follows the page shown.
        shownContext = 0;
        for (const HelpTopic& topic : kHelpTopics) {
            if (pageUrl(QLatin1String(topic.page)) == url) shownContext = topic.context;
        }
        setWindowTitle(tr("Tagsqueeze help - %1").arg(currentTitle()));
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    showContents();
}

QString THelpViewer::topicPage(int context) {
    for (const HelpTopic& topic : kHelpTopics) {
        if (topic.context == context) return QLatin1String(topic.page);
    }
    return {};
}

QList<int> THelpViewer::contexts() {
    QList<int> numbers;
    for (const HelpTopic& topic : kHelpTopics)
        numbers.append(topic.context);
    return numbers;
}

QString THelpViewer::currentTitle() const { return topicBrowser->documentTitle(); }

bool THelpViewer::execute(const QString& request) {
    const QRegularExpressionMatch match = requestPattern().match(request);
    if (!match.hasMatch()) {
        showContents();
        return false;
    }
    return showContext(match.captured(2).toInt());
}

bool THelpViewer::showContext(int context) {
    const QString page = topicPage(context);
    if (page.isEmpty()) {
        showContents();
        return false;
    }
    topicBrowser->setSource(pageUrl(page));
    return true;
}

void THelpViewer::showContents() { topicBrowser->setSource(pageUrl(QLatin1String(kContentsPage))); }

void THelp::setHelpFile(const QString& helpFile, const QString& macroPath) {
    helpFilePath() = helpFile;
    helpMacroPath() = macroPath;
}

QString THelp::helpFile() { return helpFilePath(); }

QString THelp::jumpRequest(int context) {
    return QStringLiteral("JC(`") + helpMacroPath() + QStringLiteral("',") +
           QString::number(context) + QStringLiteral(")");
}

void THelp::open(int context) {
    if (!theViewer()) theViewer() = new THelpViewer;
    THelpViewer* viewer = theViewer();
    viewer->execute(jumpRequest(context));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

void THelp::closeViewer() {
    THelpViewer* viewer = theViewer();
    if (!viewer) return;
    viewer->close();
    viewer->deleteLater();
    theViewer() = nullptr;
}

THelpViewer* THelp::viewer() { return theViewer(); }

void THelp::installF1(QWidget* window, std::function<int()> context) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [context = std::move(context)] { THelp::open(context()); });
}

void THelp::installF1(QWidget* window, int context) {
    installF1(window, [context] { return context; });
}
