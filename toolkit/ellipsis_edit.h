// A read-only text field with a "..." button beside it that asks for a new value.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TEllipsisEdit : public QWidget {
    Q_OBJECT

  public:
    explicit TEllipsisEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    QLineEdit* lineEdit() const { return textLineEdit; }
    QToolButton* ellipsisButton() const { return browseToolButton; }

  signals:
    // The "..." button was pressed; the owner picks the value and calls setText.
    void ellipsisClicked();

  private:
    QLineEdit* textLineEdit;
    QToolButton* browseToolButton;
};
