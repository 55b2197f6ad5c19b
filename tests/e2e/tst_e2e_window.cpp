// The clock window as the window system sees it: title, place, size, states,
// and clicks that pass through it to the window beneath.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eWindow : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;
    std::unique_ptr<QProcess> m_pTarget;

private slots:
    void initTestCase() { QVERIFY2(m_desktop.Start({}), qPrintable(m_desktop.ErrorString())); }

    void cleanup()
    {
        if (QTest::currentTestFailed() && m_pClock)
            qWarning().noquote() << m_pClock->Output();
        m_pClock.reset();
        if (m_pTarget) {
            m_pTarget->kill();
            m_pTarget->waitForFinished(3000);
            m_pTarget.reset();
        }
    }

    void cleanupTestCase() { m_desktop.Stop(); }

    void placementAndStates_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("topMost");
        QTest::newRow("top-most") << QRect(100, 80, 300, 300) << 1;
        QTest::newRow("not top-most, odd size") << QRect(533, 311, 257, 257) << 0;
    }

    void placementAndStates()
    {
        QFETCH(QRect, rect);
        QFETCH(int, topMost);
        IniFixture ini;
        ini.Set("Geometry", "Left", rect.x()).Set("Geometry", "Top", rect.y());
        ini.Set("Geometry", "Size", rect.width()).Set("Misc", "TopMost", topMost);
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(ini.Text()));
        QVERIFY(m_pClock->Start());
        // exactly one top-level window titled with the application name
        QVERIFY2(m_pClock->WaitForClockWindow(), "no single window titled vitrodial");

        const quint64 window = m_pClock->FindClockWindow();
        QVERIFY(WaitFor([&] { return m_desktop.Info(window).rect == rect; }, 5000));

        const QStringList state = m_desktop.NetWmState(window);
        QVERIFY2(state.contains("_NET_WM_STATE_SKIP_TASKBAR"), qPrintable(state.join(' ')));
        QCOMPARE(state.contains("_NET_WM_STATE_ABOVE"), topMost == 1);
    }

    // A click on the face reaches the window under the clock.
    void clickThrough()
    {
        const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vitrodial-xev.XXXXXX"));
        const QString log = dir.path() + QStringLiteral("/events.log");
        m_pTarget = std::make_unique<QProcess>();
        m_pTarget->setProcessEnvironment(m_desktop.Environment());
        m_pTarget->setStandardOutputFile(log);
        m_pTarget->start("xev", {"-geometry", "700x600+50+50", "-name", "e2e-click-target",
                                 "-event", "button"});
        QVERIFY(WaitFor([&] { return m_desktop.FindWindows("^e2e-click-target$").size() == 1; }, 10000));
        const quint64 target = m_desktop.FindWindows("^e2e-click-target$").first();

        IniFixture ini;
        ini.Set("Geometry", "Left", 100).Set("Geometry", "Top", 100).Set("Geometry", "Size", 400);
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(ini.Text()));
        QVERIFY(m_pClock->Start());
        QVERIFY(m_pClock->WaitForClockWindow());
        const quint64 clock = m_pClock->FindClockWindow();
        // the clock lies above the target, so only click-through lets a click pass
        const QList<quint64> stack = m_desktop.Stacking();
        QVERIFY(stack.indexOf(clock) >= 0);
        QVERIFY(stack.indexOf(clock) < stack.indexOf(target));
        // wait until the face is on the screen where we click
        QVERIFY(!WaitForFace(m_desktop, ini.ClockRect()).isNull());

        // the centre (where the hands meet) and the dial below it
        for (const QPoint p : {QPoint(300, 300), QPoint(300, 380), QPoint(180, 250)}) {
            QVERIFY(m_desktop.Click(p, 1));
            const QString seen = QStringLiteral("root:(%1,%2)").arg(p.x()).arg(p.y());
            const bool reached = WaitFor([&] {
                QFile f(log);
                return f.open(QIODevice::ReadOnly) && QString::fromLocal8Bit(f.readAll()).contains(seen);
            }, 5000);
            QVERIFY2(reached, qPrintable(QStringLiteral("the click at %1,%2 did not reach the window beneath")
                                             .arg(p.x()).arg(p.y())));
        }
    }
};

QTEST_GUILESS_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
