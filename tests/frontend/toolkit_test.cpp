// The toolkit pieces: check list notices, the ellipsis field, the hint switch, file drops,
// the message boxes, the path label and legible marks on dark palettes.
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <algorithm>
#include <cmath>

#include "toolkit/check_list.h"
#include "toolkit/ellipsis_edit.h"
#include "toolkit/file_drop_watcher.h"
#include "toolkit/hint_switch.h"
#include "toolkit/mark_style.h"
#include "toolkit/message_box.h"
#include "toolkit/path_label.h"

#include <QPainter>
#include <QStyleOption>

namespace {

// Relative luminance and contrast ratio as the WCAG define them.
double luminance(const QColor& color) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// One mark drawn by the application's style, 16 x 16 on its background, on or off.
QImage drawnMark(QStyle::PrimitiveElement element, const QPalette& palette,
                 const QColor& background, bool on) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(background);
    QStyleOptionButton option;
    option.rect = image.rect();
    option.palette = palette;
    option.state = QStyle::State_Enabled | (on ? QStyle::State_On : QStyle::State_Off);
    QPainter painter(&image);
    QApplication::style()->drawPrimitive(element, &option, &painter);
    return image;
}

}  // namespace

class ToolkitTest : public QObject {
    Q_OBJECT

  private slots:
    void checkListNoticesOnlyUserToggles();
    void ellipsisEditAsksThroughItsButton();
    void hintSwitchRulesEveryWindowAndItsBoxes();
    void fileDropHandsOverTheFirstLocalPath();
    void messageBoxesGoThroughTheInterceptor();
    void realMessageBoxesShowTextLiterally();
    void pathLabelKeepsBothEndsOfALongPath();
    void marksStayLegible_data();
    void marksStayLegible();
};

void ToolkitTest::checkListNoticesOnlyUserToggles() {
    TCheckList list;
    QSignalSpy toggled(&list, &TCheckList::rowToggled);
    QCOMPARE(list.addRow(QStringLiteral("<STRONG> to <B>")), 0);
    QCOMPARE(list.addRow(QStringLiteral("<EM> to <I>"), true), 1);
    list.setRowChecked(0, true);
    list.setRowChecked(1, false);
    list.setRowChecked(7, true);  // no such row: ignored
    QVERIFY(list.isRowChecked(0));
    QVERIFY(!list.isRowChecked(1));
    QVERIFY(!list.isRowChecked(7));
    QCOMPARE(toggled.count(), 0);

    // The space bar on the current row toggles it, with one notice.
    list.show();
    list.setFocus();
    list.setCurrentRow(1);
    QTest::keyClick(&list, Qt::Key_Space);
    QCOMPARE(toggled.count(), 1);
    const QList<QVariant> first = toggled.takeFirst();
    QCOMPARE(first.at(0).toInt(), 1);
    QCOMPARE(first.at(1).toBool(), true);
    toggled.clear();

    // A change of the mark made as the view makes it (through the item) is a user change.
    list.item(0)->setCheckState(Qt::Unchecked);
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.at(0).at(0).toInt(), 0);
    QCOMPARE(toggled.at(0).at(1).toBool(), false);

    // A caption change is no toggle.
    list.item(0)->setText(QStringLiteral("renamed"));
    QCOMPARE(toggled.count(), 1);
}

