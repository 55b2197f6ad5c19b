// The clock window under each window manager, with and without a compositor:
// placed exactly, undecorated, off the taskbar, kept above other programs'
// windows when top-most and below them otherwise (then a window the manager
// keeps below, where it can), never over a screen locker, and the pointer and
// every click, on a clear pixel or on the face, pass through it and any frame;
// and across monitors of mixed scale.

#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eWindow : public DesktopTest {
    Q_OBJECT

    std::unique_ptr<QProcess> m_pTarget;
    std::vector<std::unique_ptr<QProcess>> m_vecOthers; // a locker, a window mapped later
    QByteArray m_events;
    bool m_bReplacedWm = false; // the desktop's manager is gone: not used again

    // Runs program and returns the one window titled name, once it is mapped.
    QString Start(std::unique_ptr<QProcess>& slot, const QString& program, const QStringList& args, const QString& name)
    {
        slot = std::make_unique<QProcess>();
        slot->setProcessEnvironment(m_desktop.Environment());
        slot->start(program, args);
        QList<quint64> ids;
        WaitFor([&] { return (ids = m_desktop.FindWindows('^' + name + '$')).size() == 1; }, 15000, 100);
        return QString::number(ids.value(0));
    }

    bool TargetSaw(const QPoint& p)
    {
        m_events += m_pTarget->readAllStandardOutput();
        return m_events.contains(QStringLiteral("root:(%1,%2)").arg(p.x()).arg(p.y()).toLatin1());
    }

