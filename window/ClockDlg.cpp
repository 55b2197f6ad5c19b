#include "window/ClockDlg.h"

#include <algorithm>
#include <cstdio>

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLocale>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QTime>
#include <QWindow>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "config/ConfigDlg.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Region.h"
#include "platform/TimeChangeWatcher.h"
#include "platform/TimeZoneWatcher.h"
#include "platform/X11.h"
#include "window/DevicePixels.h"
#include "window/LayeredSurface.h"
#include "window/ModalSweep.h"
#include "window/SecondTicker.h"
#include "window/ServerSurface.h"
#include "window/TrayIcon.h"
#ifdef VITRODIAL_WAYLAND
#include "platform/WaylandConnection.h"
#include "window/WaylandSurface.h"
#endif

namespace {

// The largest face in device pixels, as for the render tool: 256 MiB a frame.
constexpr int kMaxSide = 8192;
// X11 coordinates are 16-bit: positions from -32768, far edges up to 32768.
constexpr int kCoordRange = 32768;

QIcon ProgramIcon()
{
    // Read as what it is: a reader left to find the format asks every image
    // plugin installed, and each it loads stays in memory.
    QImageReader reader(QStringLiteral(":/vitrodial/vitrodial.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

// A dialog left where a screen no longer is goes back to the bottom right of
// the primary screen, where it first opened.
void KeepOnScreen(QWidget* dialog)
{
    const QRect frame = dialog->frameGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().contains(frame))
            return;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    dialog->move(screen.right() + 1 - frame.width(), screen.bottom() + 1 - frame.height() - CConfigDlg::kBottomGap);
}

// Never decorated, never focused, never in the way of a click. Unmanaged,
// the clock stacks itself (AboveKeeper): so when top-most, as the managers
// that raise windows of their own above the others would raise it too,
// unless the manager keeps moving it or draws it where it likes (then the
// manager keeps it above, and this program's dialog above that). Otherwise
// a manager keeps it below its windows (some move an unmanaged window back
// above them, or draw it there), unless it decorates it anyway.
Qt::WindowFlags ClockFlags(bool managed, bool topMost = false)
{
    const Qt::WindowFlags always =
        Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    if (!managed)
        return always | Qt::Tool | Qt::X11BypassWindowManagerHint;
    return always | Qt::Window | (topMost ? Qt::WindowStaysOnTopHint : Qt::WindowStaysOnBottomHint);
}

} // namespace

CClockDlg::CClockDlg(QWidget* parent)
    : QWidget(parent, ClockFlags(false))
    , m_timeLast(platform::Clock().Now())
    , m_pSurface(std::make_unique<LayeredSurface>(this))
    , m_shape(this)
    , m_pTicker(std::make_unique<SecondTicker>())
    , m_pTray(std::make_unique<TrayIcon>(ProgramIcon()))
{
    // Per-pixel alpha needs a window with an alpha channel from the start.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowIcon(ProgramIcon());
    connect(m_pTicker.get(), &SecondTicker::tick, this, &CClockDlg::OnTimer);
    connect(m_pTray.get(), &TrayIcon::notify, this,
            [this](unsigned long wParam, long lParam) { WindowProc(WM_TRAYNOTIFY, wParam, lParam); });
}

CClockDlg::~CClockDlg()
{
    // The dialog first, while the window it reports to is whole.
    m_pConfigDlg.reset();
    m_pFace.reset();
}

bool CClockDlg::UseWayland()
{
#ifdef VITRODIAL_WAYLAND
    auto connection = std::make_unique<platform::wayland::Connection>();
    if (!connection->Available())
        return false;
    m_pWaylandConn = std::move(connection);
    // Handled from the event loop: the surface goes with the connection.
    connect(m_pWaylandConn.get(), &platform::wayland::Connection::lost, this, &CClockDlg::OnWaylandLost,
            Qt::QueuedConnection);
    auto surface = std::make_unique<WaylandSurface>(*m_pWaylandConn);
    connect(&surface->Layer(), &platform::wayland::LayerSurface::repaintNeeded, this, &CClockDlg::RepaintWayland);
    // Made again from the event loop: the output that went may still be listed now.
    connect(
        &surface->Layer(), &platform::wayland::LayerSurface::closed, this,
        [this] {
            if (m_pWayland)
                m_pWayland->Map();
        },
        Qt::QueuedConnection);
    UseSurface(std::move(surface));
    return true;
#else
    return false;
#endif
}

void CClockDlg::OnInitDialog()
{
    setWindowTitle(theApp.AppName());
    if (m_pWayland) {
#ifdef VITRODIAL_WAYLAND
        // The compositor blends every surface.
        m_bComposited = true;
        setGeometry(WindowGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize));
        m_pWayland->SetTopMost(theApp.m_bTopMost != 0);
        m_pWayland->SetGeometry(geometry());
        ApplyLayering();
        RenderFrame();
        m_pWayland->Map();
        m_pSurface->Show(QRect(QPoint(), m_pSurface->Size()));
#endif
    } else {
        ShowOnX11();
    }

    m_pTimeWatch = std::make_unique<TimeChangeWatcher>();

    connect(m_pTimeWatch.get(), &TimeChangeWatcher::timeChanged, this, [this] {
        OnTimeChange();
        m_pTicker->Realign();
    });
    m_pZoneWatch = std::make_unique<TimeZoneWatcher>();
    connect(m_pZoneWatch.get(), &TimeZoneWatcher::zoneChanged, this, &CClockDlg::OnZoneChange);
    m_pTicker->SetShowSeconds(theApp.m_bShowSeconds != 0);
    m_nTimerId = SetTimer(kTimerId);

    // The icon waits, shown, and appears in an area that starts later.
    if (theApp.m_bTrayIcon)
        AddTrayIcon();
    // Without an icon to click (the clock ignores the mouse) the dialog is
    // reached from the menu entry or with --configure; the start says
    // whether it opens by itself as well.
    const bool clickable = theApp.m_bTrayIcon && m_pTray->Available();
    if (m_eConfigAtStart == ConfigAtStart::Always || (m_eConfigAtStart == ConfigAtStart::WithoutTray && !clickable))
        ShowConfig();
}

void CClockDlg::ShowOnX11()
{
    if (platform::x11::IsAvailable()) {
        m_pCompositorWatch =
            std::make_unique<platform::x11::SelectionWatch>(platform::x11::ScreenSelection("_NET_WM_CM_S"));
        m_bComposited = m_pCompositorWatch->Owned();
        connect(m_pCompositorWatch.get(), &platform::x11::SelectionWatch::ownerChanged, this,
                &CClockDlg::OnCompositorChanged, Qt::QueuedConnection);
        // xfwm4's compositor shows nothing of a window with an alpha channel
        // that existed before it started: each new one gets a new window.
        connect(
            m_pCompositorWatch.get(), &platform::x11::SelectionWatch::newOwner, this,
            [this] { MakeX11Window(m_bTopMostX11); }, Qt::QueuedConnection);
    }

    ApplyLayering();
    PlaceWindow(WindowGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize));
    MakeX11Window(theApp.m_bTopMost != 0);
    m_bFollowScreens = true;
    // Where the screens go, the clock follows from its stored place: back
    // on a screen when its own goes, and back to that place when it returns.
    CClockApp::WatchScreens(this, [this] {
        if (!m_pWayland)
            PlaceWindow(WindowGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize));
    });
}

