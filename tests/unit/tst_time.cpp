// The clock's time: ticks placed just after each half second of the wall
// clock, and the local zone followed while the clock runs (the file TZ names,
// changed the ways zones are changed, is read again and reported each time).

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "platform/Clock.h"
#include "platform/TimeZoneWatcher.h"
#include "window/SecondTicker.h"

namespace {

// A zone file of one offset from UTC and no transitions.
QByteArray FixedZone(int offsetHours)
{
    QByteArray data("TZif");
    data.append(16, '\0'); // version 1, reserved
    // UT/local and standard/wall flags, leap seconds, transitions, types, letters; the one type
    for (qint32 value : {0, 0, 0, 0, 1, 4, offsetHours * 3600}) {
        char bytes[4];
        qToBigEndian(value, bytes);
        data.append(bytes, 4);
    }
    return data.append("\0\0ZZZ\0", 6); // no daylight saving, letters at 0
}

bool Write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// How the zone file is changed: replaced whole, written in place, or a link
// to it made anew to point at another, as /etc/localtime is.
enum Change { Replace, Rewrite, Repoint };

} // namespace

class TestTime : public QObject {
    Q_OBJECT

private slots:
    void nextSlotIsJustAfterTheHalfSecond()
    {
        const int offset = SecondTicker::kOffsetMs;
        const long long second = 1733500000000LL;
        // On the second, just past a slot, after the half second's slot, at the end of the second.
        for (const auto& [msIntoSecond, delay] : {std::pair(0, offset), std::pair(offset + 1, 499),
                                                  std::pair(500 + offset + 100, 400), std::pair(999, offset + 1)}) {
            QCOMPARE(SecondTicker::DelayToNextSlot(second + msIntoSecond), delay);
            QCOMPARE(SecondTicker::Lateness(second + msIntoSecond + delay), 0);
        }
    }

    void cleanup()
    {
        qputenv("TZ", "UTC");
        platform::ReloadZone();
    }

    // TZ names the file by path or by name; each change is seen, and an
    // in-place write after a replacement only by a watch that followed it.
    void followsTheZoneFile_data()
    {
        QTest::addColumn<QString>("tz"); // %1: the folder
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("then");
        QTest::newRow("bare path: replaced, then written") << "%1/zone" << int(Replace) << int(Rewrite);
        QTest::newRow("name under TZDIR: link re-pointed, then written") << "zone" << int(Repoint) << int(Rewrite);
        QTest::newRow("path after a colon: link re-pointed twice") << ":%1/zone" << int(Repoint) << int(Repoint);
    }
    void followsTheZoneFile()
    {
        QFETCH(QString, tz);
        QFETCH(int, first);
        QFETCH(int, then);
        QTemporaryDir dir;
        const QString zone = dir.filePath("zone");
        const QString next = dir.filePath("next");
        // Makes the zone n hours east.
        const auto change = [&](int how, int n) {
            const QString data = dir.filePath(QString::number(n));
            if (how == Rewrite)
                return Write(zone, FixedZone(n));
            const bool made =
                how == Replace ? Write(next, FixedZone(n)) : Write(data, FixedZone(n)) && QFile::link(data, next);
            return made && ::rename(qPrintable(next), qPrintable(zone)) == 0;
        };
        QVERIFY(change(first, 1));
        qputenv("TZDIR", QFile::encodeName(dir.path()));
        qputenv("TZ", QFile::encodeName(tz.replace("%1", dir.path())));
        platform::ReloadZone();
        QCOMPARE(platform::LocalTime(0).tm_hour, 1);

        TimeZoneWatcher watcher;
        QSignalSpy changed(&watcher, &TimeZoneWatcher::zoneChanged);
        for (const auto& [how, n] : {std::pair(first, 9), std::pair(then, 3)}) {
            QVERIFY(change(how, n));
            QVERIFY(changed.wait());
            QCOMPARE(platform::LocalTime(0).tm_hour, n);
        }
    }
};

QTEST_GUILESS_MAIN(TestTime)
#include "tst_time.moc"
