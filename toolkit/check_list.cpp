// A list of captioned rows, each with its own check mark and its own change notice.
#include "toolkit/check_list.h"

namespace {
// The mark each row had at the last notice; itemChanged fires for caption edits too, and
// those must not look like a toggle.
constexpr int kLastMarkRole = Qt::UserRole + 1;
}  // namespace

TCheckList::TCheckList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemChanged, this, &TCheckList::noticeChange);
}

int TCheckList::addRow(const QString& caption, bool checked) {
    settingRows = true;
    auto* item = new QListWidgetItem(caption, this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setData(kLastMarkRole, checked);
    settingRows = false;
    return row(item);
}

bool TCheckList::isRowChecked(int row) const {
    const QListWidgetItem* rowItem = item(row);
    return rowItem && rowItem->checkState() == Qt::Checked;
}

void TCheckList::setRowChecked(int row, bool checked) {
    QListWidgetItem* rowItem = item(row);
    if (!rowItem) return;
    settingRows = true;
    rowItem->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    rowItem->setData(kLastMarkRole, checked);
    settingRows = false;
}

void TCheckList::noticeChange(QListWidgetItem* changed) {
    if (settingRows) return;
    const bool checked = changed->checkState() == Qt::Checked;
    if (changed->data(kLastMarkRole).toBool() == checked) return;
    settingRows = true;
    changed->setData(kLastMarkRole, checked);
    settingRows = false;
    emit rowToggled(row(changed), checked);
}