void CClockDlg::MakeX11Window(bool topMost)
{
    // The kind of window is fixed when it is mapped: another kind is another window.
    m_pAbove.reset();
    if (testAttribute(Qt::WA_WState_Created)) {
        hide();
        // The server's pixmap goes with the window it was made for.
        UseSurface(std::make_unique<LayeredSurface>(this));
        destroy();
    }
    m_bTopMostX11 = topMost;
    const bool managed = (!topMost || m_bManagerRestacks || platform::x11::ManagerComposites()) && !m_bManagerDecorates;
    m_bManagedAbove = managed && topMost;
    m_bManagedX11 = managed;
    setWindowFlags(ClockFlags(managed, topMost));
    UpdateShape();
    create();
    m_shape.Reapply();
    if (platform::x11::IsAvailable()) {
        m_pAbove = std::make_unique<platform::x11::AboveKeeper>(winId());
        if (managed)
            connect(
                m_pAbove.get(), &platform::x11::AboveKeeper::decorated, this,
                [this] {
                    m_bManagerDecorates = true;
                    MakeX11Window(m_bTopMostX11);
                },
                Qt::QueuedConnection);
        else if (topMost && !m_bManagerDecorates)
            connect(
                m_pAbove.get(), &platform::x11::AboveKeeper::overruled, this,
                [this] {
                    m_bManagerRestacks = true;
                    MakeX11Window(m_bTopMostX11);
                },
                Qt::QueuedConnection);
    }
    UseServerSurface();
    // The first frame exists before the window is mapped: without a
    // compositing manager its pixels make the window's shape.
    RenderFrame();
    FitShapeToPixels();
    if (managed)
        platform::x11::SetBackgroundStates(winId(), topMost);
    show();
    if (m_pAbove)
        m_pAbove->SetEnabled(topMost);
    KeepConfigAbove();
}

