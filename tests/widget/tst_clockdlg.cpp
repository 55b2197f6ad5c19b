// The clock window: when it redraws, its circle, the notification icon's
// clicks, and the order of things at shutdown.

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "config/ConfigDlg.h"
#include "platform/Clock.h"
#include "platform/Region.h"
#include "window/ClockDlg.h"
#include "window/TrayIcon.h"

namespace {

class SettableClock final : public platform::IClock {
public:
    std::time_t Now() const override { return m_now; }
    long long NowMs() const override { return m_now * 1000LL; }
    std::time_t m_now = 0;
};

// Noon, local time; the rows count seconds from it.
const std::time_t kNoon = QDateTime(QDate(2024, 12, 6), QTime(12, 0)).toSecsSinceEpoch();

QRegion Circle(int size) { return platform::CreateEllipticRgn(0, 0, size, size); }

} // namespace

class TestClockDlg : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    std::shared_ptr<SettableClock> m_clock;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath(QStringLiteral("config"))));
    }
    void init()
    {
        theApp.ResetForTests();
        theApp.SetModulePath(m_folder.filePath(QStringLiteral("vitrodial")));
        theApp.SetScreenSize(QSize(1024, 768));
        theApp.ChooseStoreAndLoad();
        theApp.m_nSize = 200;
        theApp.m_pMainWnd = nullptr;
        m_clock = std::make_shared<SettableClock>();
        platform::SetClock(m_clock);
    }

    void drawsOnlyWhenTheShownTimeChanges_data()
    {
        QTest::addColumn<bool>("clockSet");  // the system clock was set, else a tick
        QTest::addColumn<bool>("showSeconds");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("now");
        QTest::addColumn<bool>("draws");
        QTest::newRow("tick, same second") << false << true << 0 << 0 << false;
        QTest::newRow("tick, next second") << false << true << 0 << 1 << true;
        QTest::newRow("tick, no seconds, same minute") << false << false << 5 << 59 << false;
        QTest::newRow("tick, no seconds, next minute") << false << false << 59 << 60 << true;
        QTest::newRow("tick, no seconds, hours later") << false << false << 5 << 3 * 3600 + 5 << false;
        QTest::newRow("clock set, same second") << true << false << 0 << 0 << false;
        QTest::newRow("clock set, next second") << true << false << 0 << 1 << true;
    }
    void drawsOnlyWhenTheShownTimeChanges()
    {
        QFETCH(bool, clockSet);
        QFETCH(bool, showSeconds);
        QFETCH(int, last);
        QFETCH(int, now);
        QFETCH(bool, draws);
        theApp.m_bShowSeconds = showSeconds;
        CClockDlg dlg;
        dlg.resize(200, 200);
        dlg.m_timeLast = kNoon + last;
        m_clock->m_now = kNoon + now;
        if (clockSet)
            dlg.OnTimeChange();
        else
            dlg.OnTimer();
        QCOMPARE(dlg.m_pFace != nullptr, draws);  // drawing makes the renderer
        // Kept when nothing is drawn, so the minute is compared with the face's.
        QCOMPARE(dlg.m_timeLast, kNoon + (draws ? now : last));
    }

    void shapeOnceForEachSizeAndRedrawsKeepTheLastTime()
    {
        theApp.m_nSize = 300;
        CClockDlg dlg;
        dlg.UpdateShape();
        dlg.UpdateShape();
        QCOMPARE(dlg.WindowRgnSets(), 1);
        QCOMPARE(dlg.WindowRgn(), Circle(300));
        dlg.setGeometry(0, 0, 300, 300);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.m_timeLast = kNoon - 60;
        m_clock->m_now = kNoon;
        dlg.repaint();
        dlg.DrawClock();
        dlg.ApplyLayering();
        dlg.SetLayeredWindowAttributes(RGB(1, 2, 3), 77);
        QCOMPARE(dlg.m_timeLast, kNoon - 60);  // only the timer moves it

        // The renderer was made for the old size.
        theApp.m_nSize = 200;
        QVERIFY(dlg.ResizeClock(200));
        QVERIFY(!dlg.m_pFace);
        QCOMPARE(dlg.WindowRgnSets(), 2);
        QCOMPARE(dlg.WindowRgn(), Circle(200));
        theApp.m_nSize = INT_MAX;  // kept as stored; the window is bounded by the largest screen
        QVERIFY(dlg.ResizeClock(INT_MAX));
        const QSize screen = dlg.screen()->size();
        QCOMPARE(dlg.WindowRgn(), Circle(std::max(screen.width(), screen.height())));
    }

    // A quit ends the run from inside a modal loop nested in it.
    void quitEndsTheRunThroughAModalBox()
    {
        CClockDlg dlg;
        QMessageBox box;
        QTimer::singleShot(0, &box, [&] { QTimer::singleShot(0, &dlg, &CClockDlg::PostQuitMessage); box.exec(); });
        dlg.DoModal();
        QVERIFY(!box.isVisible());
    }

    void trayClicksOpenTheOneDialog_data()
    {
        QTest::addColumn<int>("trayIcon");
        QTest::addColumn<unsigned long>("id");
        QTest::addColumn<long>("mouse");
        QTest::addColumn<long>("result");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left up") << 1 << 1ul << WM_LBUTTONUP << 1l << true;
        QTest::newRow("right up") << 1 << 1ul << WM_RBUTTONUP << 1l << true;
        QTest::newRow("double click") << 1 << 1ul << TrayIcon::MouseMessage(QSystemTrayIcon::DoubleClick) << 1l << false;
        QTest::newRow("other icon") << 1 << 2ul << WM_LBUTTONUP << 0l << false;
        QTest::newRow("no icon") << 0 << 1ul << WM_LBUTTONUP << 0l << false;
    }
    void trayClicksOpenTheOneDialog()
    {
        QFETCH(int, trayIcon);
        QFETCH(unsigned long, id);
        QFETCH(long, mouse);
        QFETCH(long, result);
        QFETCH(bool, opens);
        theApp.m_bTrayIcon = trayIcon;
        CClockDlg dlg;
        theApp.m_pMainWnd = &dlg;
        QCOMPARE(dlg.WindowProc(WM_TRAYNOTIFY, id, mouse), result);
        QCOMPARE(dlg.m_pConfigDlg != nullptr, opens);
        if (!opens)
            return;
        CConfigDlg* first = dlg.m_pConfigDlg;
        first->hide();
        dlg.WindowProc(WM_TRAYNOTIFY, id, mouse);
        QCOMPARE(dlg.m_pConfigDlg, first);
        QVERIFY(first->isVisible());
    }

    void destroyStopsTimerThenIconThenDialogThenRenderer()
    {
        theApp.m_bTrayIcon = 1;
        CClockDlg dlg;
        theApp.m_pMainWnd = &dlg;
        dlg.resize(200, 200);
        dlg.m_nTimerId = dlg.SetTimer(CClockDlg::kTimerId);
        dlg.AddTrayIcon();
        dlg.ShowConfig();
        dlg.DrawClock();
        QVERIFY(dlg.TrayIconShown());

        // When the dialog goes: the timer and the icon already, the renderer not yet.
        bool inOrder = false;
        connect(dlg.m_pConfigDlg, &QObject::destroyed, this, [&] {
            inOrder = dlg.m_nTimerId == 0 && !dlg.KillTimer(CClockDlg::kTimerId) && !dlg.TrayIconShown()
                && dlg.m_pFace != nullptr;
        });
        QVERIFY(dlg.DestroyWindow());
        QVERIFY(inOrder);
        QVERIFY(!dlg.m_pConfigDlg && !dlg.m_pFace && !theApp.m_pMainWnd);
    }
};

QTEST_MAIN(TestClockDlg)
#include "tst_clockdlg.moc"
