// The toolkit pieces: check list notices, the ellipsis field, the hint switch, file drops and
// the message boxes.
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include "toolkit/check_list.h"
#include "toolkit/ellipsis_edit.h"
#include "toolkit/file_drop_watcher.h"
#include "toolkit/hint_switch.h"
#include "toolkit/message_box.h"

class ToolkitTest : public QObject {
    Q_OBJECT

  private slots:
    void checkListNoticesOnlyUserToggles();
    void ellipsisEditAsksThroughItsButton();
    void hintSwitchRulesEveryWindowAndItsBoxes();
    void fileDropHandsOverTheFirstLocalPath();
    void messageBoxesGoThroughTheInterceptor();
    void realMessageBoxesShowTextLiterally();
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

QTEST_MAIN(ToolkitTest)
#include "toolkit_test.moc"
