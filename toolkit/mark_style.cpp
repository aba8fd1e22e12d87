// Check marks and radio dots that stay legible on dark palettes.
#include "toolkit/mark_style.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

#include <algorithm>

#include "toolkit/style_layers.h"

namespace {

// Qt's own styles whose marks fade on a dark palette.
constexpr const char* kWrappedStyles[] = {"fusion", "windows"};

QColor blend(const QColor& a, const QColor& b, qreal share) {
    return QColor::fromRgbF(a.redF() * share + b.redF() * (1 - share),
                            a.greenF() * share + b.greenF() * (1 - share),
                            a.blueF() * share + b.blueF() * (1 - share));
}

struct MarkColors {
    QColor field;
    QColor frame;
    QColor mark;
};

MarkColors markColors(const QStyleOption& option) {
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QColor field = option.palette.color(group, QPalette::Base);
    const QColor text = option.palette.color(group, QPalette::Text);
    const bool pressed = option.state & QStyle::State_Sunken;
    const bool focused = (option.state & QStyle::State_HasFocus) &&
                         (option.state & QStyle::State_KeyboardFocusChange);
    return {pressed ? blend(text, field, 0.2) : field,
            focused ? option.palette.color(group, QPalette::Highlight) : blend(text, field, 0.6),
            text};
}

// The square the mark is drawn in: the largest one centred in rect.
QRectF markSquare(const QRect& rect) {
    const qreal side = std::min(rect.width(), rect.height()) - 1;
    return {rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0,
            side, side};
}

void drawCheck(const QStyleOption& option, QPainter* painter) {
    const MarkColors colors = markColors(option);
    const QRectF box = markSquare(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal side = box.width();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(colors.frame, 1));
    painter->setBrush(colors.field);
    painter->drawRoundedRect(box, side * 0.12, side * 0.12);

    const QPen markPen(colors.mark, std::max<qreal>(1.6, side * 0.16), Qt::SolidLine, Qt::RoundCap,
                       Qt::RoundJoin);
    painter->setPen(markPen);
    painter->setBrush(Qt::NoBrush);
    const auto at = [&](qreal x, qreal y) {
        return QPointF(box.left() + x * side, box.top() + y * side);
    };
    if (option.state & QStyle::State_NoChange) {
        painter->drawLine(at(0.25, 0.5), at(0.75, 0.5));
    } else if (option.state & QStyle::State_On) {
        QPainterPath tick;
        tick.moveTo(at(0.22, 0.52));
        tick.lineTo(at(0.42, 0.72));
        tick.lineTo(at(0.78, 0.28));
        painter->drawPath(tick);
    }
    painter->restore();
}

void drawRadio(const QStyleOption& option, QPainter* painter) {
    const MarkColors colors = markColors(option);
    const QRectF circle = markSquare(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(colors.frame, 1));
    painter->setBrush(colors.field);
    painter->drawEllipse(circle);
    if (option.state & QStyle::State_On) {
        const qreal inset = circle.width() * 0.27;
        painter->setPen(Qt::NoPen);
        painter->setBrush(colors.mark);
        painter->drawEllipse(circle.adjusted(inset, inset, -inset, -inset));
    }
    painter->restore();
}

}  // namespace

TMarkStyle::TMarkStyle(QStyle* base) : QProxyStyle(base) {}

bool TMarkStyle::isDark(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < palette.color(QPalette::Text).lightness();
}

void TMarkStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    if (option && isDark(option->palette)) {
        switch (element) {
            case PE_IndicatorCheckBox:
            case PE_IndicatorItemViewItemCheck:
                drawCheck(*option, painter);
                return;
            case PE_IndicatorRadioButton:
                drawRadio(*option, painter);
                return;
            default:
                break;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TMarkStyle::install() {
    if (StyleLayers::has<TMarkStyle>()) return;
    const QString key = StyleLayers::bottom()->name().toLower();
    for (const char* wrapped : kWrappedStyles) {
        if (key == QLatin1String(wrapped)) {
            StyleLayers::push<TMarkStyle>();
            return;
        }
    }
}
