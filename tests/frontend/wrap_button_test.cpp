// Check boxes and radio buttons with wrapping captions: they grow downwards when narrow, the
// whole caption takes clicks, and the caption's accelerator still works.
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "frontend_test_support.h"
#include "toolkit/wrap_button.h"

namespace {
const QString kSentence = QStringLiteral(
    "&Prompt before overwriting either an existing backup or the original copy of a document");
}

class WrapButtonTest : public QObject {
    Q_OBJECT

  private slots:
    void narrowButtonsWrapOntoMoreLines();
    void theWholeCaptionTakesClicks();
    void acceleratorTogglesTheBox();
};

void WrapButtonTest::narrowButtonsWrapOntoMoreLines() {
    TWrapCheckBox box(kSentence);
    TWrapRadioButton radio(kSentence);
    for (const QAbstractButton* button :
         {static_cast<QAbstractButton*>(&box), static_cast<QAbstractButton*>(&radio)}) {
        const int lineHeight = button->fontMetrics().height();
        const int wide = button->heightForWidth(4000);
        const int narrow = button->heightForWidth(160);
        QVERIFY(wide < 2 * lineHeight);
        QVERIFY(narrow >= 3 * lineHeight);
        QCOMPARE(button->sizeHint().height(), button->heightForWidth(button->sizeHint().width()));
        // A caption's own line break stays a line break.
        QVERIFY(TWrapCheckBox(QStringLiteral("one\ntwo")).heightForWidth(4000) >= 2 * lineHeight);
    }
}

void WrapButtonTest::theWholeCaptionTakesClicks() {
    TWrapCheckBox boxWindow(kSentence);
    TWrapCheckBox* box = &boxWindow;
    box->resize(200, box->heightForWidth(200));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QVERIFY(box->height() >= 3 * box->fontMetrics().height());
    QSignalSpy clicked(box, &QCheckBox::clicked);
    // Near the end of the last line, far from the mark.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, box->height() - 3));
    QCOMPARE(clicked.count(), 1);
    QVERIFY(box->isChecked());
}

void WrapButtonTest::acceleratorTogglesTheBox() {
    QWidget window;
    auto* box = new TWrapCheckBox(kSentence, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(box);
    window.show();
    QVERIFY(FrontendTest::activate(&window));
    QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
    // An accelerator presses the button the way a click does, after a short press animation.
    QTRY_VERIFY(box->isChecked());
}

QTEST_MAIN(WrapButtonTest)
#include "wrap_button_test.moc"
