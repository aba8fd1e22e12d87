// A read-only text field with a "..." button beside it that asks for a new value.
#include "toolkit/ellipsis_edit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

TEllipsisEdit::TEllipsisEdit(QWidget* parent)
    : QWidget(parent), textLineEdit(new QLineEdit(this)), browseToolButton(new QToolButton(this)) {
    textLineEdit->setReadOnly(true);
    browseToolButton->setText(QStringLiteral("..."));
    browseToolButton->setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(textLineEdit, 1);
    layout->addWidget(browseToolButton);

    // A label's buddy shortcut lands on the text, as it would on a plain field.
    setFocusProxy(textLineEdit);
    connect(browseToolButton, &QToolButton::clicked, this, &TEllipsisEdit::ellipsisClicked);
}

QString TEllipsisEdit::text() const { return textLineEdit->text(); }

void TEllipsisEdit::setText(const QString& text) {
    textLineEdit->setText(text);
    textLineEdit->setCursorPosition(0);
}
