// The clock window: when it redraws, its circle, the notification icon's
// clicks, and the order of things at shutdown.

#include <QDateTime>
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

struct SettableClock final : platform::IClock {
    std::time_t Now() const override { return now; }
    long long NowMs() const override { return now * 1000LL; }
    std::time_t now = 0;
};

// Noon, local time; the rows count seconds from it.
const std::time_t kNoon = QDateTime(QDate(2024, 12, 6), QTime(12, 0)).toSecsSinceEpoch();

} // namespace

class TestClockDlg : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    std::shared_ptr<SettableClock> m_clock;

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath(QStringLiteral("config"))));
        theApp.ResetForTests();
        theApp.SetModulePath(m_folder.filePath(QStringLiteral("vitrodial")));
        theApp.SetScreenSize(QSize(1024, 768));
        theApp.ChooseStoreAndLoad();
        theApp.m_nSize = 200;
        platform::SetClock(m_clock = std::make_shared<SettableClock>());
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
        m_clock->now = kNoon + now;
        clockSet ? dlg.OnTimeChange() : dlg.OnTimer();
        QCOMPARE(dlg.m_pFace != nullptr, draws);  // drawing makes the renderer
        // Kept when nothing is drawn, so the minute is compared with the face's.
        QCOMPARE(dlg.m_timeLast, kNoon + (draws ? now : last));
    }

    // One circle per size; a resize drops the renderer made for the old one.
    // Redraws other than the timer's keep the last time.
    void shapeAndRendererFollowTheSize()
    {
        CClockDlg dlg;
        dlg.UpdateShape();
        dlg.UpdateShape();
        QCOMPARE(dlg.WindowRgnSets(), 1);
        dlg.setGeometry(0, 0, 200, 200);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.m_timeLast = kNoon - 60;
        m_clock->now = kNoon;
        dlg.DrawClock();
        QVERIFY(dlg.m_pFace);
        QCOMPARE(dlg.m_timeLast, kNoon - 60);
        theApp.m_nSize = 300;
        QVERIFY(dlg.ResizeClock(300));
        QVERIFY(!dlg.m_pFace);
        QCOMPARE(dlg.WindowRgnSets(), 2);
        QCOMPARE(dlg.WindowRgn(), platform::CreateEllipticRgn(0, 0, 300, 300));
    }

    // Only the up-click of either button on icon 1 opens the dialog, while
    // the icon is on; a second click shows the same dialog again.
    void trayClicksOpenTheOneDialog_data()
    {
        QTest::addColumn<int>("trayIcon");
        QTest::addColumn<unsigned long>("id");
        QTest::addColumn<long>("mouse");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left up") << 1 << 1ul << WM_LBUTTONUP << true;
        QTest::newRow("right up") << 1 << 1ul << WM_RBUTTONUP << true;
        QTest::newRow("double click") << 1 << 1ul << TrayIcon::MouseMessage(QSystemTrayIcon::DoubleClick) << false;
        QTest::newRow("other icon") << 1 << 2ul << WM_LBUTTONUP << false;
        QTest::newRow("no icon") << 0 << 1ul << WM_LBUTTONUP << false;
    }
    void trayClicksOpenTheOneDialog()
    {
        QFETCH(int, trayIcon);
        QFETCH(unsigned long, id);
        QFETCH(long, mouse);
        QFETCH(bool, opens);
        theApp.m_bTrayIcon = trayIcon;
        CClockDlg dlg;
        QCOMPARE(dlg.WindowProc(WM_TRAYNOTIFY, id, mouse), long(trayIcon && id == 1));
        CConfigDlg* first = dlg.m_pConfigDlg.get();
        QCOMPARE(first != nullptr, opens);
        if (first)
            first->hide();
        dlg.WindowProc(WM_TRAYNOTIFY, id, mouse);
        QVERIFY(dlg.m_pConfigDlg.get() == first && (!first || first->isVisible()));
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
        // When the dialog goes: the timer and the icon already, the renderer not yet.
        bool inOrder = false;
        connect(dlg.m_pConfigDlg.get(), &QObject::destroyed, this, [&] {
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
