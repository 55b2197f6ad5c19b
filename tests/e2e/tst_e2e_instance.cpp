// One clock per application name: a second start closes the running clock and
// ends itself; a copy under another name is another application.

#include <algorithm>

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eInstance : public DesktopTest {
    Q_OBJECT

    std::unique_ptr<ClockProcess> m_pOther; // a copy under another name

    static bool Ended(QProcess* p) { return p->state() == QProcess::NotRunning || p->waitForFinished(0); }

    // The most windows that bypass the window manager, as the clock does,
    // mapped at once in what xev reported of the root's children.
    static int MostMappedAtOnce(const QString& events)
    {
        static const QRegularExpression event(
            R"((\w+)Notify event, serial \d+, synthetic \w+, window \w+,\s+\w+ \w+, window (\w+)(, override YES)?)");
        QSet<QString> mapped;
        int most = 0;
        for (auto it = event.globalMatch(events); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(1) != QLatin1String("Map")) {
                mapped.remove(m.captured(2));
            } else if (!m.captured(3).isEmpty()) {
                mapped.insert(m.captured(2));
                most = std::max(most, int(mapped.size()));
            }
        }
        return most;
    }

private slots:
    void initTestCase() { QVERIFY2(m_desktop.Start({}), qPrintable(m_desktop.ErrorString())); }

    void cleanup()
    {
        ReportFailure(m_desktop, m_pOther.get());
        m_pOther.reset();
        DesktopTest::cleanup();
    }

    // Starts at once are taken one at a time: each either shows a clock or
    // closes the one shown, so an odd number leaves exactly one clock, and a
    // clock is off the screen before the next one shows. The next start
    // closes it without saving, even with its colour chooser open. A copy
    // under another name is another application: it runs on beside them.
    void manyStartsAtOnceAlternate()
    {
        m_pOther = std::make_unique<ClockProcess>(m_desktop, QStringLiteral("otherclock"));
        const QString other = IniFixture().Set("Geometry", "Left", 700).Set("Misc", "TrayIcon", 0).Text();
        QVERIFY(m_pOther->Prepare(other) && m_pOther->Start() && m_pOther->WaitForClockWindow());
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(IniFixture().Text()));
        const QByteArray saved = m_pClock->IniContents();
        QProcess events;
        events.setProcessEnvironment(m_desktop.Environment());
        events.start("xev", {"-root", "-event", "substructure"});
        QVERIFY(events.waitForStarted());
        QList<QProcess*> starts;
        for (int i = 0; i < 49; ++i)
            starts << m_pClock->StartAgain();
        const auto running = [&] {
            return std::count_if(starts.cbegin(), starts.cend(), [](QProcess* p) { return !Ended(p); });
        };
        QVERIFY2(WaitFor([&] { return running() == 1 && m_pClock->FindClockWindow() != 0; }, 180000, 200),
                 "not one clock");
        QVERIFY2(m_pOther->FindClockWindow() != 0, "a start closed the copy under another name");
        events.terminate();
        QVERIFY(events.waitForFinished());
        QCOMPARE(MostMappedAtOnce(QString::fromLocal8Bit(events.readAllStandardOutput())), 1);

        QVERIFY(m_desktop.Script({"tray-icon", "--wait"}) && m_desktop.Script({"click-tray", "1"}));
        QVERIFY(WaitFor([&] { return !m_desktop.FindWindows("^Vitrodial Configuration$").isEmpty(); }, 15000));
        // Colors tab, then back past both buttons to the page's last control: "Line Color..."
        QVERIFY(m_desktop.Keys({"Tab", "Tab", "Right", "shift+Tab", "shift+Tab", "shift+Tab", "space"}));
        QVERIFY(WaitFor([&] { return !m_desktop.FindWindows("^Select Color$").isEmpty(); }, 15000));

        starts << m_pClock->StartAgain();
        QVERIFY2(WaitFor([&] { return running() == 0; }, 30000), "the last start did not close the clock");
        // Clocks closed and starts that closed them alike end well.
        for (QProcess* p : starts)
            QVERIFY(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0);
        QCOMPARE(m_pClock->IniContents(), saved);
    }

    // Each option's output and exit status. Help, the version, a bad
    // argument and a start without a display leave the running clock as it
    // is, and so does a start that cannot reach the other starts: it shows
    // no clock, which no start could close, says why and fails. --configure
    // opens the clock's dialog, or starts the clock with it open; --quit
    // closes it, and with no clock running shows none.
    void commandLine()
    {
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(IniFixture().Text()));
        QByteArray out, err;
        QCOMPARE(m_pClock->Run({"--quit"}, &out, &err), 0);
        QCOMPARE(out + err, QByteArray());

        QVERIFY(m_pClock->Start({"--configure"}) && m_pClock->WaitForClockWindow());
        const auto dialog = [this] { return m_desktop.FindWindows("^Vitrodial Configuration$").value(0); };
        QVERIFY2(WaitFor([&] { return dialog() != 0; }, 15000), "no dialog with the clock that --configure started");
        QVERIFY(m_desktop.Keys({"Escape"}) && WaitFor([&] { return dialog() == 0; }, 10000));

        // What it printed is matched as "out: <standard output>err: <standard error>".
        const struct {
            QStringList args;
            QStringList env; // NAME=value in place of the desktop's
            int code;
            QString printed;
        } cases[] = {
            {{"--help"}, {}, 0, R"(^out: Usage: vitrodial \[option\]\n(.*\n)*  --configure (.*\n)+err: $)"},
            {{"--version"}, {}, 0, R"(^out: vitrodial \(Vitrodial\) \d+\.\d+\.\d+\nerr: $)"},
            {{"--frobnicate"}, {}, 2, R"(^out: err: vitrodial: Unknown option 'frobnicate'\.\nUsage: )"},
            {{},
             {"DISPLAY=:32123"},
             1,
             R"(^out: err: vitrodial: cannot open the X display ":32123" \(DISPLAY\); [^\n]*\n$)"},
            {{"--configure"}, {"DISPLAY="}, 1, R"(^out: err: vitrodial: cannot open a display: none set [^\n]*\n$)"},
            // no folder can hold the channel's socket: these are no folders at all
            {{},
             {"XDG_RUNTIME_DIR=/dev/null", "XDG_STATE_HOME=/dev/null", "HOME=/dev/null"},
             1,
             R"(^out: err: (.*\n)*vitrodial: no folder private to this user)"},
        };
        for (const auto& c : cases) {
            QProcessEnvironment env;
            for (const QString& variable : c.env)
                env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
            const int code = m_pClock->Run(c.args, &out, &err, env);
            const QString printed = QString::fromLocal8Bit("out: " + out + "err: " + err);
            QVERIFY2(code == c.code && QRegularExpression(c.printed).match(printed).hasMatch(),
                     qPrintable(QStringLiteral("%1 exited with %2, %3").arg(c.args.join(u' ')).arg(code).arg(printed)));
            QVERIFY2(m_pClock->FindClockWindow() != 0 && dialog() == 0, qPrintable(printed + " touched the clock"));
        }

        // The running clock's dialog comes back, with the keyboard focus.
        QCOMPARE(m_pClock->Run({"--configure"}, &out, &err), 0);
        QCOMPARE(out + err, QByteArray());
        const auto focused = [this] { return m_desktop.Run("xdotool", {"getwindowfocus"}).trimmed().toULongLong(); };
        QVERIFY2(WaitFor([&] { return dialog() != 0 && focused() == dialog(); }, 15000),
                 "--configure did not bring up the running clock's dialog with the focus");

        QCOMPARE(m_pClock->Run({"--quit"}, &out, &err), 0);
        QCOMPARE(out + err, QByteArray());
        QVERIFY(m_pClock->EndsNormally(10000));
    }
};

QTEST_GUILESS_MAIN(TestE2eInstance)
#include "tst_e2e_instance.moc"
