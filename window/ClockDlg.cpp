#include "window/ClockDlg.h"

#include <algorithm>

#include <QBackingStore>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
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
#include "window/ModalSweep.h"
#include "window/SecondTicker.h"
#include "window/TrayIcon.h"

namespace {

// The largest face in device pixels, as for the render tool: 256 MiB a frame.
constexpr int kMaxSide = 8192;
// X11 coordinates are 16-bit: positions from -32768, far edges up to 32768.
constexpr int kCoordRange = 32768;

QIcon ProgramIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/vitrodial/vitrodial.png"), QSize(32, 32));
    return icon;
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

} // namespace

CClockDlg::CClockDlg(QWidget* parent)
    // Not managed by any window manager: a manager's frame would take the
    // clicks the clock lets through, and would decorate and move it. The
    // clock keeps itself above (AboveKeeper) and has no taskbar entry.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                          | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    , m_timeLast(platform::Clock().Now())
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

void CClockDlg::OnInitDialog()
{
    setWindowTitle(theApp.AppName());
    if (platform::x11::IsAvailable())
        m_pAbove = std::make_unique<platform::x11::AboveKeeper>(winId());

    if (platform::x11::IsAvailable()) {
        m_pCompositorWatch =
            std::make_unique<platform::x11::SelectionWatch>(platform::x11::ScreenSelection("_NET_WM_CM_S"));
        m_bComposited = m_pCompositorWatch->Owned();
        connect(m_pCompositorWatch.get(), &platform::x11::SelectionWatch::ownerChanged, this,
                &CClockDlg::OnCompositorChanged, Qt::QueuedConnection);
    }

    ApplyLayering();
    UpdateShape();
    setGeometry(WindowGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize));
    UseServerSurface();
    // The first frame exists before the window is mapped: without a
    // compositing manager its pixels make the window's shape.
    RenderFrame();
    FitShapeToPixels();
    show();
    SetTopMost(theApp.m_bTopMost != 0);

    m_pTimeWatch = std::make_unique<TimeChangeWatcher>();
    connect(m_pTimeWatch.get(), &TimeChangeWatcher::timeChanged, this, [this] {
        OnTimeChange();
        m_pTicker->Realign();
    });
    m_pZoneWatch = std::make_unique<TimeZoneWatcher>();
    connect(m_pZoneWatch.get(), &TimeZoneWatcher::zoneChanged, this, &CClockDlg::OnZoneChange);
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
    hide();
    platform::x11::Sync();
}

QRect CClockDlg::WindowGeometry(int left, int top, int size) const
{
    // Stored geometry is not checked at load; what the window makes of it is
    // bounded here, and only here. The side is at least a pixel and at most
    // the largest screen and the largest face, so that no value costs more
    // memory or drawing than a clock as large as the largest screen, about
    // what the default costs. The place keeps the whole window, in device
    // pixels, within X11's coordinates: -32768 <= left, left + side <= 32768.
    // Every edge, sum or scaling Qt and the window system then work out stays
    // far inside an int and Qt's QWIDGETSIZE_MAX.
    const qreal ratio = std::max(devicePixelRatioF(), qreal(1));
    int largest = 0;
    for (const QScreen* screen : QGuiApplication::screens())
        largest = std::max({largest, screen->geometry().width(), screen->geometry().height()});
    const int cap = int(kMaxSide / ratio);
    const int side = std::clamp(size, 1, largest > 0 ? std::min(largest, cap) : cap);
    const int range = int(kCoordRange / ratio);
    return QRect(std::clamp(left, -range, range - side), std::clamp(top, -range, range - side), side, side);
}

QSize CClockDlg::DeviceSize() const { return size() * devicePixelRatioF(); }

QSize CClockDlg::FrameSize() const { return m_pServer ? m_pServer->Size() : m_surface.Size(); }

