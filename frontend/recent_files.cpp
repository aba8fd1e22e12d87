// The recent-files list: nine entries, newest first, "+" marking an empty slot.
#include "frontend/recent_files.h"

#include "frontend/settings_file.h"

namespace {

QByteArray slotKey(int slot) { return Ini::kMruFilePrefix + QByteArray::number(slot); }

// Entries this short are taken as the end of the list when saving ("+" and stray letters).
constexpr int kShortestSavedEntry = 3;

}  // namespace

TRecentFiles::TRecentFiles() {
    for (int slot = 0; slot < kSlots; ++slot)
        list.append(kEmptySlot);
}

bool TRecentFiles::contains(const QString& path) const {
    return list.contains(path, Qt::CaseInsensitive);
}

void TRecentFiles::load(const TSettingsFile& settings) {
    list.clear();
    for (int slot = 1; slot <= kSlots; ++slot) {
        const QString value =
            settings.readText(Ini::kRecentFiles, slotKey(slot).constData(), Ini::kPathLength);
        list.append(value.isEmpty() || contains(value) ? QString(kEmptySlot) : value);
    }
}

void TRecentFiles::add(const QString& path) {
    if (contains(path)) return;
    list.removeLast();
    list.prepend(path);
}

void TRecentFiles::save(const TSettingsFile& settings) const {
    settings.removeSection(Ini::kRecentFiles);
    for (int index = 0; index < list.size(); ++index) {
        if (list[index].size() < kShortestSavedEntry) break;
        settings.writeText(Ini::kRecentFiles, slotKey(index + 1).constData(), list[index]);
    }
}
