// The clock's time: ticks placed on the wall clock just after each second or
// minute the face shows, and the local zone followed while the clock runs (the file TZ names,
// changed the ways zones are changed, is read again and reported each time).

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "platform/Clock.h"
#include "platform/TimeZoneWatcher.h"
#include "platform/WakeupSource.h"
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
    // The first tick after a time: just after the next whole second, or with
    // the seconds hand hidden the next whole minute; before the epoch too.
    void nextTick_data()
    {
        QTest::addColumn<long long>("nowMs");
        QTest::addColumn<bool>("showSeconds");
        QTest::addColumn<long long>("tickMs");
        const long long minute = 1733500020000LL, k = SecondTicker::kOffsetMs; // a whole minute
        QTest::newRow("on the second") << minute << true << minute + k;
        QTest::newRow("on a tick") << minute + k << true << minute + 1000 + k;
        QTest::newRow("end of the second") << minute + 999 << true << minute + 1000 + k;
        QTest::newRow("minutes: within the minute") << minute + 30000 << false << minute + 60000 + k;
        QTest::newRow("minutes: on a tick") << minute + k << false << minute + 60000 + k;
        QTest::newRow("minutes: just before it") << minute - 1 << false << minute + k;
        QTest::newRow("before the epoch") << -1500LL << true << -1000 + k;
    }
    void nextTick()
    {
        QFETCH(long long, nowMs);
        QFETCH(bool, showSeconds);
        QFETCH(long long, tickMs);
        QCOMPARE(SecondTicker::NextTick(nowMs, showSeconds), tickMs);
    }

    // One deadline at a time on the wall clock: planned at the start, after
    // each tick, when the seconds hand is switched, after a setting of the
    // clock; gone at the stop.
    void tickerPlansOnTheWallClock()
    {
        struct Clock final : platform::IClock {
            std::time_t Now() const override { return std::time_t(ms / 1000); }
            long long NowMs() const override { return ms; }
            long long ms = 1733500020500LL; // half a second into a minute
        };
        struct Source final : platform::WakeupSource {
            void WakeAt(long long wallMs, std::function<void()> w) override { at = wallMs, wake = std::move(w); }
            void Cancel() override { at = -1, wake = nullptr; }
            long long at = -1;
            std::function<void()> wake;
        };
        const auto clock = std::make_shared<Clock>();
        const std::shared_ptr<const platform::IClock> previous = platform::SetClock(clock);
        auto owned = std::make_unique<Source>();
        Source& source = *owned;
        SecondTicker ticker(std::move(owned));
        QSignalSpy ticks(&ticker, &SecondTicker::tick);
        const long long minute = 1733500020000LL, k = SecondTicker::kOffsetMs;

        QCOMPARE(ticker.Start(7), 7u);
        QCOMPARE(source.at, minute + 1000 + k);
        clock->ms = source.at + 2;
        source.wake();
        QCOMPARE(ticks.size(), 1);
        QCOMPARE(source.at, minute + 2000 + k);
        ticker.SetShowSeconds(false);
        QCOMPARE(source.at, minute + 60000 + k);
        clock->ms += 3 * 3600 * 1000 + 250; // the clock set three hours on
        ticker.Realign();
        QCOMPARE(source.at, minute + 3 * 3600 * 1000 + 60000 + k);
        QVERIFY(ticker.Stop(7) && source.at == -1);
        platform::SetClock(previous);
    }

    // The system's source wakes for a deadline that has already passed, as
    // after a suspend that outlasted it.
    void passedDeadlineWakesAtOnce()
    {
        const std::unique_ptr<platform::WakeupSource> source = platform::CreateWakeupSource();
        bool woke = false;
        source->WakeAt(platform::Clock().NowMs() - 60000, [&] { woke = true; });
        QTRY_VERIFY(woke);
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
