// Reaching the clock through the notification area, XEmbed (trayer) and
// StatusNotifierItem (a host on the desktop's bus) alike: a click opens the
// one configuration dialog at the bottom right; without a host the dialog
// opens at the first start, and the icon appears in a host that starts late
// and comes back, once, when the host restarts; "Close Vitrodial" ends the
// program.

#include <QSet>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eTray : public DesktopTest {
    Q_OBJECT

    static constexpr char kDialogTitle[] = "^Vitrodial Configuration$";

    QRect DialogRect() const { return m_desktop.WindowRect(kDialogTitle); }

    bool WaitForDialog(bool shown) const
    {
        return WaitFor([&] { return DialogRect().isNull() != shown; }, 10000, 100);
    }

    // saved: with a settings file, as after the first start
    void StartWithTray(const QString& tray, int trayIcon = 1, bool saved = true)
    {
        QVERIFY2(m_desktop.Ensure({"none", "picom", tray, ""}), qPrintable(m_desktop.ErrorString()));
        const QString ini = IniFixture().Set("Misc", "TrayIcon", trayIcon).Text();
        QVERIFY(StartClock(saved ? ini : QString()));
    }

    // A left click on the icon, or a right one (on an SNI host, through the
    // first entry of the icon's menu); the dialog must then be up.
    void OpenFromTray(int button)
    {
        QVERIFY2(m_desktop.Script({"click-tray", QString::number(button)}), "no icon to click in the tray");
        QVERIFY2(WaitForDialog(true), "no configuration dialog after the click");
    }

    void VerifyBottomRight()
    {
        const QRect dialog = DialogRect();
        QCOMPARE(dialog.bottomRight() + QPoint(1, 1), QPoint(1280, 1024 - 30));
        QVERIFY(dialog.width() > 100 && dialog.height() > 100);
    }

private slots:
    void clickOpensDialog_data()
    {
        QTest::addColumn<QString>("tray");
        QTest::addColumn<int>("button");
        QTest::newRow("XEmbed, left") << "trayer" << 1;
        QTest::newRow("XEmbed, right") << "trayer" << 3;
        QTest::newRow("SNI, left") << "sni" << 1;
        QTest::newRow("SNI, right") << "sni" << 3;
    }

    void clickOpensDialog()
    {
        QFETCH(QString, tray);
        QFETCH(int, button);
        StartWithTray(tray);
        QVERIFY(DialogRect().isNull());
        OpenFromTray(button);
        VerifyBottomRight();
        // Tab from "Dismiss" reaches "Close Vitrodial", which ends the program.
        QVERIFY(m_desktop.Keys({"Tab", "space"}));
        QVERIFY2(m_pClock->EndsNormally(10000), "the program did not end");
        QVERIFY(WaitFor([this] { return m_desktop.TrayIcons().isNull(); }, 5000));
    }

    // Without a host, the dialog opens at the first start only, before any
    // settings were saved; with the icon off, not at all. A host that starts
    // later, or again, shows the icon; a dialog left off the screen comes
    // back on it.
    void dialogAtStart_data()
    {
        QTest::addColumn<QString>("tray");
        QTest::addColumn<int>("trayIcon");
        QTest::addColumn<bool>("saved"); // settings saved by an earlier start
        QTest::addColumn<QString>("lateHost");
        QTest::newRow("first start, no host, XEmbed comes") << "none" << 1 << false << "trayer";
        QTest::newRow("first start, no host, SNI comes") << "none" << 1 << false << "sni";
        QTest::newRow("no host") << "none" << 1 << true << "";
        QTest::newRow("icon off") << "trayer" << 0 << true << "";
    }

    void dialogAtStart()
    {
        QFETCH(QString, tray);
        QFETCH(int, trayIcon);
        QFETCH(bool, saved);
        QFETCH(QString, lateHost);
        StartWithTray(tray, trayIcon, saved);
        if (saved) {
            // the menu entry and --configure reach it from now on
            QVERIFY(DialogRect().isNull() && m_desktop.TrayIcons().isNull());
            return;
        }
        QVERIFY2(WaitForDialog(true), "no configuration dialog at start");
        VerifyBottomRight();
        // as if the screen had shrunk under it; Escape dismisses it
        bool moved = false;
        m_desktop.Run("xdotool", {"search", "--name", kDialogTitle, "windowmove", "1500", "1100"}, &moved);
        QVERIFY(moved && WaitFor([&] { return DialogRect().left() >= 1280; }, 5000));
        QVERIFY(m_desktop.Keys({"Escape"}) && WaitForDialog(false));

        // Each host's watcher gets the item once: one asked twice as its host
        // came up could leave two icons. dbus-monitor --profile gives a call's
        // sender and serial (fields 3, 2), an answer's sender, destination and
        // the serial of the call it answers (3, 4, 5).
        QProcess bus;
        bus.setProcessEnvironment(m_desktop.Environment());
        bus.start("dbus-monitor", {"--session", "--profile", "type='method_call',member='RegisterStatusNotifierItem'",
                                   "type='method_return'"});
        QVERIFY(bus.waitForStarted());
        for (int round = 0; round < 3; ++round) {
            QVERIFY(m_desktop.Script({"tray", lateHost}));
            QVERIFY2(m_desktop.Script({"tray-icon", "--wait"}),
                     qPrintable(QStringLiteral("no icon in round %1").arg(round)));
        }
        bus.terminate();
        QVERIFY(bus.waitForFinished());
        QSet<QString> calls;
        QStringList watchers; // the answering watcher of each registration
        for (const QString& line : QString::fromLocal8Bit(bus.readAll()).split(u'\n')) {
            const QStringList f = line.split(u'\t');
            if (f.last() == "RegisterStatusNotifierItem")
                calls.insert(f.value(3) + ' ' + f.value(2));
            else if (f.value(0) == "mr" && calls.contains(f.value(4) + ' ' + f.value(5)))
                watchers << f.value(3);
        }
        const QString answered = watchers.join(u' ');
        QVERIFY2(watchers.removeDuplicates() == 0 && watchers.size() >= (lateHost == "sni" ? 3 : 0),
                 qPrintable(answered));
        OpenFromTray(1);
        VerifyBottomRight();
        m_desktop.Stop(); // its tray is no longer the one asked for
    }
};

QTEST_GUILESS_MAIN(TestE2eTray)
#include "tst_e2e_tray.moc"
