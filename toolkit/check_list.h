// A list of captioned rows, each with its own check mark and its own change notice.
#pragma once

#include <QListWidget>

class TCheckList : public QListWidget {
    Q_OBJECT

  public:
    explicit TCheckList(QWidget* parent = nullptr);

    // Appends a row and returns its index. Filling the list sends no notice.
    int addRow(const QString& caption, bool checked = false);
    bool isRowChecked(int row) const;
    // Sets a row's mark from the program's side: no rowToggled notice follows.
    void setRowChecked(int row, bool checked);

  signals:
    // The user changed the mark of one row (mouse or space bar).
    void rowToggled(int row, bool checked);

  private:
    void noticeChange(QListWidgetItem* item);

    bool settingRows = false;
};
