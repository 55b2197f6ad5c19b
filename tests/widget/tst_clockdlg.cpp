// The clock window: when the timer and a clock change redraw, the window's
// circle, the notification icon's clicks, the fallback without a compositing
// manager, and the order of things at shutdown.

#include <QApplication>
#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "config/ConfigDlg.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
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

// Local time on a fixed day, "hh:mm:ss".
std::time_t At(const char* hms)
{
    return QDateTime(QDate(2024, 12, 6), QTime::fromString(QLatin1String(hms), QStringLiteral("hh:mm:ss")))
        .toSecsSinceEpoch();
}

// Whether the window drew since the last call: drawing makes the renderer,
// and a size change (which changes nothing here) drops it again.
bool Drew(CClockDlg& dlg)
{
    const bool drew = dlg.m_pFace != nullptr;
    dlg.OnSize();
    return drew;
}

QRegion Circle(int size) { return platform::CreateEllipticRgn(0, 0, size, size); }

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestClockDlg : public QObject {
    Q_OBJECT
public:
    explicit TestClockDlg(const QString& folder) : m_folder(folder) {}

private slots:
    void init();
    void cleanup();

    void drawsOnlyWhenTheShownTimeChanges_data();
    void drawsOnlyWhenTheShownTimeChanges();
    void paintsAndPageRedrawsLeaveTheLastTime();
    void shapeIsSetOnceForEachSize();
    void trayClicksOpenTheOneDialog_data();
    void trayClicksOpenTheOneDialog();
    void destroyStopsTimerThenIconThenDialogThenRenderer();
    void quitEndsTheRunWithoutSaving_data();
    void quitEndsTheRunWithoutSaving();

private:
    QString IniPath() const { return m_folder + QStringLiteral("/vitrodial.ini"); }
    QString RegistryPath() const { return m_folder + QStringLiteral("/config/Tessaline/vitrodial.conf"); }

    QString m_folder;
    std::shared_ptr<SettableClock> m_clock;
    QStringList m_messages;
};

void TestClockDlg::init()
{
    theApp.ResetForTests();
    theApp.SetModulePath(m_folder + QStringLiteral("/vitrodial"));
    theApp.SetScreenSize(QSize(1024, 768));
    theApp.ChooseStoreAndLoad();
    theApp.m_bModified = 0;
    theApp.m_nSize = 200;
    m_clock = std::make_shared<SettableClock>();
    m_clock->m_now = At("12:00:00");
    platform::SetClock(m_clock);
    m_messages.clear();
    platform::SetMessageHandler([this](const QString& text) { m_messages << text; });
}

void TestClockDlg::cleanup()
{
    platform::SetClock(nullptr);
    platform::SetMessageHandler(nullptr);
    theApp.m_pMainWnd = nullptr;
}

void TestClockDlg::drawsOnlyWhenTheShownTimeChanges_data()
{
    QTest::addColumn<bool>("clockSet");  // the system clock was set, else a tick
    QTest::addColumn<bool>("showSeconds");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("now");
    QTest::addColumn<bool>("draws");

    QTest::newRow("tick, same second") << false << true << "12:00:00" << "12:00:00" << false;
    QTest::newRow("tick, next second") << false << true << "12:00:00" << "12:00:01" << true;
    QTest::newRow("tick, no seconds, same second") << false << false << "12:00:00" << "12:00:00" << false;
    QTest::newRow("tick, no seconds, same minute") << false << false << "12:00:05" << "12:00:59" << false;
    QTest::newRow("tick, no seconds, next minute") << false << false << "12:00:59" << "12:01:00" << true;
    QTest::newRow("tick, no seconds, hours later") << false << false << "12:00:05" << "15:00:05" << false;
    QTest::newRow("tick, no seconds, back a minute") << false << false << "12:01:00" << "12:00:59" << true;
    QTest::newRow("clock set, same second") << true << false << "12:00:00" << "12:00:00" << false;
    QTest::newRow("clock set, next second") << true << false << "12:00:00" << "12:00:01" << true;
    QTest::newRow("clock set, hours later") << true << false << "12:00:05" << "15:00:05" << true;
}