private slots:
    void cleanup()
    {
        DesktopTest::cleanup();
        m_vecOthers.push_back(std::move(m_pTarget));
        for (auto& p : m_vecOthers)
            if (p) {
                p->kill();
                p->waitForFinished(3000);
            }
        m_vecOthers.clear();
        if (std::exchange(m_bReplacedWm, false))
            m_desktop.Stop();
    }

    void underEachWindowManager_data()
    {
        QTest::addColumn<QString>("wm");
        QTest::addColumn<QString>("compositor");
        QTest::addColumn<int>("topMost");
        for (const char* wm :
             {"none", "openbox", "fluxbox", "icewm", "fvwm3", "metacity", "mutter", "kwin_x11", "xfwm4"}) {
            const QString compositor = QByteArray(wm) == "mutter" || QByteArray(wm) == "kwin_x11" ? "wm" : "none";
            QTest::newRow(wm) << QString(wm) << compositor << 1;
            QTest::newRow(qPrintable(QStringLiteral("%1, not top-most").arg(wm))) << QString(wm) << compositor << 0;
        }
        QTest::newRow("xfwm4, its compositor") << QString("xfwm4") << QString("wm") << 1;
        QTest::newRow("xfwm4, its compositor started later") << QString("xfwm4") << QString("later") << 1;
        QTest::newRow("openbox, picom") << QString("openbox") << QString("picom") << 1;
        QTest::newRow("openbox, picom, not top-most") << QString("openbox") << QString("picom") << 0;
    }

    void underEachWindowManager()
    {
        QFETCH(QString, wm);
        QFETCH(QString, compositor);
        QFETCH(int, topMost);
        const bool later = compositor == "later";
        QVERIFY2(m_desktop.Ensure({wm, later ? "none" : compositor, "none", ""}), qPrintable(m_desktop.ErrorString()));

        // A clear dial: the clicks go to a hole and to a mark of the face.
        IniFixture ini;
        ini.Set("Geometry", "Left", 150).Set("Geometry", "Top", 120).Set("Geometry", "Size", 400);
        ini.Set("Dial", "Background", "ffffff").Set("Misc", "TopMost", topMost).Set("Misc", "TrayIcon", 0);
        QVERIFY2(StartClock(ini.Text()), "no clock window");
        if (later) {
            // The manager replaced by one that composites: the clock shows, blended.
            m_bReplacedWm = true;
            auto& xfwm4 = m_vecOthers.emplace_back(std::make_unique<QProcess>());
            xfwm4->setProcessEnvironment(m_desktop.Environment());
            xfwm4->start("xfwm4", {"--replace", "--compositor=on", "--sm-client-disable"});
            const FaceReport face = WaitForFace(m_desktop, ini, 200, "after a compositor came");
            QVERIFY2(face.failure.isEmpty(), qPrintable(face.failure));
        }
        const quint64 clock = m_pClock->FindClockWindow();
        QVERIFY2(WaitFor([&] { return m_desktop.WindowRect("^vitrodial$") == ini.ClockRect(); }, 5000),
                 "not placed exactly, or framed");
        QVERIFY(!m_desktop.Script({"in-taskbar", QString::number(clock)}));
        // the centre, where the hands meet; a clear spot inside the dial; the
        // mark at twelve: the pointer there is over what is under the clock,
        // as over a bare spot, not over the clock or its frame
        const QList<QPoint> spots{QPoint(350, 320), QPoint(260, 260), QPoint(350, 126)};
        const auto under = [&](const QPoint& p) {
            return m_desktop
                .Run("xdotool",
                     {"mousemove", QString::number(p.x()), QString::number(p.y()), "getmouselocation", "--shell"})
                .split('=')
                .last(); // WINDOW=, the root's child under the pointer
        };
        const auto bare = under(QPoint(900, 100));
        for (const QPoint p : spots)
            QVERIFY2(under(p) == bare, "the clock, or its frame, takes the pointer");

        // A window mapped after the clock goes beneath a top-most clock only,
        // and so does one raised. It logs its button presses, for the clicks.
        m_events.clear();
        const QString target =
            Start(m_pTarget, "xev", {"-geometry", "800x700+50+40", "-name", "e2e-click-target", "-event", "button"},
                  "e2e-click-target");
        const auto above = [&](const QString& a, const QString& b) { return m_desktop.Script({"above", a, b}); };
        const QString id = QString::number(clock);
        const auto kept = [&] { return above(id, target) == bool(topMost); };
        QVERIFY2(target != "0" && WaitFor(kept, 5000), topMost ? "not kept above" : "above although not top-most");
        QVERIFY(m_desktop.Succeeds("xdotool", {"windowraise", target}));
        QVERIFY2(WaitFor(kept, 5000), topMost ? "not kept above a raised window" : "above a raised window");
        if (!topMost)
            return;

        // A locker stays above the clock while a window maps (without a
        // manager, over the locker).
        const QString lock =
            Start(m_vecOthers.emplace_back(), "bash", {VirtualDesktop::ScriptPath(), "lock"}, "e2e-lock");
        QProcess* const locker = m_vecOthers.back().get();
        const QString late =
            Start(m_vecOthers.emplace_back(), "xev", {"-geometry", "200x100+500+300", "-name", "e2e-late"}, "e2e-late");
        QTest::qWait(1000);
        QVERIFY2(lock != "0" && late != "0" && above(lock, id), "the clock rose over the locker");
        locker->kill();
        QVERIFY(WaitFor([&] { return m_desktop.FindWindows("^e2e-lock$").isEmpty(); }, 5000));

        for (const QPoint p : spots) {
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
        // There the dialog, at the laptop's bottom right, overlaps the clock.
        const QList<quint64> dialog = m_desktop.FindWindows("^Vitrodial Configuration$");
        QVERIFY2(dialog.size() == 1 && m_desktop.Script({"above", QString::number(dialog[0]), clock}),
                 "the top-most clock covers its dialog");
        m_desktop.SaveArtifact(m_desktop.Screenshot(), "mixed-scale-monitor-gone");
        QVERIFY(m_desktop.Keys({"Escape"}));
        QVERIFY(WaitFor([&] { return m_pClock->IniContents().contains("Left=2646"); }, 5000));
        QVERIFY(xrandr({"--setmonitor", "EXT", "2560/600x1440/340+1366+0", "none"}));
        QVERIFY2(at(QRect(2726, 200, 1200, 1200)) && WaitFor(whole, 5000), "not back on the monitor");
    }
};

QTEST_GUILESS_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
