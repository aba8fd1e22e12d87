// Rules every front-end window follows when it is created: the font rule, the placement of
// secondary windows over the main window, the main window's remembered position, and the
// indentation of dependent controls.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;
class TSettingsFile;
struct TAppSettings;

namespace WindowRules {

// Displays with this many logical dots per inch or more have large fonts.
constexpr int kLargeFontDpi = 108;
// Distance kept from the screen edge when a centred window would not fit.
constexpr int kScreenMargin = 20;

bool isLargeFontDisplay(qreal logicalDpi);
// Regular (non-bold) type: on large-font displays, or when BoldFonts is off.
bool wantsRegularFonts(bool boldFonts, qreal logicalDpi);
// The logical dots per inch of a screen as the large-fonts rule counts them: Qt's logical dots
// per inch times the device pixel ratio. Qt 6 draws a 144-dpi display (Xft.dpi, QT_FONT_DPI)
// at a ratio of 1.5 and reports 96 logical dots per inch for it; a ratio of 2 doubles the type
// as 192 dots per inch would.
qreal displayDpi(qreal qtLogicalDpi, qreal devicePixelRatio);
// displayDpi of the active window's screen (the primary screen when there is no active
// window).
qreal activeLogicalDpi();
// The font rule: windows are drawn in bold type unless the rule asks for regular type.
void applyFontRule(QWidget* window, const TAppSettings& settings);

// Centres a window of windowSize over the main window, kept on a screen of screenSize.
QPoint placementOver(const QRect& mainWindow, const QSize& windowSize, const QSize& screenSize);
void placeOverMainWindow(QWidget* window, const QWidget* mainWindow);

// The main window's position from the stored values: a negative one centres the window on
// that axis, any other is used unchanged.
QPoint mainWindowPosition(int storedLeft, int storedTop, const QSize& windowSize,
                          const QSize& screenSize);
void readWindowPosition(QWidget* mainWindow, const TSettingsFile& settings);
// Writes MenuTop, then MenuLeft.
void writeWindowPosition(const QWidget* mainWindow, const TSettingsFile& settings);

// How far a control that only matters while the one above it is checked stands in.
constexpr int kDependentIndent = 22;
// The control in a holder that indents it by kDependentIndent, for adding to a layout.
QWidget* indented(QWidget* control);

}  // namespace WindowRules
