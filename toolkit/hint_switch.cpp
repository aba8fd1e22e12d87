// The one switch that turns balloon hints on or off in every window, and the check box that
// shows it.
#include "toolkit/hint_switch.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QToolTip>

#include "toolkit/style_layers.h"

namespace {

// Qt takes the pause before a hint from the style, so the delay is set through a thin style
// layer over whatever style the application uses.
class HintTimingStyle : public QProxyStyle {
  public:
    explicit HintTimingStyle(QStyle* base) : QProxyStyle(base) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return THintSwitch::instance()->showDelay();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

THintSwitch* THintSwitch::instance() {
    static QPointer<THintSwitch> theSwitch;
    if (!theSwitch) theSwitch = new THintSwitch(QCoreApplication::instance());
    return theSwitch;
}

THintSwitch::THintSwitch(QObject* parent) : QObject(parent) {
    if (parent) parent->installEventFilter(this);
}

void THintSwitch::setTimings(int showDelay, int displayTime) {
    showDelayMs = showDelay;
    displayMs = displayTime;
    if (!StyleLayers::has<HintTimingStyle>()) StyleLayers::push<HintTimingStyle>();
}

void THintSwitch::setOn(bool hintsOn) {
    if (!hintsOn) QToolTip::hideText();
    if (on == hintsOn) return;
    on = hintsOn;
    emit switched(on);
}

bool THintSwitch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
    if (!on) return true;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->toolTip().isEmpty()) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), displayMs);
    return true;
}

THintsCheckBox::THintsCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {
    THintSwitch* hints = THintSwitch::instance();
    setChecked(hints->isOn());
    connect(this, &QCheckBox::toggled, hints, &THintSwitch::setOn);
    connect(hints, &THintSwitch::switched, this, &QCheckBox::setChecked);
}
