// Reaching the clock: the tray icon opens the one configuration dialog at the
// bottom right; "Dismiss" hides it, "Close Vitrodial" ends the program; with
// no tray the dialog opens at start.

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

namespace {

const char* const kDialogTitle = "^Vitrodial Configuration$";
// The buttons' rectangles in the dialog's template (dialog units); the whole
// dialog is 244 x 190 units.
const QRectF kDismiss(140, 167, 74, 16);
const QRectF kClose(29, 167, 74, 16);

}  // namespace

class TestE2eTray : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;

    QList<quint64> Dialogs() const { return m_desktop.FindWindows(kDialogTitle); }

    bool WaitForDialog(int timeoutMs = 10000) const
    {
        return WaitFor([this] { return Dialogs().size() == 1; }, timeoutMs, 100);
    }

    QRect DialogRect() const
    {
        const auto dialogs = Dialogs();
        return dialogs.size() == 1 ? m_desktop.Info(dialogs.first()).rect : QRect();
    }

    // A button's centre on the screen, its template place scaled to the size
    // the dialog has there.
    QPoint ButtonCentre(const QRectF& units) const
    {
        const QRect dialog = DialogRect();
        return dialog.topLeft() + QPoint(int(units.center().x() * dialog.width() / 244.0),
                                         int(units.center().y() * dialog.height() / 190.0));
    }

    // The program's icon in the tray, once it is there and has settled (the
    // tray lays its icons out again as they come).
    QRect WaitForTrayIcon() const
    {
        QList<QRect> icons;
        QList<QRect> before;
        WaitFor([&] {
            before = icons;
            icons = m_desktop.TrayIcons();
            return icons.size() == 1 && icons == before;
        }, 15000, 200);
        return icons.size() == 1 ? icons.first() : QRect();
    }

    bool StartClock(const IniFixture& ini)
    {
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        return m_pClock->Prepare(ini.Text()) && m_pClock->Start() && m_pClock->WaitForClockWindow();
    }

    // Left or right click on the icon; the dialog must then be up.
    bool OpenFromTray(int button)
    {
        const QRect icon = WaitForTrayIcon();
        return !icon.isNull() && m_desktop.Click(icon.center(), button) && WaitForDialog();
    }

    void VerifyBottomRight()
    {
        const QRect dialog = DialogRect();
        QVERIFY(dialog.width() > 100 && dialog.height() > 100);
        QCOMPARE(dialog.right() + 1, 1280);
        QCOMPARE(dialog.bottom() + 1, 1024 - 30);
    }

    // From "Dismiss", which has the focus when the dialog opens, Shift+Tab
    // reaches the last slider of the Geometry page; Right moves it by one.
    // Returns whether the clock showed the change (moved, resized or redrawn).
    bool ChangeSomething()
    {
        const quint64 clock = m_pClock->FindClockWindow();
        const QRect before = m_desktop.Info(clock).rect;
        const QImage shot = m_desktop.Screenshot();
        if (!m_desktop.Keys({"shift+Tab", "Right"}))
            return false;
        return WaitFor([&] {
            const QRect now = m_desktop.Info(m_pClock->FindClockWindow()).rect;
            return now != before || DifferingPixels(shot, m_desktop.Screenshot(), before) > 0;
        }, 5000, 100);
    }

