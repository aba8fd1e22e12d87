// The help viewer: a topic for every context number, the jump request, links between the
// compiled-in pages, and F1.
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QtTest>

#include "frontend/help_viewer.h"
#include "frontend_test_support.h"

using FrontendTest::activate;

namespace {

// Every context number the windows open.
const QList<int> kContexts = {100001, 66000,  45000,  100000, 420000, 421000,
                              421500, 422000, 423000, 20000,  20200,  20100};

}  // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { THelp::closeViewer(); }
    void everyContextOpensATopicOfItsOwn();
    void jumpRequestNamesTheHelpFileAndTheNumber();
    void unknownOrMalformedRequestsShowTheContents();
    void linksBetweenTopicsAllResolve();
    void f1OpensTheContextOfItsWindow();
    void closingTheViewerEndsIt();
};

void HelpViewerTest::everyContextOpensATopicOfItsOwn() {
    QSet<QString> titles;
    for (const int context : kContexts) {
        THelp::open(context);
        THelpViewer* viewer = THelp::viewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->currentContext(), context);
        const QString title = viewer->currentTitle();
        QVERIFY2(!title.isEmpty(), qPrintable(QString::number(context)));
        titles.insert(title);
    }
    QCOMPARE(titles.size(), kContexts.size());
    QCOMPARE(THelpViewer::contexts().size(), kContexts.size());
}

void HelpViewerTest::jumpRequestNamesTheHelpFileAndTheNumber() {
    THelp::setHelpFile(QStringLiteral("/opt/tsqz/Tagsqueeze.hlp"),
                       QStringLiteral("/opt/tsqz/Tagsqueeze.hlp"));
    QCOMPARE(THelp::jumpRequest(66000), QStringLiteral("JC(`/opt/tsqz/Tagsqueeze.hlp',66000)"));
    QCOMPARE(THelp::helpFile(), QStringLiteral("/opt/tsqz/Tagsqueeze.hlp"));

    // A path holding the request's own punctuation still parses.
    THelpViewer viewer;
    QVERIFY(viewer.execute(QStringLiteral("JC(`/a',b)/c.hlp',420000)")));
    QCOMPARE(viewer.currentContext(), 420000);
}

void HelpViewerTest::unknownOrMalformedRequestsShowTheContents() {
    THelpViewer viewer;
    QVERIFY(viewer.execute(QStringLiteral("JC(`x.hlp',20100)")));
    QCOMPARE(viewer.currentContext(), 20100);
    QVERIFY(!viewer.execute(QStringLiteral("JC(`x.hlp',12345)")));
    QCOMPARE(viewer.currentContext(), 0);
    QCOMPARE(viewer.currentTitle(), QStringLiteral("Contents"));

    for (const char* request : {"JC(`x.hlp',)", "JC(`x.hlp',-5)", "JI(`x.hlp',20100)", "",
                                "JC(`x.hlp',20100", "JC(`x.hlp',20100))"}) {
        viewer.showContext(20100);
        QVERIFY2(!viewer.execute(QLatin1String(request)), request);
        QCOMPARE(viewer.currentContext(), 0);
    }
}

void HelpViewerTest::linksBetweenTopicsAllResolve() {
    QStringList pages;
    QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")});
    while (it.hasNext())
        pages.append(it.next());
    QVERIFY(pages.size() > kContexts.size());

    QFile contentsFile(QStringLiteral(":/help/contents.html"));
    QVERIFY(contentsFile.open(QIODevice::ReadOnly));
    const QString contents = QString::fromUtf8(contentsFile.readAll());
    for (const int context : kContexts) {
        const QString page = THelpViewer::topicPage(context);
        QVERIFY2(QFile::exists(QStringLiteral(":/help/") + page), qPrintable(page));
        QVERIFY2(contents.contains(QStringLiteral("href=\"%1\"").arg(page)), qPrintable(page));
    }

    const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)\""));
    for (const QString& page : pages) {
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(page));
        for (const QRegularExpressionMatch& match : link.globalMatch(html)) {
            const QString target = QStringLiteral(":/help/") + match.captured(1);
            QVERIFY2(QFile::exists(target), qPrintable(page + " -> " + target));
        }
    }
}

void HelpViewerTest::f1OpensTheContextOfItsWindow() {
    QWidget window;
    int context = 20000;
    THelp::installF1(&window, [&context] { return context; });
    window.show();
    QVERIFY(activate(&window));

    QTest::keyClick(&window, Qt::Key_F1);
    QVERIFY(THelp::viewer());
    QCOMPARE(THelp::viewer()->currentContext(), 20000);

    // The context is asked for when F1 is pressed (an assistant's page changes it).
    context = 20200;
    QVERIFY(activate(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(THelp::viewer()->currentContext(), 20200);
}

void HelpViewerTest::closingTheViewerEndsIt() {
    THelp::open(45000);
    QPointer<THelpViewer> viewer = THelp::viewer();
    QVERIFY(viewer);
    THelp::closeViewer();
    QVERIFY(!THelp::viewer());
    QTRY_VERIFY(viewer.isNull());
    // Opening again makes a new viewer at once.
    THelp::open(66000);
    QVERIFY(THelp::viewer());
    QCOMPARE(THelp::viewer()->currentContext(), 66000);
    QVERIFY(THelp::viewer()->isVisible());
}

QTEST_MAIN(HelpViewerTest)
#include "help_viewer_test.moc"
