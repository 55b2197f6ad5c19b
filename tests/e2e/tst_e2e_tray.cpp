// Reaching the clock through the notification area, XEmbed (trayer) and
// StatusNotifierItem (a host on the desktop's bus) alike: a click opens the
// one configuration dialog at the bottom right; without a host the dialog
// opens at start, and the icon appears in a host that starts late and comes
// back when the host restarts; "Close Vitrodial" ends the program.

#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

namespace {

const char* const kDialogTitle = "^Vitrodial Configuration$";

} // namespace

class TestE2eTray : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;

    QRect DialogRect() const { return m_desktop.WindowRect(kDialogTitle); }

    bool WaitForDialog(bool shown) const
    {
        return WaitFor([&] { return DialogRect().isNull() != shown; }, 10000, 100);
    }

    void StartClock(const QString& tray, int trayIcon = 1)
    {
        QVERIFY2(m_desktop.Ensure({"none", "picom", tray, ""}), qPrintable(m_desktop.ErrorString()));
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(IniFixture().Set("Misc", "TrayIcon", trayIcon).Text()) && m_pClock->Start()
                && m_pClock->WaitForClockWindow());
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
    void cleanup()
    {
        ReportFailure(m_desktop, m_pClock.get());
        m_pClock.reset();
    }

    void cleanupTestCase() { m_desktop.Stop(); }

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
        StartClock(tray);
        QVERIFY(DialogRect().isNull());
        OpenFromTray(button);
        VerifyBottomRight();
        // Tab from "Dismiss" reaches "Close Vitrodial", which ends the program.
        QVERIFY(m_desktop.Keys({"Tab", "space"}));
        QVERIFY2(m_pClock->EndsNormally(10000), "the program did not end");
        QVERIFY(m_desktop.FindWindows("^vitrodial$|^Vitrodial Configuration$", false).isEmpty());
        QVERIFY(WaitFor([this] { return m_desktop.TrayIcons().isNull(); }, 5000));
    }

    // Without a host, or with the icon off, the dialog opens at start; a host
    // that starts later, or again, shows the icon; a dialog left off the
    // screen comes back on it.
    void dialogAtStart_data()
    {
        QTest::addColumn<QString>("tray");
        QTest::addColumn<int>("trayIcon");
        QTest::addColumn<QString>("lateHost");
        QTest::newRow("no host, XEmbed comes") << "none" << 1 << "trayer";
        QTest::newRow("no host, SNI comes") << "none" << 1 << "sni";
        QTest::newRow("icon off") << "trayer" << 0 << "";
    }

    void dialogAtStart()
    {
        QFETCH(QString, tray);
        QFETCH(int, trayIcon);
        QFETCH(QString, lateHost);
        StartClock(tray, trayIcon);
        QVERIFY2(WaitForDialog(true), "no configuration dialog at start");
        VerifyBottomRight();
        if (lateHost.isEmpty()) {
            QVERIFY(m_desktop.TrayIcons().isNull());
            return;
        }
        // as if the screen had shrunk under it; Escape dismisses it
        bool moved = false;
        m_desktop.Run("xdotool", {"search", "--name", kDialogTitle, "windowmove", "1500", "1100"}, &moved);
        QVERIFY(moved && WaitFor([&] { return DialogRect().left() >= 1280; }, 5000));
        QVERIFY(m_desktop.Keys({"Escape"}) && WaitForDialog(false));

        for (int round = 0; round < 3; ++round) {
            QVERIFY(m_desktop.Script({"tray", lateHost}));
            QVERIFY2(m_desktop.Script({"tray-icon", "--wait"}),
                     qPrintable(QStringLiteral("no icon in round %1").arg(round)));
        }
        OpenFromTray(1);
        VerifyBottomRight();
        m_desktop.Stop(); // its tray is no longer the one asked for
    }
};

QTEST_GUILESS_MAIN(TestE2eTray)
#include "tst_e2e_tray.moc"