void CClockDlg::UseServerSurface()
{
    if (!platform::x11::IsAvailable())
        return;
    auto server = std::make_unique<ServerSurface>();
    if (!server->Create(winId(), DeviceSize()))
        return;
    server->SetAttributes(m_surface.Key(), m_surface.Alpha(), m_bComposited);
    m_pServer = std::move(server);
    // Qt paints nothing itself, and so allocates no image for the window.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CClockDlg::DropServerSurface()
{
    m_pServer.reset();
    m_pFace.reset();
    setAttribute(Qt::WA_PaintOnScreen, false);
    setAttribute(Qt::WA_NoSystemBackground, false);
    update();
}

QRegion CClockDlg::RenderFrame()
{
    // The face is drawn for the device pixels, with the geometry rules
    // applied at that size, so that it stays sharp at any scale.
    const QSize client = DeviceSize();
    if (client.isEmpty())
        return {};
    m_surface.SetDevicePixelRatio(devicePixelRatioF());
    if (m_pServer) {
        if (m_pServer->Size() != client) {
            m_pFace.reset();
            if (!m_pServer->Create(winId(), client)) {
                DropServerSurface();
                return RenderFrame();
            }
        }
        if (!m_pFace)
            m_pFace = std::make_unique<CClockFace>(0, 0, client.width(), client.height());
        return m_pServer->Draw(*m_pFace, platform::Clock().Now());
    }
    if (m_pFace && m_surface.Size() != client) {
        // The ratio changed (another screen): the size did not.
        m_pFace.reset();
    }
    if (!m_pFace)
        m_pFace = std::make_unique<CClockFace>(0, 0, client.width(), client.height());
    QImage& frame = m_surface.Frame(client);
    const bool whole = m_surface.Fresh();
    QRegion changed;
    {
        QPainter dc(&frame);
        changed = m_pFace->DrawChanged(&dc, platform::Clock().Now(), whole);
    }
    if (whole || !changed.isEmpty())
        m_surface.Commit(changed);
    return changed;
}

void CClockDlg::FitShapeToPixels()
{
    if (m_bComposited)
        m_shape.SetVisiblePixels(std::nullopt);
    else
        m_shape.SetVisiblePixels(m_pServer ? m_pServer->OpaqueRegion() : m_surface.OpaqueRegion());
}

void CClockDlg::DrawClock()
{
    const QRegion changed = RenderFrame();
    if (changed.isEmpty())
        return;
    // Blended, the shape does not depend on the pixels.
    if (!m_bComposited)
        FitShapeToPixels();
    if (m_pServer)
        m_pServer->Show(changed);
    else
        repaint(m_surface.ToLogical(changed));
}

void CClockDlg::SetLayeredWindowAttributes(COLORREF crKey, int nAlpha)
{
    const bool changed = m_surface.SetAttributes(crKey, nAlpha, m_bComposited);
    if (m_pServer) {
        // Every pixel value changes: the frame is drawn again.
        if (m_pServer->SetAttributes(crKey, nAlpha, m_bComposited)) {
            const QRegion drawn = RenderFrame();
            FitShapeToPixels();
            if (m_pServer)
                m_pServer->Show(drawn);
        }
        return;
    }
    if (!changed)
        return;
    // Every visible pixel changes with the key or the alpha.
    FitShapeToPixels();
    if (isVisible())
        repaint();
}

void CClockDlg::ApplyLayering() { SetLayeredWindowAttributes(theApp.m_crClear, theApp.m_nOpacity & 0xFF); }

void CClockDlg::OnCompositorChanged(bool running)
{
    if (running == m_bComposited)
        return;
    m_bComposited = running;
    SetLayeredWindowAttributes(m_surface.Key(), m_surface.Alpha());
}

bool CClockDlg::MoveClock(int x, int y)
{
    const QPoint place = WindowGeometry(x, y, width()).topLeft();
    move(place);
    return pos() == place;
}

bool CClockDlg::ResizeClock(int size)
{
    // Where the larger side would reach past the coordinates, it grows to the left or up.
    const QRect geometry = WindowGeometry(x(), y(), size);
    setGeometry(geometry);
    return this->geometry() == geometry;
}

void CClockDlg::SetTopMost(bool topMost)
{
    // On X11 no window manager handles the window: the clock stacks itself.
    if (m_pAbove)
        m_pAbove->SetEnabled(topMost);
    else if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, topMost);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
}

void CClockDlg::UpdateShape()
{
    const int size = WindowGeometry(x(), y(), theApp.m_nSize).width();
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
        connect(m_pConfigDlg.get(), &QObject::destroyed, this, [this] {
            // Deleted by someone else: nothing left to own.
            (void)m_pConfigDlg.release();
            m_bConfigCreated = false;
        });
        m_bConfigCreated = m_pConfigDlg->Create(this);
        if (!m_bConfigCreated)
            AfxMessageBox(QStringLiteral("Error creating Config Dialog"));
    }
    if (!m_bConfigCreated)
        return;
    KeepOnScreen(m_pConfigDlg.get());
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
    m_pServer.reset();
    if (theApp.m_pMainWnd == this)
        theApp.m_pMainWnd = nullptr;
    destroy();
    return true;
}

QPaintEngine* CClockDlg::paintEngine() const { return m_pServer ? nullptr : QWidget::paintEngine(); }

void CClockDlg::paintEvent(QPaintEvent* event)
{
    // Paints show the last frame; a frame of another size is drawn afresh.
    const bool redraw = FrameSize() != DeviceSize();
    if (redraw) {
        RenderFrame();
        FitShapeToPixels();
    }
    if (m_pServer) {
        m_pServer->Show(redraw ? QRegion(QRect(QPoint(), DeviceSize())) : m_surface.ToDevice(event->region()));
        return;
    }
    // Converted straight into the image the window system shows, when it
    // is one the conversion can write; through a painter otherwise.
    QBackingStore* store = backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image) {
        auto* shown = static_cast<QImage*>(device);
        if (shown->format() == QImage::Format_ARGB32_Premultiplied && shown->width() >= m_surface.Size().width()
            && shown->height() >= m_surface.Size().height()) {
            m_surface.PaintInto(*shown, m_surface.ToDevice(event->region()));
            return;
        }
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_surface.Paint(painter, event->region());
}

void CClockDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize();
    // Drawn on the server, the frame is not kept by Qt: a new size is drawn here.
    if (m_pServer && isVisible() && m_pServer->Size() != DeviceSize())
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
