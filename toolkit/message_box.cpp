// Modal message boxes of the four kinds the program uses, owned by the application window,
// with one place where tests can take them over.
#include "toolkit/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<QWidget>& applicationWindow() {
    static QPointer<QWidget> window;
    return window;
}

TMessageBox::Interceptor& interceptor() {
    static TMessageBox::Interceptor current;
    return current;
}

QMessageBox::Icon iconFor(TMessageBox::Kind kind) {
    switch (kind) {
        case TMessageBox::Kind::Question:
            return QMessageBox::Question;
        case TMessageBox::Kind::Information:
            return QMessageBox::Information;
        case TMessageBox::Kind::Warning:
            return QMessageBox::Warning;
        case TMessageBox::Kind::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

bool TMessageBox::question(const QString& caption, const QString& text, QWidget* owner,
                           Default defaultButton) {
    return show(Kind::Question, caption, text, owner, defaultButton);
}

void TMessageBox::information(const QString& caption, const QString& text, QWidget* owner) {
    show(Kind::Information, caption, text, owner);
}

void TMessageBox::warning(const QString& caption, const QString& text, QWidget* owner) {
    show(Kind::Warning, caption, text, owner);
}

void TMessageBox::error(const QString& caption, const QString& text, QWidget* owner) {
    show(Kind::Error, caption, text, owner);
}

void TMessageBox::setApplicationWindow(QWidget* window) { applicationWindow() = window; }

TMessageBox::Interceptor TMessageBox::setInterceptor(Interceptor replacement) {
    Interceptor previous = std::move(interceptor());
    interceptor() = std::move(replacement);
    return previous;
}

bool TMessageBox::show(Kind kind, const QString& caption, const QString& text, QWidget* owner,
                       Default defaultButton) {
    if (interceptor()) return interceptor()(kind, caption, text);
    if (!owner) owner = applicationWindow();
    if (!owner) owner = QApplication::activeWindow();

    const bool isQuestion = kind == Kind::Question;
    QMessageBox box(iconFor(kind), caption, text,
                    isQuestion ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    // Texts name tags such as "<SCRIPT>"; as rich text they would vanish from the box.
    box.setTextFormat(Qt::PlainText);
    if (isQuestion) {
        box.setDefaultButton(defaultButton == Default::No ? QMessageBox::No : QMessageBox::Yes);
    }
    return box.exec() == QMessageBox::Yes;
}
