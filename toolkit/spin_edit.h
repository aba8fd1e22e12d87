// A number field with up and down steps whose text stays exactly as typed until its owner
// reads it, so that an empty or out-of-range entry can be told apart when the field is left.
#pragma once

#include <QAbstractSpinBox>

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT

  public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // The range the steps keep to; typed text may lie outside it.
    void setRange(int minimum, int maximum);
    void setSingleStep(int step);
    // Typing accepts digits only, at most this many.
    void setMaxDigits(int digits);

    void setText(const QString& text);
    // The text as a number; empty text or text that is no number gives 0.
    int value() const;

    void stepBy(int steps) override;
    // Wide enough for the largest number of digits.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    // Only a field that has the focus turns with the wheel, so that a value never changes
    // in a field the user is not in (the owner reads the field when it is left).
    void wheelEvent(QWheelEvent* event) override;

  private:
    int minimumValue = 0;
    int maximumValue = 99;
    int singleStepValue = 1;
    int maxDigits = 2;
};
