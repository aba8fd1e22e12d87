// Check boxes and radio buttons whose captions wrap onto several lines at word boundaries, for
// captions that are whole sentences.
#pragma once

#include <QCheckBox>
#include <QRadioButton>

namespace WrapButton {

// The width the caption wraps to unless the layout gives the button another.
constexpr int kPreferredTextWidth = 380;

// How one kind of button lays out its mark and caption.
struct Metrics {
    int markWidth;
    int markHeight;
    int spacing;
};

Metrics checkBoxMetrics(const QWidget* button);
Metrics radioButtonMetrics(const QWidget* button);
QSize sizeFor(const QWidget* button, const Metrics& metrics, const QString& text, int width);
// Where the caption goes inside a button of the given metrics.
QRect textRect(const QWidget* button, const Metrics& metrics);

}  // namespace WrapButton

class TWrapCheckBox : public QCheckBox {
    Q_OBJECT

  public:
    explicit TWrapCheckBox(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

class TWrapRadioButton : public QRadioButton {
    Q_OBJECT

  public:
    explicit TWrapRadioButton(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
