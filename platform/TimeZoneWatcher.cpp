#include "platform/TimeZoneWatcher.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Clock.h"

namespace {

// Far more than any zone file; a TZ naming a device is not read without end.
constexpr qint64 kMaxZoneBytes = 1 << 20;

// The file's bytes, when it is a zone file; none while it is missing or is
// being written (truncated, not yet filled).
std::optional<QByteArray> ReadZone(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxZoneBytes);
    // Read into a buffer of the limit's size, which the bytes would keep for
    // as long as the watcher keeps them.
    bytes.squeeze();
    if (!bytes.startsWith("TZif"))
        return std::nullopt;
    return bytes;
}

} // namespace

QString TimeZoneWatcher::ZoneFile()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        return QStringLiteral("/etc/localtime");
    QString tz = QFile::decodeName(qgetenv("TZ"));
    if (tz.isEmpty())
        tz = QStringLiteral("Universal");
    else if (tz.startsWith(u':') && (tz = tz.mid(1)).isEmpty())
        return QStringLiteral("/etc/localtime");
    if (tz.startsWith(u'/'))
        return tz;
    const QString dir = qEnvironmentVariableIsEmpty("TZDIR") ? QStringLiteral("/usr/share/zoneinfo")
                                                             : QFile::decodeName(qgetenv("TZDIR"));
    return dir + u'/' + tz;
}

TimeZoneWatcher::TimeZoneWatcher(const QString& file, QObject* parent)
    : QObject(parent)
    , m_strFile(file)
    , m_zone(ReadZone(file))
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &TimeZoneWatcher::OnChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TimeZoneWatcher::OnChanged);
    Watch();
}

void TimeZoneWatcher::Watch()
{
    const QString folder = QFileInfo(m_strFile).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    // Added afresh each time: a link re-pointed leaves the watch on its old target.
    if (m_watcher.files().contains(m_strFile))
        m_watcher.removePath(m_strFile);
    if (QFileInfo::exists(m_strFile))
        m_watcher.addPath(m_strFile);
}

void TimeZoneWatcher::OnChanged()
{
    Watch();
    // The folder changes for many other files; only new bytes are a new zone.
    // A file missing or half written is one being replaced: the zone stays
    // until it is whole again.
    std::optional<QByteArray> zone = ReadZone(m_strFile);
    if (!zone || zone == m_zone)
        return;
    m_zone = std::move(zone);
    platform::ReloadZone();
    emit zoneChanged();
}
