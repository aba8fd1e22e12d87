// The recent-files list: nine entries, newest first, "+" marking an empty slot.
#pragma once

#include <QString>
#include <QStringList>

class TSettingsFile;

class TRecentFiles {
  public:
    static constexpr int kSlots = 9;
    static constexpr QLatin1StringView kEmptySlot{"+"};

    TRecentFiles();

    // Reads "MRUFile1".."MRUFile9": an empty or already listed (ignoring case) value takes
    // its slot as "+", so the list always holds nine entries.
    void load(const TSettingsFile& settings);
    // A path already listed (ignoring case) changes nothing, not even its place; otherwise
    // it becomes entry 1 and entry 9 drops out.
    void add(const QString& path);
    // Rewrites the "Recent Files" section from entry 1, stopping at the first entry of two
    // characters or fewer, so nothing after an empty slot is written.
    void save(const TSettingsFile& settings) const;

    const QStringList& entries() const { return list; }
    bool contains(const QString& path) const;
    static bool isEmptySlot(const QString& entry) { return entry == kEmptySlot; }

  private:
    QStringList list;
};