void ToolkitTest::ellipsisEditAsksThroughItsButton() {
    TEllipsisEdit edit;
    QSignalSpy clicked(&edit, &TEllipsisEdit::ellipsisClicked);
    QVERIFY(edit.lineEdit()->isReadOnly());
    QCOMPARE(edit.ellipsisButton()->text(), QStringLiteral("..."));
    edit.setText(QStringLiteral("/usr/bin/editor"));
    QCOMPARE(edit.text(), QStringLiteral("/usr/bin/editor"));
    QTest::mouseClick(edit.ellipsisButton(), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);

    // Disabled with its label, the button asks nothing.
    edit.setEnabled(false);
    QTest::mouseClick(edit.ellipsisButton(), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void ToolkitTest::hintSwitchRulesEveryWindowAndItsBoxes() {
    THintSwitch* hints = THintSwitch::instance();
    hints->setTimings(100, 30000);
    hints->setOn(false);
    QCOMPARE(qApp->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);

    THintsCheckBox mainBox(QStringLiteral("Hi&nts"));
    THintsCheckBox assistantBox(QStringLiteral("&Hints"));
    QVERIFY(!mainBox.isChecked());
    mainBox.setChecked(true);
    QVERIFY(hints->isOn());
    QVERIFY(assistantBox.isChecked());
    hints->setOn(false);
    QVERIFY(!mainBox.isChecked());
    QVERIFY(!assistantBox.isChecked());

    QWidget window;
    window.setToolTip(QStringLiteral("a hint"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint inside = window.rect().center();
    auto sendHintRequest = [&] {
        QHelpEvent request(QEvent::ToolTip, inside, window.mapToGlobal(inside));
        QApplication::sendEvent(&window, &request);
    };

    sendHintRequest();
    QVERIFY(!QToolTip::isVisible());

    hints->setOn(true);
    sendHintRequest();
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("a hint"));

    // Switching off takes down a hint that is up.
    hints->setOn(false);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void ToolkitTest::fileDropHandsOverTheFirstLocalPath() {
    QMimeData three;
    three.setUrls({QUrl::fromLocalFile(QStringLiteral("/web/first page.htm")),
                   QUrl::fromLocalFile(QStringLiteral("/web/second.htm")),
                   QUrl::fromLocalFile(QStringLiteral("/web/third.htm"))});
    QCOMPARE(TFileDropWatcher::firstDroppedPath(&three), QStringLiteral("/web/first page.htm"));
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.com/a.htm"))});
    QVERIFY(TFileDropWatcher::firstDroppedPath(&remote).isEmpty());
    QMimeData text;
    text.setText(QStringLiteral("/web/a.htm"));
    QVERIFY(TFileDropWatcher::firstDroppedPath(&text).isEmpty());
    QVERIFY(TFileDropWatcher::firstDroppedPath(nullptr).isEmpty());

    QLineEdit field;
    field.setReadOnly(true);
    field.setText(QStringLiteral("(none selected)"));
    auto* watcher = new TFileDropWatcher(&field);
    QVERIFY(field.acceptDrops());
    QSignalSpy dropped(watcher, &TFileDropWatcher::fileDropped);

    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &three, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &three, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &drop);
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toString(), QStringLiteral("/web/first page.htm"));
    // The field itself took nothing: the owner decides what it shows.
    QCOMPARE(field.text(), QStringLiteral("(none selected)"));

    QDragEnterEvent enterText(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &enterText);
    QVERIFY(!enterText.isAccepted());
    QDropEvent dropText(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &dropText);
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(field.text(), QStringLiteral("(none selected)"));
}

void ToolkitTest::messageBoxesGoThroughTheInterceptor() {
    QList<std::tuple<TMessageBox::Kind, QString, QString>> seen;
    bool answer = false;
    const auto previous = TMessageBox::setInterceptor(
        [&](TMessageBox::Kind kind, const QString& caption, const QString& text) {
            seen.append({kind, caption, text});
            return answer;
        });
    QVERIFY(!TMessageBox::question(QStringLiteral("Q"), QStringLiteral("Sure?")));
    answer = true;
    QVERIFY(TMessageBox::question(QStringLiteral("Q"), QStringLiteral("Sure?")));
    TMessageBox::information(QStringLiteral("I"), QStringLiteral("info"));
    TMessageBox::warning(QStringLiteral("W"), QStringLiteral("warn"));
    TMessageBox::error(QStringLiteral("E"), QStringLiteral("err"));
    TMessageBox::setInterceptor(previous);

    QCOMPARE(seen.size(), 5);
    QCOMPARE(std::get<0>(seen[0]), TMessageBox::Kind::Question);
    QCOMPARE(std::get<0>(seen[2]), TMessageBox::Kind::Information);
    QCOMPARE(std::get<1>(seen[2]), QStringLiteral("I"));
    QCOMPARE(std::get<2>(seen[2]), QStringLiteral("info"));
    QCOMPARE(std::get<0>(seen[3]), TMessageBox::Kind::Warning);
    QCOMPARE(std::get<0>(seen[4]), TMessageBox::Kind::Error);
}

void ToolkitTest::realMessageBoxesShowTextLiterally() {
    QWidget owner;
    owner.show();
    TMessageBox::setApplicationWindow(&owner);
    const QString text = QStringLiteral(
        "page.htm contains too many <SCRIPT> blocks.\n\nSecond "
        "paragraph & more.");
    QString shownText;
    QString shownCaption;
    Qt::TextFormat shownFormat = Qt::RichText;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    QWidget* shownOwner = nullptr;
    QMessageBox::StandardButton press = QMessageBox::No;
    auto answerWhenShown = [&] {
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shownText = box->text();
            shownCaption = box->windowTitle();
            shownFormat = box->textFormat();
            shownIcon = box->icon();
            shownOwner = box->parentWidget();
            box->button(box->standardButtons() & QMessageBox::Ok ? QMessageBox::Ok : press)
                ->click();
        });
    };

    answerWhenShown();
    TMessageBox::error(QStringLiteral("Compression error -5"), text);
    QCOMPARE(shownText, text);
    QCOMPARE(shownCaption, QStringLiteral("Compression error -5"));
    QCOMPARE(shownFormat, Qt::PlainText);
    QCOMPARE(shownIcon, QMessageBox::Critical);
    QCOMPARE(shownOwner, &owner);

    answerWhenShown();
    press = QMessageBox::No;
    QVERIFY(!TMessageBox::question(QStringLiteral("Q"), QStringLiteral("Overwrite?")));
    QCOMPARE(shownIcon, QMessageBox::Question);
    answerWhenShown();
    press = QMessageBox::Yes;
    QVERIFY(TMessageBox::question(QStringLiteral("Q"), QStringLiteral("Overwrite?")));
    TMessageBox::setApplicationWindow(nullptr);
}

