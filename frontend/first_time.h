// TFirstTime: the welcome window shown once, the first time the program runs.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TAppContext;
class TGradientCaption;

class TFirstTime : public QDialog {
    Q_OBJECT

  public:
    // Creating the window records UsedOnce at once, so it never shows again even when this
    // run ends abnormally.
    TFirstTime(TAppContext& context, QWidget* mainWindow);

    QString headingText() const;
    QStringList paragraphTexts() const;
    QPushButton* okButton() const { return okPushButton; }

  private:
    TGradientCaption* headingCaption;
    QList<QLabel*> paragraphLabels;
    QPushButton* okPushButton;
};
