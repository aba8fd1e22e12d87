// The system's open command for text files: the desktop entry that the MIME database names
// as the default for text/plain, cut just before its first "%".
#include "frontend/text_open_command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace TextOpenCommand {
namespace {

constexpr int kQueryTimeoutMs = 5000;
// An id with more dashes than this is tried only as written and with every dash a folder
// separator: real ids have a handful, and each dash doubles the candidates.
constexpr int kMaxDashesTried = 8;

// The escapes a desktop entry's string values may carry.
QString unescapeValue(const QString& value) {
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
            case 's':
                plain += u' ';
                break;
            case 'n':
                plain += u'\n';
                break;
            case 't':
                plain += u'\t';
                break;
            case 'r':
                plain += u'\r';
                break;
            default:
                plain += next;  // "\\" and any other escaped character stand for themselves
        }
    }
    return plain;
}

QStringList candidateFileNames(const QString& desktopId) {
    QList<qsizetype> dashes;
    for (qsizetype i = 0; i < desktopId.size(); ++i) {
        if (desktopId[i] == u'-') dashes.append(i);
    }
    QStringList names{desktopId};
    if (dashes.isEmpty()) return names;
    if (dashes.size() > kMaxDashesTried) {
        QString allFolders = desktopId;
        allFolders.replace(u'-', u'/');
        names.append(allFolders);
        return names;
    }
    for (quint32 mask = 1; mask < (1u << dashes.size()); ++mask) {
        QString name = desktopId;
        for (qsizetype bit = 0; bit < dashes.size(); ++bit) {
            if (mask & (1u << bit)) name[dashes[bit]] = u'/';
        }
        names.append(name);
    }
    return names;
}

}  // namespace

QStringList applicationDirectories() {
    QStringList bases;
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    bases.append(dataHome.startsWith(u'/') ? dataHome
                                           : QDir::homePath() + QStringLiteral("/.local/share"));
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : dataDirs.split(u':', Qt::SkipEmptyParts)) {
        if (dir.startsWith(u'/')) bases.append(dir);
    }
    QStringList directories;
    for (const QString& base : bases)
        directories.append(base + QStringLiteral("/applications"));
    return directories;
}

QString findDesktopEntry(const QString& desktopId, const QStringList& directories) {
    if (desktopId.isEmpty() || desktopId.contains(u'/') || desktopId.startsWith(u'.')) return {};
    const QStringList names = candidateFileNames(desktopId);
    for (const QString& directory : directories) {
        for (const QString& name : names) {
            const QString path = directory + u'/' + name;
            if (QFileInfo(path).isFile()) return path;
        }
    }
    return {};
}

QString commandFromDesktopEntry(const QByteArray& contents) {
    const QStringList lines = QString::fromUtf8(contents).split(u'\n');
    bool inMainGroup = false;
    QString exec;
    bool execSeen = false;
    bool needsTerminal = false;
    for (QString line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            inMainGroup = trimmed == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || trimmed.startsWith(u'#')) continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QStringLiteral("Exec") && !execSeen) {
            exec = unescapeValue(value);
            execSeen = true;
        } else if (key == QStringLiteral("Terminal")) {
            needsTerminal = value == QStringLiteral("true");
        }
    }
    if (exec.isEmpty() || needsTerminal) return {};
    const qsizetype percent = exec.indexOf(u'%');
    return percent < 0 ? exec : exec.left(percent);
}

QString systemCommand() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    const QString desktopId =
        QString::fromUtf8(query.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
    const QString entry = findDesktopEntry(desktopId, applicationDirectories());
    if (entry.isEmpty()) return {};
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return commandFromDesktopEntry(file.read(1 << 20));
}

}  // namespace TextOpenCommand