void CClockDlg::KeepConfigAbove()
{
    // Not all managers put a dialog transient for the clock's group in the
    // clock's layer: the dialog joins it. Its choosers and message boxes are
    // transient for it. A mapped window keeps its place (no hide and show).
    if (!m_pConfigDlg)
        return;
    if (QWindow* window = m_pConfigDlg->windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, m_bManagedAbove);
    else
        m_pConfigDlg->setWindowFlag(Qt::WindowStaysOnTopHint, m_bManagedAbove);
}

void CClockDlg::RepaintWayland()
{
    if (!m_pWayland)
        return;
    // A new scale needs a frame of the new size: drawn whole.
    RenderFrame();
    m_pSurface->Show(QRect(QPoint(), m_pSurface->Size()));
}

void CClockDlg::OnWaylandLost()
{
    if (!m_pWayland)
        return;
    std::fprintf(stderr, "%s: the Wayland compositor went away; the clock shows through X11\n",
                 qPrintable(theApp.AppName()));
    UseSurface(std::make_unique<LayeredSurface>(this));
    m_pWaylandConn.reset();
    ShowOnX11();
}

int CClockDlg::DoModal()
{
    OnInitDialog();
    if (!m_bQuit) {
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec();
        m_pLoop = nullptr;
    }
    hide();
    DestroyWindow();
    return 0;
}

void CClockDlg::PostQuitMessage()
{
    m_bQuit = true;
    if (m_pLoop)
        m_pLoop->exit(0);
    // Their loops run inside this one, which cannot end before they do.
    if (!m_pSweep)
        m_pSweep = std::make_unique<ModalSweep>();
}

void CClockDlg::HideNow()
{
#ifdef VITRODIAL_WAYLAND
    if (m_pWayland) {
        m_pWayland->Unmap();
        m_pWaylandConn->Roundtrip();
    }
#endif
    hide();
    platform::x11::Sync();
}

QRect CClockDlg::WindowGeometry(int left, int top, int size) const
{
    // Stored geometry is not checked at load; what the window makes of it is
    // bounded here, and only here. A clock no pixel of which would be on a
    // screen, or larger than every screen, shows whole on the nearest one,
    // so that no value costs more memory or drawing than a clock as large as
    // a screen, about what the default costs. The side is at least a pixel;
    // the whole window, in device pixels, stays within X11's coordinates:
    // -32768 <= left, left + side <= 32768. Every edge, sum or scaling Qt and
    // the window system then work out stays far inside an int and Qt's
    // QWIDGETSIZE_MAX.
    ScreenLayout screens = theApp.Screens();
    // A layer surface is placed in the compositor's logical layout, where
    // monitors of any scale lie side by side; it scales its buffers itself.
    if (m_pWayland)
        for (ScreenInfo& screen : screens.screens)
            screen.ratio = 1;
    return layout::Place(screens, left, top, size, kMaxSide, kCoordRange).window;
}

void CClockDlg::PlaceWindow(const QRect& geometry)
{
    m_bPlacing = true;
    setGeometry(geometry);
    m_bPlacing = false;
    FollowRatio();
}

void CClockDlg::FollowRatio()
{
    if (m_pWayland)
        return;
    // On a screen of another scale the circle is cut anew in device pixels
    // and the face drawn whole at the new ratio.
    UpdateShape();
    if (m_pSurface->Size().isEmpty()
        || (m_pSurface->Size() == DeviceSize() && m_pSurface->DevicePixelRatio() == Ratio()))
        return;
    m_pFace.reset();
    RenderFrame();
    FitShapeToPixels();
    m_pSurface->Show(QRect(QPoint(), m_pSurface->Size()));
}

qreal CClockDlg::Ratio() const
{
#ifdef VITRODIAL_WAYLAND
    if (m_pWayland)
        return m_pWayland->Scale();
#endif
    return devicePixelRatioF();
}

QSize CClockDlg::DeviceSize() const { return size() * Ratio(); }

void CClockDlg::UseServerSurface()
{
    if (!platform::x11::IsAvailable() || m_pWayland)
        return;
    auto server = std::make_unique<ServerSurface>(winId());
    if (server->SetSize(DeviceSize(), devicePixelRatioF()))
        UseSurface(std::move(server));
}

void CClockDlg::UseSurface(std::unique_ptr<ClockSurface> surface)
{
    m_pSurface = std::move(surface);
#ifdef VITRODIAL_WAYLAND
    m_pWayland = dynamic_cast<WaylandSurface*>(m_pSurface.get());
#endif
    // The face's last draw is on the surface that went.
    m_pFace.reset();
    m_pSurface->SetAttributes(theApp.m_crClear, theApp.m_nOpacity & 0xFF, m_bComposited);
    // Qt paints nothing itself for a surface that draws elsewhere, and so
    // allocates no image for the window.
    const bool elsewhere = !m_pSurface->UsesBackingStore();
    setAttribute(Qt::WA_PaintOnScreen, elsewhere);
    setAttribute(Qt::WA_NoSystemBackground, elsewhere);
    update();
}

QRegion CClockDlg::RenderFrame()
{
    // The face is drawn for the device pixels, with the geometry rules
    // applied at that size, so that it stays sharp at any scale.
    const QSize client = DeviceSize();
    if (client.isEmpty())
        return {};
    if (m_pSurface->Size() != client)
        m_pFace.reset();
    if (!m_pSurface->SetSize(client, Ratio())) {
        // Refused by the window system: drawn into an image from now on.
        UseSurface(std::make_unique<LayeredSurface>(this));
        m_pSurface->SetSize(client, Ratio());
    }
    if (!m_pFace)
        m_pFace = std::make_unique<CClockFace>(0, 0, client.width(), client.height());
    FaceSettings settings = FaceSettings::Of(theApp);
    settings.ScaleWidths(Ratio());
    return m_pSurface->Draw(*m_pFace, settings, platform::Clock().Now());
}

void CClockDlg::FitShapeToPixels()
{
    if (m_bComposited)
        m_shape.SetVisiblePixels(std::nullopt);
    else
        m_shape.SetVisiblePixels(m_pSurface->OpaqueRegion());
}

void CClockDlg::DrawClock()
{
    // Every change of settings comes through here: the ticker follows the seconds hand.
    m_pTicker->SetShowSeconds(theApp.m_bShowSeconds != 0);
    // A screen reader reads the window as the time; renaming it every second
    // would only make it chatter.
    const std::tm local = platform::LocalTime(platform::Clock().Now());
    if (local.tm_hour * 60 + local.tm_min != m_nNamedMinute) {
        m_nNamedMinute = local.tm_hour * 60 + local.tm_min;
        setAccessibleName(QLocale().toString(QTime(local.tm_hour, local.tm_min), QLocale::ShortFormat));
    }
    const QRegion changed = RenderFrame();
    if (changed.isEmpty())
        return;
    // Blended, the shape does not depend on the pixels.
    if (!m_bComposited)
        FitShapeToPixels();
    m_pSurface->Show(changed);
}

void CClockDlg::SetLayeredWindowAttributes(COLORREF crKey, int nAlpha)
{
    // Before the first frame there is nothing to show anew.
    if (!m_pSurface->SetAttributes(crKey, nAlpha, m_bComposited) || m_pSurface->Size().isEmpty())
        return;
    // Every visible pixel changes with the key or the alpha.
    RenderFrame();
    FitShapeToPixels();
    m_pSurface->Show(QRect(QPoint(), m_pSurface->Size()));
}

void CClockDlg::ApplyLayering() { SetLayeredWindowAttributes(theApp.m_crClear, theApp.m_nOpacity & 0xFF); }

void CClockDlg::OnCompositorChanged(bool running)
{
    if (running == m_bComposited)
        return;
    m_bComposited = running;
    ApplyLayering();
}

bool CClockDlg::MoveClock(int x, int y)
{
    // The side too may change: on a screen of another scale, or when it shows
    // shrunk on one screen and whole on another.
    const QRect place = WindowGeometry(x, y, theApp.m_nSize);
#ifdef VITRODIAL_WAYLAND
    const bool resized = place.size() != size();
#endif
    PlaceWindow(place);
#ifdef VITRODIAL_WAYLAND
    if (m_pWayland) {
        m_pWayland->SetGeometry(geometry());
        if (resized) {
            OnSize();
            DrawClock();
        }
    }
#endif
    return geometry() == place;
}

bool CClockDlg::ResizeClock(int size)
{
    // Where the larger side would reach past the coordinates, it grows to the left or up.
    const QRect geometry = WindowGeometry(theApp.m_nLeft, theApp.m_nTop, size);
    PlaceWindow(geometry);
#ifdef VITRODIAL_WAYLAND
    // The window is never shown: no resize event comes.
    if (m_pWayland) {
        m_pWayland->SetGeometry(geometry);
        OnSize();
        DrawClock();
    }
#endif
    return this->geometry() == geometry;
}

void CClockDlg::SetTopMost(bool topMost)
{
#ifdef VITRODIAL_WAYLAND
    if (m_pWayland) {
        m_pWayland->SetTopMost(topMost);
        return;
    }
#endif
    if (m_pCompositorWatch) {
        if (topMost != m_bTopMostX11)
            MakeX11Window(topMost);
    } else if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, topMost);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
}

void CClockDlg::UpdateShape()
{
    const int size = WindowGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize).width();
    const QRegion circle = platform::CreateEllipticRgn(0, 0, size, size);
    const int device = qRound(size * devicePixelRatioF());
    const QRegion deviceCircle = device == size ? circle : platform::CreateEllipticRgn(0, 0, device, device);
    // Only a complex region is compared; anything else is replaced.
    const QRegion& current = m_shape.WindowRgn();
    if (current.rectCount() > 1 && current.xored(circle).isEmpty()
        && m_shape.WindowRgnDevice().xored(deviceCircle).isEmpty())
        return;
    m_shape.SetWindowRgn(circle, deviceCircle);
}

void CClockDlg::OnSize()
{
    m_pFace.reset();
    UpdateShape();
}

unsigned CClockDlg::SetTimer(unsigned id) { return m_pTicker->Start(id); }

bool CClockDlg::KillTimer(unsigned id) { return m_pTicker->Stop(id); }

void CClockDlg::OnTimer()
{
    const std::time_t now = platform::Clock().Now();
    if (!SecondTicker::Shows(now, m_timeLast, theApp.m_bShowSeconds != 0))
        return;
    m_timeLast = now;
    DrawClock();
}

void CClockDlg::OnTimeChange()
{
    const std::time_t now = platform::Clock().Now();
    if (now == m_timeLast)
        return;
    m_timeLast = now;
    DrawClock();
}

void CClockDlg::OnZoneChange()
{
    m_timeLast = platform::Clock().Now();
    DrawClock();
}

bool CClockDlg::AddTrayIcon() { return m_pTray->Add(); }

bool CClockDlg::RemoveTrayIcon() { return m_pTray->Remove(); }

bool CClockDlg::TrayIconShown() const { return m_pTray->IsAdded(); }

long CClockDlg::WindowProc(unsigned message, unsigned long wParam, long lParam)
{
    if (theApp.m_bTrayIcon && message == WM_TRAYNOTIFY)
        return OnTrayNotify(wParam, lParam);
    return 0;
}

