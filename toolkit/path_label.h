// A one-line label for a file path: a path too long for the label loses its middle to an
// ellipsis, so the folder's start and the file name both stay in view; the whole path is the
// label's tooltip.
#pragma once

#include <QString>
#include <QWidget>

class TPathLabel : public QWidget {
    Q_OBJECT

  public:
    explicit TPathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const { return fullPath; }
    // The text as drawn at the label's present width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString fullPath;
};
