// Check marks and radio dots that stay legible on dark palettes. Qt's own Fusion style draws
// them in a dimmed text colour, small, inside a frame darker than the window, so on a dark
// theme the frame vanishes and the mark nearly does. On a dark palette this style draws the
// frames in a colour between text and field, and the marks at full text colour and a
// stronger size; on a light palette it leaves everything to the style it wraps.
#pragma once

#include <QProxyStyle>

class TMarkStyle : public QProxyStyle {
    Q_OBJECT

  public:
    // Wraps base, and takes it over.
    explicit TMarkStyle(QStyle* base);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // Whether a palette is dark: light text on a dark field.
    static bool isDark(const QPalette& palette);
    // Puts this style over the application's style, where that is one of Qt's own styles
    // that needs it (Fusion, Windows); other styles are left alone. Once is enough.
    static void install();
};
