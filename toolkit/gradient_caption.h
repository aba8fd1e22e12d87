// A heading bar that shades from a deep colour to a light one, with its text on top.
#pragma once

#include <QColor>
#include <QWidget>

class TGradientCaption : public QWidget {
    Q_OBJECT

  public:
    explicit TGradientCaption(const QString& text = {}, QWidget* parent = nullptr);

    QString text() const { return captionText; }
    void setText(const QString& text);
    void setColors(const QColor& start, const QColor& end);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString captionText;
    QColor startColor{0x00, 0x00, 0x80};
    QColor endColor{0x10, 0x84, 0xd0};
};
