// TMainMnu: the program's main window. Its creation loads the settings and restores what the
// last run left; closing it saves the recent-files list and the window position.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TAppContext;
class THintsCheckBox;

class TMainMnu : public QWidget {
    Q_OBJECT

  public:
    explicit TMainMnu(TAppContext& context, QWidget* parent = nullptr);

    TAppContext& appContext() const { return context; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void showFirstRunWindow();
    void showHelp();

  private:
    void createWidgets();
    void showCurrentDocument();
    void showOutputDirectory();

    TAppContext& context;
    bool shownBefore = false;

    QLabel* documentLabel;
    QLineEdit* documentLineEdit;
    QLabel* outputDirLabel;
    QLineEdit* outputDirLineEdit;
    THintsCheckBox* hintsCheckBox;
    QPushButton* helpPushButton;
    QPushButton* exitPushButton;
};
