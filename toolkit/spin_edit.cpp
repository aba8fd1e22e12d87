// A number field with up and down steps whose text stays exactly as typed until its owner
// reads it.
#include "toolkit/spin_edit.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QWheelEvent>

#include <algorithm>

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMaxDigits(maxDigits);
}

void TSpinEdit::setRange(int minimum, int maximum) {
    minimumValue = minimum;
    maximumValue = std::max(minimum, maximum);
}

void TSpinEdit::setSingleStep(int step) { singleStepValue = std::max(1, step); }

void TSpinEdit::setMaxDigits(int digits) {
    maxDigits = std::max(1, digits);
    lineEdit()->setMaxLength(maxDigits);
}

void TSpinEdit::setText(const QString& text) { lineEdit()->setText(text); }

int TSpinEdit::value() const {
    bool isNumber = false;
    const int number = text().toInt(&isNumber);
    return isNumber ? number : 0;
}

void TSpinEdit::stepBy(int steps) {
    const long long next = static_cast<long long>(value()) + 1LL * steps * singleStepValue;
    const long long bounded = std::clamp<long long>(next, minimumValue, maximumValue);
    lineEdit()->setText(QString::number(bounded));
    lineEdit()->selectAll();
}

QSize TSpinEdit::sizeHint() const {
    ensurePolished();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    // One digit more than the field holds leaves room for the cursor and the frame's margins.
    const QSize text(fontMetrics().horizontalAdvance(QString(maxDigits + 1, u'9')),
                     lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QSize TSpinEdit::minimumSizeHint() const { return sizeHint(); }

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    StepEnabled enabled = StepNone;
    if (value() < maximumValue) enabled |= StepUpEnabled;
    if (value() > minimumValue) enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State TSpinEdit::validate(QString& input, int&) const {
    if (input.size() > maxDigits) return QValidator::Invalid;
    for (const QChar c : input) {
        if (c < u'0' || c > u'9') return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void TSpinEdit::fixup(QString&) const {}

void TSpinEdit::wheelEvent(QWheelEvent* event) {
    if (hasFocus()) {
        QAbstractSpinBox::wheelEvent(event);
    } else {
        event->ignore();
    }
}