void TestClockDlg::drawsOnlyWhenTheShownTimeChanges()
{
    QFETCH(bool, clockSet);
    QFETCH(bool, showSeconds);
    QFETCH(QString, last);
    QFETCH(QString, now);
    QFETCH(bool, draws);

    theApp.m_bShowSeconds = showSeconds;
    CClockDlg dlg;
    dlg.resize(200, 200);
    dlg.m_timeLast = At(qPrintable(last));
    m_clock->m_now = At(qPrintable(now));

    if (clockSet)
        dlg.OnTimeChange();
    else
        dlg.OnTimer();
    QCOMPARE(Drew(dlg), draws);
    // What draws nothing leaves the last drawn time as it was, so that the
    // minute is compared with the minute on the face.
    QCOMPARE(dlg.m_timeLast, draws ? At(qPrintable(now)) : At(qPrintable(last)));
}

void TestClockDlg::paintsAndPageRedrawsLeaveTheLastTime()
{
    CClockDlg dlg;
    dlg.resize(200, 200);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.m_timeLast = At("11:59:00");
    m_clock->m_now = At("12:00:00");

    dlg.repaint();
    dlg.DrawClock();
    dlg.ApplyLayering();
    dlg.SetLayeredWindowAttributes(RGB(1, 2, 3), 77);
    QCOMPARE(dlg.m_timeLast, At("11:59:00"));
}

void TestClockDlg::shapeIsSetOnceForEachSize()
{
    theApp.m_nSize = 300;
    CClockDlg dlg;
    QVERIFY(dlg.WindowRgn().isEmpty());
    dlg.UpdateShape();
    QCOMPARE(dlg.WindowRgnSets(), 1);
    QCOMPARE(dlg.WindowRgn(), Circle(300));
    dlg.UpdateShape();
    QCOMPARE(dlg.WindowRgnSets(), 1);

    // Shown at that size, the same circle is kept; drawn, it has a renderer.
    dlg.setGeometry(0, 0, 300, 300);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.WindowRgnSets(), 1);
    dlg.DrawClock();
    QVERIFY(dlg.m_pFace);

    // A new size: the new circle, and the renderer made for the old size goes.
    theApp.m_nSize = 200;
    QVERIFY(dlg.ResizeClock(200));
    QVERIFY(!dlg.m_pFace);
    QCOMPARE(dlg.WindowRgnSets(), 2);
    QCOMPARE(dlg.WindowRgn(), Circle(200));
    QCOMPARE(dlg.mask(), Circle(200));
    dlg.DrawClock();
    QCOMPARE(dlg.m_pFace->m_rcFace.Width(), 200);
}

void TestClockDlg::trayClicksOpenTheOneDialog_data()
{
    QTest::addColumn<int>("trayIcon");
    QTest::addColumn<unsigned long>("id");
    QTest::addColumn<long>("mouse");
    QTest::addColumn<long>("result");
    QTest::addColumn<bool>("opens");

    const auto reason = &TrayIcon::MouseMessage;
    QTest::newRow("left up") << 1 << 1ul << WM_LBUTTONUP << 1l << true;
    QTest::newRow("right up") << 1 << 1ul << WM_RBUTTONUP << 1l << true;
    QTest::newRow("left click") << 1 << 1ul << reason(QSystemTrayIcon::Trigger) << 1l << true;
    QTest::newRow("right click") << 1 << 1ul << reason(QSystemTrayIcon::Context) << 1l << true;
    QTest::newRow("high word ignored") << 1 << 1ul << (0x70000l | WM_LBUTTONUP) << 1l << true;
    QTest::newRow("double click") << 1 << 1ul << reason(QSystemTrayIcon::DoubleClick) << 1l << false;
    QTest::newRow("middle click") << 1 << 1ul << reason(QSystemTrayIcon::MiddleClick) << 1l << false;
    QTest::newRow("mouse move") << 1 << 1ul << 0x0200l << 1l << false;
    QTest::newRow("other icon") << 1 << 2ul << WM_LBUTTONUP << 0l << false;
    QTest::newRow("no icon") << 0 << 1ul << WM_LBUTTONUP << 0l << false;
}

