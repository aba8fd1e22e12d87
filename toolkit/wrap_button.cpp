// Check boxes and radio buttons whose captions wrap onto several lines at word boundaries.
#include "toolkit/wrap_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace WrapButton {
namespace {

constexpr int kTextFlags = Qt::TextWordWrap | Qt::TextShowMnemonic;
constexpr int kFocusMargin = 1;

// The button's mark sits beside the first line of the caption, however many lines follow.
QRect markRowRect(const QWidget* button, const Metrics& metrics) {
    const int rowHeight = std::max(metrics.markHeight, button->fontMetrics().height());
    return {0, 0, button->width(), rowHeight};
}

template <class Button>
void paintWrapped(Button* button, QStyleOptionButton& option, QStyle::ControlElement element,
                  const Metrics& metrics) {
    QStylePainter painter(button);
    const QString caption = option.text;
    const bool focused = option.state & QStyle::State_HasFocus;
    // The style draws the mark alone; the caption is drawn below with wrapping.
    option.text.clear();
    option.state &= ~QStyle::State_HasFocus;
    option.rect = markRowRect(button, metrics);
    painter.drawControl(element, option);

    const QRect text = textRect(button, metrics);
    painter.drawItemText(text, kTextFlags | Qt::AlignLeft | Qt::AlignTop, button->palette(),
                         button->isEnabled(), caption, QPalette::WindowText);
    if (focused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(button);
        focus.rect = button->fontMetrics()
                         .boundingRect(text, kTextFlags | Qt::AlignLeft | Qt::AlignTop, caption)
                         .adjusted(-kFocusMargin, 0, kFocusMargin, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace

Metrics checkBoxMetrics(const QWidget* button) {
    const QStyle* style = button->style();
    return {style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button),
            style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, button),
            style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button)};
}

Metrics radioButtonMetrics(const QWidget* button) {
    const QStyle* style = button->style();
    return {style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button),
            style->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, button),
            style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button)};
}

QSize sizeFor(const QWidget* button, const Metrics& metrics, const QString& text, int width) {
    const int textWidth = std::max(1, width - metrics.markWidth - metrics.spacing);
    const QRect bounds = button->fontMetrics().boundingRect(QRect(0, 0, textWidth, 1 << 16),
                                                            kTextFlags | Qt::AlignLeft, text);
    return {metrics.markWidth + metrics.spacing + bounds.width() + 2 * kFocusMargin,
            std::max(metrics.markHeight, bounds.height())};
}

QRect textRect(const QWidget* button, const Metrics& metrics) {
    const int left = metrics.markWidth + metrics.spacing + kFocusMargin;
    const int rowHeight = markRowRect(button, metrics).height();
    // The first line is centred on the mark, as a one-line caption would be.
    const int top = std::max(0, (rowHeight - button->fontMetrics().height()) / 2);
    return {left, top, std::max(1, button->width() - left - kFocusMargin), button->height() - top};
}

}  // namespace WrapButton

TWrapCheckBox::TWrapCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QSize TWrapCheckBox::sizeHint() const {
    return WrapButton::sizeFor(this, WrapButton::checkBoxMetrics(this), text(),
                               WrapButton::kPreferredTextWidth);
}

QSize TWrapCheckBox::minimumSizeHint() const {
    return {WrapButton::checkBoxMetrics(this).markWidth, sizeHint().height()};
}

int TWrapCheckBox::heightForWidth(int width) const {
    return WrapButton::sizeFor(this, WrapButton::checkBoxMetrics(this), text(), width).height();
}

void TWrapCheckBox::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    WrapButton::paintWrapped(this, option, QStyle::CE_CheckBox, WrapButton::checkBoxMetrics(this));
}

// The whole button, caption lines included, takes clicks.
bool TWrapCheckBox::hitButton(const QPoint& pos) const { return rect().contains(pos); }

TWrapRadioButton::TWrapRadioButton(const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QSize TWrapRadioButton::sizeHint() const {
    return WrapButton::sizeFor(this, WrapButton::radioButtonMetrics(this), text(),
                               WrapButton::kPreferredTextWidth);
}

QSize TWrapRadioButton::minimumSizeHint() const {
    return {WrapButton::radioButtonMetrics(this).markWidth, sizeHint().height()};
}

int TWrapRadioButton::heightForWidth(int width) const {
    return WrapButton::sizeFor(this, WrapButton::radioButtonMetrics(this), text(), width).height();
}

void TWrapRadioButton::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    WrapButton::paintWrapped(this, option, QStyle::CE_RadioButton,
                             WrapButton::radioButtonMetrics(this));
}

bool TWrapRadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }
