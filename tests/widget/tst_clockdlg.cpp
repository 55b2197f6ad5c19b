// The clock window: when it redraws, its circle, its surface and layering,
// the notification icon's clicks, and the order of things at shutdown. (A quit through a modal loop
// is proved on the real program, by a start that closes the clock.)

#include <QDateTime>
#include <QLocale>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "config/ConfigDlg.h"
#include "platform/Clock.h"
#include "platform/Region.h"
#include "window/ClockDlg.h"
#include "window/ClockSurface.h"
#include "window/LayeredSurface.h"
#include "window/TrayIcon.h"

namespace {

struct SettableClock final : platform::IClock {
    std::time_t Now() const override { return now; }
    long long NowMs() const override { return now * 1000LL; }
    std::time_t now = 0;
};

// What the window asked of a stand-in surface, kept beyond its life.
struct SurfaceCalls {
    std::tuple<COLORREF, int, bool> layering;
    int draws = 0;
};

// A surface that draws nothing and, when told to, refuses every size.
class StandInSurface final : public ClockSurface {
public:
    StandInSurface(SurfaceCalls& calls, bool refuse) : m_calls(calls), m_bRefuse(refuse) {}
    bool SetSize(const QSize& size, qreal ratio) override
    {
        m_size = size, m_ratio = ratio;
        return !m_bRefuse;
    }
    QSize Size() const override { return m_size; }
    qreal DevicePixelRatio() const override { return m_ratio; }
    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend) override
    {
        m_calls.layering = {crKey, nAlpha, bBlend};
        return true;
    }
    QRegion Draw(CClockFace&, const FaceSettings&, std::time_t) override
    {
        ++m_calls.draws;
        return QRect(QPoint(), m_size);
    }
    void Show(const QRegion&) override {}
    void Expose(const QRegion&) override {}
    const QRegion& OpaqueRegion() const override { return m_opaque; }
    bool UsesBackingStore() const override { return true; }

private:
    SurfaceCalls& m_calls;
    bool m_bRefuse;
    QSize m_size;
    qreal m_ratio = 1.0;
    QRegion m_opaque;
};

// A screen as Qt shows it: its device size at a ratio, in logical pixels
// from the same top-left corner.
ScreenInfo Screen(int x, int y, int width, int height, qreal ratio = 1)
{
    const QRect logical(x, y, qRound(width / ratio), qRound(height / ratio));
    return {logical, logical, ratio};
}

ScreenLayout Screens(std::vector<ScreenInfo> screens, int primary = 0, QRect available = {})
{
    if (!available.isNull())
        screens[std::size_t(primary)].available = available;
    return {std::move(screens), primary};
}

// Noon, local time; the rows count seconds from it.
const std::time_t kNoon = QDateTime(QDate(2024, 12, 6), QTime(12, 0)).toSecsSinceEpoch();

} // namespace

Q_DECLARE_METATYPE(ScreenLayout)

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

    // A tick draws when the shown time changed: the second, or with the
    // seconds hand hidden the minute; a setting of the clock when the second
    // changed; a change of zone always, as the hours shown change within the
    // second. Only these move the last time; a page's redraw does not.
    void drawsOnlyWhenTheShownTimeChanges_data()
    {
        QTest::addColumn<int>("how"); // 0 a tick, 1 the clock set, 2 a page's redraw, 3 the zone changed
        QTest::addColumn<bool>("showSeconds");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("now");
        QTest::addColumn<int>("drawnAt"); // -1: nothing drawn
        QTest::newRow("tick, same second") << 0 << true << 0 << 0 << -1;
        QTest::newRow("tick, next second") << 0 << true << 0 << 1 << 1;
        QTest::newRow("tick, no seconds, same minute") << 0 << false << 5 << 59 << -1;
        QTest::newRow("tick, no seconds, next minute") << 0 << false << 59 << 60 << 60;
        QTest::newRow("tick, no seconds, hours later") << 0 << false << 5 << 3 * 3600 + 5 << 3 * 3600 + 5;
        QTest::newRow("clock set, same second") << 1 << false << 0 << 0 << -1;
        QTest::newRow("clock set, next second") << 1 << false << 0 << 1 << 1;
        QTest::newRow("page redraw") << 2 << true << 0 << 1 << 0;
        QTest::newRow("zone changed, same second") << 3 << false << 7 << 7 << 7;
        QTest::newRow("zone changed, next second") << 3 << false << 7 << 8 << 8;
    }
    void drawsOnlyWhenTheShownTimeChanges()
    {
        QFETCH(int, how);
        QFETCH(bool, showSeconds);
        QFETCH(int, last);
        QFETCH(int, now);
        QFETCH(int, drawnAt);
        theApp.m_bShowSeconds = showSeconds;
        CClockDlg dlg;
        dlg.resize(200, 200);
        dlg.m_timeLast = kNoon + last;
        m_clock->now = kNoon + now;
        how == 0 ? dlg.OnTimer() : how == 1 ? dlg.OnTimeChange() : how == 2 ? dlg.DrawClock() : dlg.OnZoneChange();
        QCOMPARE(dlg.m_pFace != nullptr, drawnAt >= 0); // drawing makes the renderer
        // Kept when nothing is drawn, so the minute is compared with the face's.
        QCOMPARE(dlg.m_timeLast, kNoon + (drawnAt > 0 ? drawnAt : last));
        // A screen reader hears the minute drawn.
        QCOMPARE(dlg.accessibleName(),
                 drawnAt < 0 ? QString()
                             : QLocale().toString(QTime(12, 0).addSecs(now - now % 60), QLocale::ShortFormat));
    }

    // The circle follows the size, set once for each.
    void shapeFollowsTheSize()
    {
        CClockDlg dlg;
        dlg.setGeometry(0, 0, 200, 200);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        theApp.m_nSize = 300;
        QVERIFY(dlg.ResizeClock(300) && dlg.WindowRgnSets() == 2);
        QCOMPARE(dlg.WindowRgn(), platform::CreateEllipticRgn(0, 0, 300, 300));
        theApp.m_nSize = INT_MAX; // kept as stored; the window shrinks to the screen's shorter side
        QVERIFY(dlg.ResizeClock(INT_MAX));
        QCOMPARE(dlg.WindowRgn(), platform::CreateEllipticRgn(0, 0, 768, 768));
    }

    // Over any screens: the Geometry ranges cover them all (one at the
    // origin: -W..W, -H..H, 1..M) and hold the stored values; the defaults
    // sit on the primary's area without panels; the clock shows where it is
    // stored, at its screen's scale, unless no pixel of it would be on a
    // screen or it is larger than every screen: then whole on the nearest.
    // Device positions never go back as Left or Top grow.
    void screenLayout_data()
    {
        QTest::addColumn<ScreenLayout>("screens");
        QTest::addColumn<QList<int>>("stored");   // left, top, size
        QTest::addColumn<QList<int>>("ranges");   // x min, max, y min, max, size max
        QTest::addColumn<QList<int>>("defaults"); // size, left, top
        QTest::addColumn<QRect>("device");
        QTest::addColumn<bool>("rescued");
        const ScreenLayout one = Screens({Screen(0, 0, 1280, 1024)});
        const ScreenLayout laptop = Screens({Screen(0, 0, 1366, 768)});
        const ScreenLayout mixed = Screens({Screen(0, 0, 1366, 768), Screen(1366, 0, 2560, 1440, 2)});
        QTest::newRow("one at origin") << one << QList{128, 0, 1024} << QList{-1280, 1280, -1024, 1024, 1024}
                                       << QList{1024, 128, 0} << QRect(128, 0, 1024, 1024) << false;
        QTest::newRow("partly off") << one << QList{-300, 900, 400} << QList{-1280, 1280, -1024, 1024, 1024}
                                    << QList{1024, 128, 0} << QRect(-300, 900, 400, 400) << false;
        QTest::newRow("two side by side, stored beyond")
            << Screens({Screen(0, 0, 1920, 1080), Screen(1920, 0, 1920, 1080)}) << QList{5000, -1200, 1500}
            << QList{-3840, 5000, -1200, 1080, 1500} << QList{1080, 420, 0} << QRect(2760, 0, 1080, 1080) << true;
        QTest::newRow("primary not at origin, panel, off screen")
            << Screens({Screen(0, 0, 1280, 1024), Screen(1280, 200, 1920, 1080)}, 1, QRect(1280, 232, 1920, 1048))
            << QList{-900, -700, 500} << QList{-3200, 3200, -1280, 1280, 1080} << QList{1048, 1716, 232}
            << QRect(0, 0, 500, 500) << true;
        QTest::newRow("laptop at scale 2")
            << Screens({Screen(0, 0, 1366, 768, 2), Screen(1366, 0, 2560, 1440)}) << QList{2000, 100, 600}
            << QList{-3926, 3926, -1440, 1440, 1440} << QList{384, 149, 0} << QRect(2000, 100, 600, 600) << false;
        QTest::newRow("on a monitor at scale 2") << mixed << QList{2000, 100, 600} << QList{-2646, 2646, -768, 768, 768}
                                                 << QList{768, 299, 0} << QRect(2634, 200, 1200, 1200) << false;
        QTest::newRow("that monitor gone") << laptop << QList{2000, 100, 600} << QList{-1366, 2000, -768, 768, 768}
                                           << QList{768, 299, 0} << QRect(766, 100, 600, 600) << true;
        QTest::newRow("larger than every screen")
            << Screens({Screen(0, 0, 1920, 1080, 2)}) << QList{420, 0, 1080} << QList{-960, 960, -540, 540, 1080}
            << QList{540, 210, 0} << QRect(840, 0, 1080, 1080) << true;
    }
    void screenLayout()
    {
        QFETCH(ScreenLayout, screens);
        QFETCH(QList<int>, stored);
        QFETCH(QList<int>, ranges);
        QFETCH(QList<int>, defaults);
        QFETCH(QRect, device);
        QFETCH(bool, rescued);
        const layout::GeometryRanges r = layout::Ranges(screens, stored[0], stored[1], stored[2]);
        QCOMPARE((QList{r.x.min, r.x.max, r.y.min, r.y.max, r.size.max}), ranges);
        const int side = layout::DefaultSize(screens);
        QCOMPARE((QList{side, layout::DefaultLeft(screens, side), layout::DefaultTop(screens)}), defaults);

        const auto place = [&](int left, int top) { return layout::Place(screens, left, top, stored[2], 8192, 32768); };
        const layout::Placement p = place(stored[0], stored[1]);
        QCOMPARE(p.device, device);
        QCOMPARE(p.rescued, rescued);
        // What Qt makes of the logical window on its screen is that place.
        const ScreenInfo& on = screens.screens[std::size_t(p.screen)];
        QCOMPARE(on.geometry.topLeft() + (p.window.topLeft() - on.geometry.topLeft()) * on.ratio, p.device.topLeft());
        QCOMPARE(p.window.size() * on.ratio, p.device.size());
        for (int step = -4000, lastX = INT_MIN, lastY = INT_MIN; step <= 6000; step += 7) {
            const layout::Placement across = place(step, stored[1]), down = place(stored[0], step);
            QVERIFY(across.rescued || across.device.left() >= std::exchange(lastX, across.device.left()));
            QVERIFY(down.rescued || down.device.top() >= std::exchange(lastY, down.device.top()));
        }
    }

    // Any stored place and size, at start and through the pages' calls,
    // gives a window of at least a pixel wholly within X11's 16-bit
    // coordinates, and stays stored as it is; an ordinary one is taken as is.
    void storedGeometryIsBounded_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("size");
        QTest::newRow("ordinary") << -40 << 30 << 300;
        QTest::newRow("smallest") << INT_MIN << INT_MIN << INT_MIN;
        QTest::newRow("largest") << INT_MAX << INT_MAX << INT_MAX;
        QTest::newRow("far place, ordinary size") << INT_MAX << INT_MIN << 200;
        QTest::newRow("size 0") << 0 << 0 << 0;
        QTest::newRow("huge") << (1 << 30) << -(1 << 30) << (1 << 24);
    }
    void storedGeometryIsBounded()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, size);
        theApp.m_nLeft = left;
        theApp.m_nTop = top;
        theApp.m_nSize = size;
        CClockDlg dlg;
        theApp.m_pMainWnd = &dlg;
        dlg.OnInitDialog();
        for (const bool fromPages : {false, true}) {
            if (fromPages) {
                QVERIFY(dlg.MoveClock(left, top));
                QVERIFY(dlg.ResizeClock(size));
            }
            const QRect geometry = dlg.geometry();
            QVERIFY(QRect(-32768, -32768, 65536, 65536).contains(geometry) && !geometry.isEmpty());
            QCOMPARE(geometry.width(), geometry.height());
            if (QTest::currentDataTag() == QByteArray("ordinary"))
                QCOMPARE(geometry, QRect(left, top, size, size));
            QCOMPARE(QList<int>({theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize}), QList<int>({left, top, size}));
        }
        dlg.DestroyWindow();
    }

    // A surface that refuses the window's size gives way to an image, which
    // draws the face.
    void refusedSurfaceGivesWayToAnImage()
    {
        CClockDlg dlg;
        dlg.resize(200, 200);
        SurfaceCalls calls;
        dlg.UseSurface(std::make_unique<StandInSurface>(calls, true));
        dlg.DrawClock();
        QCOMPARE(calls.draws, 0);
        const auto* image = dynamic_cast<const LayeredSurface*>(&dlg.Surface());
        QVERIFY(image && image->Size() == QSize(200, 200) && dlg.m_pFace);
    }

    // The layering is the settings': a new surface takes it from them, and so
    // does a compositor starting or stopping, whatever a page applied before
    // storing it. A new layering is drawn anew.
    void layeringComesFromTheSettings()
    {
        theApp.m_crClear = 0x123456, theApp.m_nOpacity = 0x1C0;
        CClockDlg dlg;
        dlg.resize(200, 200);
        SurfaceCalls calls;
        dlg.UseSurface(std::make_unique<StandInSurface>(calls, false));
        QCOMPARE(calls.layering, std::make_tuple(COLORREF(0x123456), 0xC0, true));
        dlg.DrawClock();
        dlg.SetLayeredWindowAttributes(0x654321, 7);
        QCOMPARE(calls.layering, std::make_tuple(COLORREF(0x654321), 7, true));
        QCOMPARE(calls.draws, 2);
        theApp.m_crClear = 0xABCDEF, theApp.m_nOpacity = 9;
        dlg.OnCompositorChanged(false);
        QCOMPARE(calls.layering, std::make_tuple(COLORREF(0xABCDEF), 9, false));
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
        // Never transient for the clock's override-redirect window.
        QVERIFY(!first || (!first->parentWidget() && !first->windowHandle()->transientParent()));
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
