// The settings file Tagsqueeze.ini, opened afresh for every read and write through the
// private-profile code.
#include "frontend/settings_file.h"

#include <QFile>
#include <QFileInfo>

#include "platform/profile.h"

namespace {

// Paths and values travel as the file system's bytes, the form the engine reads too.
std::string bytesOf(const QString& text) { return QFile::encodeName(text).toStdString(); }

}  // namespace

bool TSettingsFile::exists() const { return QFileInfo(filePath).isFile(); }

int32_t TSettingsFile::readInt(const char* section, const char* key, int32_t defaultValue) const {
    return tsqz::platform::ReadProfileInt(bytesOf(filePath), section, key, defaultValue);
}

QString TSettingsFile::readText(const char* section, const char* key, int maxLength) const {
    const std::string value = tsqz::platform::ReadProfileString(bytesOf(filePath), section, key, "",
                                                                static_cast<size_t>(maxLength));
    return QFile::decodeName(QByteArray::fromStdString(value));
}

bool TSettingsFile::writeText(const char* section, const char* key, const QString& value) const {
    return tsqz::platform::WriteProfileString(bytesOf(filePath), section, key, bytesOf(value));
}

bool TSettingsFile::writeInt(const char* section, const char* key, int32_t value) const {
    return writeText(section, key, QString::number(value));
}

bool TSettingsFile::removeKey(const char* section, const char* key) const {
    return tsqz::platform::DeleteProfileKey(bytesOf(filePath), section, key);
}

bool TSettingsFile::removeSection(const char* section) const {
    return tsqz::platform::DeleteProfileSection(bytesOf(filePath), section);
}