long CClockDlg::OnTrayNotify(unsigned long wParam, long lParam)
{
    if (wParam != TrayIcon::kId)
        return 0;
    const long message = lParam & 0xFFFF;
    if (message == WM_RBUTTONUP || message == WM_LBUTTONUP)
        ShowConfig();
    return 1;
}

void CClockDlg::ShowConfig()
{
    if (!m_pConfigDlg) {
        m_pConfigDlg = std::make_unique<CConfigDlg>(nullptr);
        // Opened by the icon: on the icon's screen.
        const QRect icon = m_pTray->Geometry();
        if (icon.isValid())
            m_pConfigDlg->SetHomeScreen(icon.center());
        connect(m_pConfigDlg.get(), &QObject::destroyed, this, [this] {
            // Deleted by someone else: nothing left to own.
            (void)m_pConfigDlg.release();
            m_bConfigCreated = false;
        });
        // Not transient for the clock: some window managers fail on a
        // dialog transient for an override-redirect window.
        m_bConfigCreated = m_pConfigDlg->Create(nullptr);
        if (!m_bConfigCreated)
            AfxMessageBox(QStringLiteral("Error creating Config Dialog"));
    }
    if (!m_bConfigCreated)
        return;
    KeepOnScreen(m_pConfigDlg.get());
    KeepConfigAbove();
    m_pConfigDlg->show();
    m_pConfigDlg->raise();
    m_pConfigDlg->activateWindow();
}

bool CClockDlg::DestroyWindow()
{
    if (m_nTimerId != 0) {
        if (!KillTimer(m_nTimerId))
            AfxMessageBox(QStringLiteral("Error: KillTimer failed!"));
        m_nTimerId = 0;
    }
    if (theApp.m_bTrayIcon)
        RemoveTrayIcon();
    m_pConfigDlg.reset();
    m_pFace.reset();
    m_pTimeWatch.reset();
    m_pZoneWatch.reset();
    m_pCompositorWatch.reset();
    m_pAbove.reset();
    hide();
    // The X server's pixmap goes with the window.
    UseSurface(std::make_unique<LayeredSurface>(this));
    if (theApp.m_pMainWnd == this)
        theApp.m_pMainWnd = nullptr;
    destroy();
    return true;
}

QPaintEngine* CClockDlg::paintEngine() const
{
    return m_pSurface->UsesBackingStore() ? QWidget::paintEngine() : nullptr;
}

void CClockDlg::paintEvent(QPaintEvent* event)
{
    // Paints show the last frame; a frame of another size is drawn afresh.
    const bool redraw = m_pSurface->Size() != DeviceSize();
    if (redraw) {
        RenderFrame();
        FitShapeToPixels();
    }
    m_pSurface->Expose(redraw ? QRegion(QRect(QPoint(), DeviceSize()))
                              : pixels::ToDevice(event->region(), m_pSurface->DevicePixelRatio()));
}

bool CClockDlg::event(QEvent* event)
{
    const bool result = QWidget::event(event);
    switch (event->type()) {
    case QEvent::ScreenChangeInternal:
    case QEvent::Move:
    case QEvent::Resize:
        // Qt moved the window to another screen, maybe of another scale, and
        // made its logical geometry anew from the device pixels it had: back
        // to the place and size of the settings on that screen. A window
        // manager that frames or places a managed clock is not overruled.
        if (m_bPlacing || m_bManagedX11)
            break;
        if (const QRect wanted = WindowGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize);
            m_bFollowScreens && isVisible() && geometry() != wanted)
            PlaceWindow(wanted);
        else if (event->type() == QEvent::ScreenChangeInternal)
            FollowRatio();
        break;
    default:
        break;
    }
    return result;
}

void CClockDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize();
    // Qt keeps no image of a window drawn elsewhere: a new size is drawn here.
    if (!m_pSurface->UsesBackingStore() && isVisible() && m_pSurface->Size() != DeviceSize())
        DrawClock();
}

void CClockDlg::closeEvent(QCloseEvent* event)
{
    // Closing the clock ends its run, as the dialog's Cancel would.
    event->ignore();
    PostQuitMessage();
}

void CClockDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostQuitMessage();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
