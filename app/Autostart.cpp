#include "app/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "app/Disk.h"
#include "app/FileReplacement.h"

namespace {

const QString kGroup = QStringLiteral("[Desktop Entry]");

// Makes folder and the missing ones above it, for the user alone.
bool MakeFolder(const QString& folder, QString* why)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (parent != folder && !MakeFolder(parent, why))
        return false;
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        return true;
    *why = QStringLiteral("cannot make the folder %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

// The lines of the entry now at path; none when it cannot be read.
QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

bool IsKey(const QString& line, const char* key)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq > 0 && line.left(eq).trimmed() == QLatin1String(key);
}

} // namespace

QString Autostart::Path()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/autostart/vitrodial.desktop");
}

bool Autostart::IsOn()
{
    const QString path = Path();
    if (!QFileInfo(path).isFile())
        return false;
    bool inGroup = false;
    for (const QString& raw : ReadLines(path)) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == kGroup;
        else if (inGroup && IsKey(line, "Hidden"))
            return line.section(QLatin1Char('='), 1).trimmed() != QLatin1String("true");
    }
    return true;
}

QString Autostart::ExecValue(const QString& path)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString value = path;
    if (std::any_of(path.cbegin(), path.cend(), [](QChar c) { return kReserved.contains(c); })) {
        value.clear();
        for (const QChar c : path) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                value += QLatin1Char('\\');
            value += c;
        }
        value = QLatin1Char('"') + value + QLatin1Char('"');
    }
    // The value is a string of the file too: its backslashes are escaped
    // again, and a field code's percent sign doubled.
    return value.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('%'), QStringLiteral("%%"));
}

bool Autostart::SetOn(bool on, QString* why)
{
    const QString path = Path();
    QString text;
    if (on) {
        text = kGroup + QStringLiteral("\nType=Application\nName=Vitrodial\nExec=")
               + ExecValue(QCoreApplication::applicationFilePath())
               + QStringLiteral("\nX-GNOME-Autostart-enabled=true\n");
    } else {
        if (!QFileInfo::exists(path))
            return true;
        // The entry is kept, hidden: its other lines may be a person's own.
        QStringList lines = ReadLines(path);
        lines.removeIf([inGroup = false](const QString& line) mutable {
            if (line.trimmed().startsWith(QLatin1Char('[')))
                inGroup = line.trimmed() == kGroup;
            return inGroup && IsKey(line.trimmed(), "Hidden");
        });
        const auto found =
            std::find_if(lines.cbegin(), lines.cend(), [](const QString& line) { return line.trimmed() == kGroup; });
        const qsizetype group = found == lines.cend() ? -1 : found - lines.cbegin();
        if (group < 0)
            lines = QStringList{kGroup, QStringLiteral("Type=Application"), QStringLiteral("Name=Vitrodial"), {}};
        lines.insert(group < 0 ? 1 : group + 1, QStringLiteral("Hidden=true"));
        text = lines.join(QLatin1Char('\n'));
    }
    QString problem;
    Disk disk;
    FileReplacement out(path, disk);
    if (MakeFolder(QFileInfo(path).absolutePath(), &problem) && out.Open()) {
        out.Write(text.toUtf8());
        if (out.Commit())
            return true;
    }
    if (why)
        *why = path + QStringLiteral(": ") + (problem.isEmpty() ? out.Error() : problem);
    return false;
}