void TestClockDlg::trayClicksOpenTheOneDialog()
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
    QVERIFY(dlg.m_pConfigDlg->isVisible());

    // Hidden, then asked for again: the same dialog comes back.
    CConfigDlg* first = dlg.m_pConfigDlg;
    first->hide();
    QCOMPARE(dlg.WindowProc(WM_TRAYNOTIFY, id, mouse), 1l);
    QCOMPARE(dlg.m_pConfigDlg, first);
    QVERIFY(first->isVisible());
    QVERIFY(m_messages.isEmpty());
}

void TestClockDlg::destroyStopsTimerThenIconThenDialogThenRenderer()
{
    theApp.m_bTrayIcon = 1;
    CClockDlg dlg;
    theApp.m_pMainWnd = &dlg;
    dlg.resize(200, 200);
    dlg.m_nTimerId = dlg.SetTimer(CClockDlg::kTimerId);
    QVERIFY(dlg.m_nTimerId);
    dlg.AddTrayIcon();
    dlg.ShowConfig();
    dlg.DrawClock();
    QVERIFY(dlg.TrayIconShown() && dlg.m_pConfigDlg && dlg.m_pFace);

    bool timerStoppedFirst = false;
    bool iconRemovedFirst = false;
    bool rendererStillThere = false;
    connect(dlg.m_pConfigDlg, &QObject::destroyed, this, [&] {
        timerStoppedFirst = dlg.m_nTimerId == 0 && !dlg.KillTimer(CClockDlg::kTimerId);
        iconRemovedFirst = !dlg.TrayIconShown();
        rendererStillThere = dlg.m_pFace != nullptr;
    });
    const QByteArray ini = ReadFile(IniPath());
    const QByteArray registry = ReadFile(RegistryPath());
    theApp.m_bModified = 1;

    QVERIFY(dlg.DestroyWindow());
    QVERIFY(timerStoppedFirst);
    QVERIFY(iconRemovedFirst);
    QVERIFY(rendererStillThere);
    QVERIFY(!dlg.m_pConfigDlg);
    QVERIFY(!dlg.m_pFace);
    QVERIFY(!theApp.m_pMainWnd);
    QVERIFY(m_messages.isEmpty());
    // Nothing is saved on the way out.
    QCOMPARE(ReadFile(IniPath()), ini);
    QCOMPARE(ReadFile(RegistryPath()), registry);
}

void TestClockDlg::quitEndsTheRunWithoutSaving_data()
{
    QTest::addColumn<int>("trayIcon");
    // No notification area exists offscreen: with the icon asked for, the
    // dialog is the only way into the program, so it opens at start too.
    QTest::newRow("no icon") << 0;
    QTest::newRow("icon but no notification area") << 1;
}

void TestClockDlg::quitEndsTheRunWithoutSaving()
{
    QFETCH(int, trayIcon);
    theApp.m_bTrayIcon = trayIcon;
    theApp.m_nLeft = 10;
    theApp.m_nTop = 20;
    const QByteArray ini = ReadFile(IniPath());
    const QByteArray registry = ReadFile(RegistryPath());

    CClockDlg dlg;
    theApp.m_pMainWnd = &dlg;
    bool dialogAtStart = false;
    QRect placed;
    QTimer::singleShot(0, &dlg, [&] {
        dialogAtStart = dlg.m_pConfigDlg && dlg.m_pConfigDlg->isVisible();
        placed = dlg.geometry();
        theApp.m_bModified = 1;
        dlg.PostQuitMessage();
    });
    dlg.DoModal();

    QVERIFY(dialogAtStart);
    QCOMPARE(placed, QRect(10, 20, 200, 200));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("vitrodial"));
    QVERIFY(!dlg.isVisible());
    QVERIFY(!dlg.m_pConfigDlg);
    QCOMPARE(dlg.m_nTimerId, 0u);
    QCOMPARE(ReadFile(IniPath()), ini);
    QCOMPARE(ReadFile(RegistryPath()), registry);
}

int main(int argc, char** argv)
{
    // Settings of this run only, set before anything reads the variable.
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    TestClockDlg test(folder.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clockdlg.moc"