// A path too long for the label keeps its start and its file name; the tooltip has it all.
void ToolkitTest::pathLabelKeepsBothEndsOfALongPath() {
    const QString path =
        QStringLiteral("/home/someone/projects/a rather long folder name/www/pages/index.html");
    TPathLabel label;
    label.setPath(path);
    label.setFixedWidth(label.fontMetrics().horizontalAdvance(path) / 2);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    const QString shown = label.shownText();
    QVERIFY2(shown.startsWith(QStringLiteral("/home/")), qPrintable(shown));
    QVERIFY2(shown.endsWith(QStringLiteral("index.html")), qPrintable(shown));
    QVERIFY(shown.contains(QChar(0x2026)));
    QCOMPARE(label.toolTip(), path);
    QCOMPARE(label.path(), path);
    label.setFixedWidth(label.sizeHint().width());
    QCOMPARE(label.shownText(), path);
}

// Check boxes, the rows of check lists and radio buttons on a dark palette (light text on
// dark grey, as dark desktop themes set it): the frame of an unchecked mark stands out from
// its background by at least 3:1 (the WCAG measure for controls), and the mark itself puts at
// least a dozen pixels at 4.5:1 against what was there before. On a light palette the style
// underneath draws as it always did (its white field shows the box), and its marks pass the
// second check.
void ToolkitTest::marksStayLegible_data() {
    QTest::addColumn<int>("element");
    QTest::addColumn<bool>("dark");
    const std::pair<const char*, QStyle::PrimitiveElement> elements[] = {
        {"check box", QStyle::PE_IndicatorCheckBox},
        {"check list row", QStyle::PE_IndicatorItemViewItemCheck},
        {"radio button", QStyle::PE_IndicatorRadioButton},
    };
    for (const auto& [name, element] : elements) {
        for (const bool dark : {true, false}) {
            QTest::addRow("%s, %s", name, dark ? "dark" : "light") << int(element) << dark;
        }
    }
}

void ToolkitTest::marksStayLegible() {
    QFETCH(int, element);
    QFETCH(bool, dark);
    TMarkStyle::install();
    QPalette palette = QApplication::palette();
    if (dark) {
        palette.setColor(QPalette::Window, QColor(0x31363b));
        palette.setColor(QPalette::WindowText, QColor(0xeff0f1));
        palette.setColor(QPalette::Base, QColor(0x232629));
        palette.setColor(QPalette::Text, QColor(0xeff0f1));
        palette.setColor(QPalette::Button, QColor(0x3b4045));
        palette.setColor(QPalette::ButtonText, QColor(0xeff0f1));
        palette.setColor(QPalette::Highlight, QColor(0x3daee9));
    }
    const auto primitive = QStyle::PrimitiveElement(element);
    // Rows of a check list stand on the field, the others on the window.
    const QColor background = palette.color(
        primitive == QStyle::PE_IndicatorItemViewItemCheck ? QPalette::Base : QPalette::Window);
    const QImage off = drawnMark(primitive, palette, background, false);
    const QImage on = drawnMark(primitive, palette, background, true);

    double frame = 1;
    int markPixels = 0;
    for (int y = 0; y < off.height(); ++y) {
        for (int x = 0; x < off.width(); ++x) {
            frame = std::max(frame, contrast(off.pixelColor(x, y), background));
            if (contrast(on.pixelColor(x, y), off.pixelColor(x, y)) >= 4.5) ++markPixels;
        }
    }
    if (dark) QVERIFY2(frame >= 3.0, qPrintable(QStringLiteral("frame contrast %1").arg(frame)));
    QVERIFY2(markPixels >= 12, qPrintable(QStringLiteral("%1 mark pixels").arg(markPixels)));
}

QTEST_MAIN(ToolkitTest)
#include "toolkit_test.moc"
