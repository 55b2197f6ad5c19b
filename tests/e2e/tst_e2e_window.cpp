// The clock window under each window manager, with and without a compositor:
// placed exactly, undecorated, off the taskbar, kept above (or stacked
// normally), and every click, on a clear pixel or on the face, passes through
// to the window beneath; and across monitors of mixed scale.

#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eWindow : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;
    std::unique_ptr<QProcess> m_pTarget;
    QByteArray m_events;

    // xev at rect, logging its button presses; its window once it is mapped.
    quint64 StartTarget(const QRect& r)
    {
        m_pTarget = std::make_unique<QProcess>();
        m_events.clear();
        m_pTarget->setProcessEnvironment(m_desktop.Environment());
        const QString geometry = QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
        m_pTarget->start("xev", {"-geometry", geometry, "-name", "e2e-click-target", "-event", "button"});
        QList<quint64> ids;
        WaitFor([&] { return (ids = m_desktop.FindWindows("^e2e-click-target$")).size() == 1; }, 15000, 100);
        return ids.value(0);
    }

    bool TargetSaw(const QPoint& p)
    {
        m_events += m_pTarget->readAllStandardOutput();
        return m_events.contains(QStringLiteral("root:(%1,%2)").arg(p.x()).arg(p.y()).toLatin1());
    }

private slots:
    void cleanup()
    {
        ReportFailure(m_desktop, m_pClock.get());
        m_pClock.reset();
        if (m_pTarget) {
            m_pTarget->kill();
            m_pTarget->waitForFinished(3000);
        }
    }

    void underEachWindowManager_data()
    {
        QTest::addColumn<QString>("wm");
        QTest::addColumn<QString>("compositor");
        QTest::addColumn<int>("topMost");
        for (const char* wm : {"none", "openbox", "fluxbox", "icewm", "fvwm3", "metacity", "mutter", "xfwm4"})
            QTest::newRow(wm) << QString(wm) << QString(QByteArray(wm) == "mutter" ? "wm" : "none") << 1;
        QTest::newRow("xfwm4, its compositor") << QString("xfwm4") << QString("wm") << 1;
        QTest::newRow("openbox, picom") << QString("openbox") << QString("picom") << 1;
        QTest::newRow("openbox, picom, not top-most") << QString("openbox") << QString("picom") << 0;
    }

    void underEachWindowManager()
    {
        QFETCH(QString, wm);
        QFETCH(QString, compositor);
        QFETCH(int, topMost);
        QVERIFY2(m_desktop.Ensure({wm, compositor, "none", ""}), qPrintable(m_desktop.ErrorString()));

        // A clear dial: the clicks go to a hole and to a mark of the face.
        IniFixture ini;
        ini.Set("Geometry", "Left", 150).Set("Geometry", "Top", 120).Set("Geometry", "Size", 400);
        ini.Set("Dial", "Background", "ffffff").Set("Misc", "TopMost", topMost).Set("Misc", "TrayIcon", 0);
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(ini.Text()) && m_pClock->Start());
        QVERIFY2(m_pClock->WaitForClockWindow(), "no clock window");
        const quint64 clock = m_pClock->FindClockWindow();
        QVERIFY2(WaitFor([&] { return m_desktop.WindowRect("^vitrodial$") == ini.ClockRect(); }, 5000),
                 "not placed exactly, or framed");
        QVERIFY(!m_desktop.Script({"in-taskbar", QString::number(clock)}));

        // A window mapped after the clock goes beneath a top-most clock only.
        const QString target = QString::number(StartTarget(QRect(50, 40, 800, 700)));
        const auto above = [&] { return m_desktop.Script({"above", QString::number(clock), target}) == topMost; };
        QVERIFY2(target != "0" && WaitFor(above, 5000), topMost ? "not kept above" : "above although not top-most");
        if (!topMost)
            return;

        // the centre, where the hands meet; a clear spot inside the dial; the
        // mark at twelve
        for (const QPoint p : {QPoint(350, 320), QPoint(260, 260), QPoint(350, 126)}) {
            QVERIFY(m_desktop.Succeeds("xdotool",
                                       {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"}));
            QVERIFY2(WaitFor([&] { return TargetSaw(p); }, 5000),
                     qPrintable(QStringLiteral("the click at %1,%2 was swallowed").arg(p.x()).arg(p.y())));
        }
    }

    // A laptop and a monitor at scale 2 beside it: the clock on the monitor
    // is whole (its shape is its window); the X slider takes it to the
    // monitor's right edge; with the monitor gone it shows on the laptop
    // while the file keeps the stored Left, and it returns with the monitor.
    void acrossMonitorsOfMixedScale()
    {
        QVERIFY2(m_desktop.Ensure({"none", "picom", "none", "", "3926x1440"}), qPrintable(m_desktop.ErrorString()));
        const auto xrandr = [&](const QStringList& args) { return m_desktop.Succeeds("xrandr", args); };
        QVERIFY(xrandr({"--setmonitor", "LAPTOP", "1366/340x768/190+0+0", "screen"})
                && xrandr({"--setmonitor", "EXT", "2560/600x1440/340+1366+0", "none"}));
        IniFixture ini;
        ini.Set("Geometry", "Left", 2000).Set("Geometry", "Top", 100).Set("Geometry", "Size", 600);
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        m_pClock->SetEnvironment("QT_SCREEN_SCALE_FACTORS", "LAPTOP=1;EXT=2");
        QVERIFY(m_pClock->Prepare(ini.Text()) && m_pClock->Start({"--configure"}) && m_pClock->WaitForClockWindow());
        const auto at = [&](const QRect& r) {
            return WaitFor([&] { return m_desktop.WindowRect("^vitrodial$") == r; }, 5000);
        };
        const QString clock = QString::number(m_pClock->FindClockWindow());
        const auto whole = [&] {
            return m_desktop.Run("xwininfo", {"-id", clock, "-shape"}).contains("shape extents:  1200x1200+0+0");
        };
        QVERIFY2(at(QRect(2634, 200, 1200, 1200)) && WaitFor(whole, 5000), "not whole on the monitor");
        m_desktop.SaveArtifact(m_desktop.Screenshot(), "mixed-scale");

        // From "Dismiss" back to the X slider, to its end.
        QVERIFY(m_desktop.Keys(QStringList(4, "shift+Tab") << "End"));
        QVERIFY2(at(QRect(2726, 200, 1200, 1200)) && whole(), "the X slider stops short of the monitor's edge");
        QVERIFY(xrandr({"--delmonitor", "EXT"}));
        QVERIFY2(at(QRect(766, 100, 600, 600)), "not back on the laptop");
        m_desktop.SaveArtifact(m_desktop.Screenshot(), "mixed-scale-monitor-gone");
        QVERIFY(m_desktop.Keys({"Escape"}));
        QVERIFY(WaitFor([&] { return m_pClock->IniContents().contains("Left=2646"); }, 5000));
        QVERIFY(xrandr({"--setmonitor", "EXT", "2560/600x1440/340+1366+0", "none"}));
        QVERIFY2(at(QRect(2726, 200, 1200, 1200)) && WaitFor(whole, 5000), "not back on the monitor");
    }

    void cleanupTestCase() { m_desktop.Stop(); }
};

QTEST_GUILESS_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
