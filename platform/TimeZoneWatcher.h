#pragma once
// Reports a change of the local time zone, which the kernel's notice of a
// clock setting does not cover. The C library reads the zone from a file once
// (the one TZ names, or /etc/localtime), so that file is watched, and its
// folder too: the file is usually a link that is replaced rather than written,
// and a replaced file drops out of a watch. Before the signal the C library
// has read the new zone.

#include <optional>

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

class TimeZoneWatcher : public QObject {
    Q_OBJECT
public:
    // The file the process's zone comes from, as the C library finds it: the
    // one TZ names (after an optional colon; a name that is not a path lies
    // under TZDIR), or /etc/localtime without TZ. A TZ that is a rule of its
    // own gives a path where no file is.
    static QString ZoneFile();

    explicit TimeZoneWatcher(const QString& file = ZoneFile(), QObject* parent = nullptr);

signals:
    void zoneChanged();

private:
    void Watch();
    void OnChanged();

    QString m_strFile;
    // The zone file's bytes when last read whole.
    std::optional<QByteArray> m_zone;
    QFileSystemWatcher m_watcher;
};