private slots:
    void initTestCase() { QVERIFY2(m_desktop.Start({}), qPrintable(m_desktop.ErrorString())); }

    void cleanup()
    {
        ReportFailure(m_desktop, m_pClock.get());
        m_pClock.reset();
    }

    void cleanupTestCase() { m_desktop.Stop(); }

    void trayClickOpensDialogOnce_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << 1;
        QTest::newRow("right") << 3;
    }

    void trayClickOpensDialogOnce()
    {
        QFETCH(int, button);
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        QVERIFY(StartClock(IniFixture()));
        const QRect icon = WaitForTrayIcon();
        QVERIFY2(!icon.isNull(), "no icon in the tray");
        QVERIFY(Dialogs().isEmpty());

        QVERIFY(m_desktop.Click(icon.center(), button));
        QVERIFY2(WaitForDialog(), "no configuration dialog after the click");
        VerifyBottomRight();
        const QRect placed = DialogRect();

        // another click shows the same dialog: never a second one
        QVERIFY(m_desktop.Click(icon.center(), button));
        QVERIFY(!WaitFor([this] { return m_desktop.FindWindows(kDialogTitle, false).size() > 1; }, 1500));
        QCOMPARE(Dialogs().size(), 1);
        QCOMPARE(DialogRect(), placed);
    }

    void dismissHidesWithoutWriting()
    {
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        QVERIFY(StartClock(IniFixture()));
        const QByteArray saved = m_pClock->IniContents();
        const QDateTime modified = QFileInfo(m_pClock->IniPath()).lastModified();
        QVERIFY(OpenFromTray(1));
        const QRect placed = DialogRect();

        QVERIFY(m_desktop.Click(ButtonCentre(kDismiss), 1));
        QVERIFY2(WaitFor([this] { return Dialogs().isEmpty(); }, 5000), "Dismiss did not hide the dialog");
        QVERIFY(m_pClock->IsRunning());
        // nothing changed, so nothing was written
        QCOMPARE(m_pClock->IniContents(), saved);
        QCOMPARE(QFileInfo(m_pClock->IniPath()).lastModified(), modified);

        // the icon brings the same dialog back, where it was
        QVERIFY(OpenFromTray(3));
        QCOMPARE(DialogRect(), placed);
    }

    void dismissWritesAfterChange()
    {
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        IniFixture ini;
        ini.Set("Seconds", "Show", 0);  // so that only the change redraws the face
        QVERIFY(StartClock(ini));
        const QByteArray saved = m_pClock->IniContents();
        QVERIFY(OpenFromTray(1));
        QVERIFY2(ChangeSomething(), "the keyboard changed nothing on the clock");

        QVERIFY(m_desktop.Click(ButtonCentre(kDismiss), 1));
        QVERIFY2(WaitFor([this] { return Dialogs().isEmpty(); }, 5000), "Dismiss did not hide the dialog");
        QVERIFY(m_pClock->IniContents() != saved);
        QVERIFY(m_pClock->IsRunning());
    }

    void closeWritesAfterChange()
    {
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        IniFixture ini;
        ini.Set("Seconds", "Show", 0);
        QVERIFY(StartClock(ini));
        const QByteArray saved = m_pClock->IniContents();
        QVERIFY(OpenFromTray(3));
        QVERIFY2(ChangeSomething(), "the keyboard changed nothing on the clock");

        QVERIFY(m_desktop.Click(ButtonCentre(kClose), 1));
        QVERIFY2(m_pClock->WaitForExit(10000), "the program did not end");
        QCOMPARE(m_pClock->ExitStatus(), QProcess::NormalExit);
        QVERIFY(m_pClock->IniContents() != saved);
    }

    void closeEndsProgram()
    {
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        QVERIFY(StartClock(IniFixture()));
        const QByteArray saved = m_pClock->IniContents();
        QVERIFY(OpenFromTray(1));

        QVERIFY(m_desktop.Click(ButtonCentre(kClose), 1));
        QVERIFY2(m_pClock->WaitForExit(10000), "the program did not end");
        QCOMPARE(m_pClock->ExitStatus(), QProcess::NormalExit);
        QVERIFY(m_desktop.FindWindows("^vitrodial$", false).isEmpty());
        QVERIFY(Dialogs().isEmpty());
        QVERIFY(WaitFor([this] { return m_desktop.TrayIcons().isEmpty(); }, 5000));
        QCOMPARE(m_pClock->IniContents(), saved);
    }

    void dialogAtStart_data()
    {
        QTest::addColumn<bool>("trayHost");
        QTest::addColumn<int>("trayIcon");
        QTest::newRow("no tray host") << false << 1;
        QTest::newRow("tray icon off") << true << 0;
    }

    void dialogAtStart()
    {
        QFETCH(bool, trayHost);
        QFETCH(int, trayIcon);
        VirtualDesktop::Options options;
        options.tray = trayHost;
        QVERIFY2(m_desktop.Ensure(options), qPrintable(m_desktop.ErrorString()));
        IniFixture ini;
        ini.Set("Misc", "TrayIcon", trayIcon);
        QVERIFY(StartClock(ini));
        QVERIFY2(WaitForDialog(), "no configuration dialog at start");
        VerifyBottomRight();
        if (trayHost)
            QVERIFY(m_desktop.TrayIcons().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestE2eTray)
#include "tst_e2e_tray.moc"
