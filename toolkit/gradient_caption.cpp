// A heading bar that shades from a deep colour to a light one, with its text on top.
#include "toolkit/gradient_caption.h"

#include <QLinearGradient>
#include <QPainter>

namespace {
constexpr int kPadding = 6;
}

TGradientCaption::TGradientCaption(const QString& text, QWidget* parent)
    : QWidget(parent), captionText(text) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont captionFont = font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.15);
    setFont(captionFont);
}

void TGradientCaption::setText(const QString& text) {
    captionText = text;
    updateGeometry();
    update();
}

void TGradientCaption::setColors(const QColor& start, const QColor& end) {
    startColor = start;
    endColor = end;
    update();
}

QSize TGradientCaption::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(captionText) + 4 * kPadding, metrics.height() + 2 * kPadding};
}

QSize TGradientCaption::minimumSizeHint() const { return {4 * kPadding, sizeHint().height()}; }

void TGradientCaption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    gradient.setColorAt(0.0, startColor);
    gradient.setColorAt(1.0, endColor);
    painter.fillRect(rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(2 * kPadding, 0, -kPadding, 0),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, captionText);
}
