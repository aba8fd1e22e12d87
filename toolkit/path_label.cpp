// A one-line label for a file path, elided in the middle, with the whole path as its tooltip.
#include "toolkit/path_label.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {
// Room for a few characters at each end of an elided path.
constexpr int kMinimumCharacters = 12;
}  // namespace

TPathLabel::TPathLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TPathLabel::setPath(const QString& path) {
    fullPath = path;
    setToolTip(path);
    updateGeometry();
    update();
}

QString TPathLabel::shownText() const {
    return fontMetrics().elidedText(fullPath, Qt::ElideMiddle, contentsRect().width());
}

QSize TPathLabel::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(fullPath), metrics.height()};
}

QSize TPathLabel::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * kMinimumCharacters, metrics.height()};
}

void TPathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
                          option.palette, isEnabled(), shownText(), QPalette::WindowText);
}
