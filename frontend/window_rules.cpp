// Rules every front-end window follows when it is created: the font rule, the placement of
// secondary windows over the main window, and the main window's remembered position.
#include "frontend/window_rules.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QWidget>

#include "frontend/app_settings.h"
#include "frontend/settings_file.h"

namespace WindowRules {
namespace {

// One axis of the placement rule.
int placeOnAxis(int mainStart, int mainExtent, int windowExtent, int screenExtent) {
    int start = mainStart + (mainExtent - windowExtent) / 2;
    if (start + windowExtent > screenExtent) start = screenExtent - windowExtent - kScreenMargin;
    if (start < 0) start = kScreenMargin;
    return start;
}

QSize screenSizeOf(const QWidget* window) {
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

}  // namespace

bool isLargeFontDisplay(qreal logicalDpi) { return logicalDpi >= kLargeFontDpi; }

bool wantsRegularFonts(bool boldFonts, qreal logicalDpi) {
    return isLargeFontDisplay(logicalDpi) || !boldFonts;
}

qreal displayDpi(qreal qtLogicalDpi, qreal devicePixelRatio) {
    return qtLogicalDpi * devicePixelRatio;
}

qreal activeLogicalDpi() {
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active ? active->screen() : QGuiApplication::primaryScreen();
    return screen ? displayDpi(screen->logicalDotsPerInch(), screen->devicePixelRatio()) : 96.0;
}

void applyFontRule(QWidget* window, const TAppSettings& settings) {
    QFont font = window->font();
    font.setBold(!wantsRegularFonts(settings.boldFonts, activeLogicalDpi()));
    window->setFont(font);
}

QPoint placementOver(const QRect& mainWindow, const QSize& windowSize, const QSize& screenSize) {
    return {
        placeOnAxis(mainWindow.left(), mainWindow.width(), windowSize.width(), screenSize.width()),
        placeOnAxis(mainWindow.top(), mainWindow.height(), windowSize.height(),
                    screenSize.height())};
}

void placeOverMainWindow(QWidget* window, const QWidget* mainWindow) {
    if (!mainWindow) return;
    // A window not sized by its owner takes the size it would get when shown.
    if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();
    window->move(
        placementOver(mainWindow->frameGeometry(), window->size(), screenSizeOf(mainWindow)));
}

QPoint mainWindowPosition(int storedLeft, int storedTop, const QSize& windowSize,
                          const QSize& screenSize) {
    return {storedLeft < 0 ? (screenSize.width() - windowSize.width()) / 2 : storedLeft,
            storedTop < 0 ? (screenSize.height() - windowSize.height()) / 2 : storedTop};
}

void readWindowPosition(QWidget* mainWindow, const TSettingsFile& settings) {
    const int left = settings.readInt(Ini::kWindowPositions, Ini::kMenuLeft, -1);
    const int top = settings.readInt(Ini::kWindowPositions, Ini::kMenuTop, -1);
    mainWindow->move(mainWindowPosition(left, top, mainWindow->size(), screenSizeOf(mainWindow)));
}

void writeWindowPosition(const QWidget* mainWindow, const TSettingsFile& settings) {
    settings.writeInt(Ini::kWindowPositions, Ini::kMenuTop, mainWindow->pos().y());
    settings.writeInt(Ini::kWindowPositions, Ini::kMenuLeft, mainWindow->pos().x());
}

QWidget* indented(QWidget* control) {
    auto* holder = new QWidget(control->parentWidget());
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(kDependentIndent, 0, 0, 0);
    layout->addWidget(control);
    return holder;
}

}  // namespace WindowRules
