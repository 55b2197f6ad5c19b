// vitrodial-bench: times one frame of the clock, the whole face drawn for a
// new second and converted for the layered window, with every element on, at
// a few sizes; then one tick of the running clock at the largest size: the
// face drawn where the hands moved, as the window does it on X11 (regions
// handed over with one pixel value per colour; with no display here, the
// requests themselves are not sent) and as it does elsewhere (converted into
// the image the window shows); and a tick that finds nothing to draw.
//
//   vitrodial-bench [--frames N]
//   vitrodial-bench --watch WINDOW SECONDS
//
// With --watch it looks at a window on the display instead (the middle of a
// clock, where the seconds hand always passes) and prints how long after each
// whole second of the wall clock its pixels changed:
//   latency changes=N median_ms=... max_ms=...
//
// Prints one line per size, the largest last, then the ticks:
//   size=1024 frames=500 median_ms=... p90_ms=...
//   tick size=1024 frames=500 median_ms=... p90_ms=...
//   image_tick size=1024 frames=500 median_ms=... p90_ms=...
//   idle_tick frames=500 median_ms=... p90_ms=...

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QThread>

#include "clock/ClockFace.h"
#include "clock/LayeredImage.h"
#include "platform/Clock.h"
#include "platform/RegionSink.h"
#include "window/LayeredSurface.h"
#include "window/SecondTicker.h"
#include "window/ServerSurface.h"

namespace {

// Every frame shows the next second, so that the hands move as they do on screen.
class SteppingClock final : public platform::IClock {
public:
    explicit SteppingClock(std::time_t start) : m_next(start) {}
    std::time_t Now() const override { return m_next++; }
    long long NowMs() const override { return (long long)m_next * 1000; }

private:
    mutable std::time_t m_next;
};

// The window's layering: white is the clear colour, the rest half opaque.
constexpr COLORREF kClear = 0xFFFFFF;
constexpr int kOpacity = 128;

FaceSettings EverythingOn()
{
    FaceSettings s;
    s.m_crDialBackground = 0xFFFFFF;
    s.m_crDialFrame = 0xFF0000;
    s.m_crDialFill = 0x00FFFF;
    s.m_crSecondsFrame = 0x0000FF;
    s.m_crSecondsFill = 0xFFFFFF;
    s.m_crMinuteFrame = 0xFF0000;
    s.m_crMinuteFill = 0xC0C0C0;
    s.m_crHourFrame = 0xFF0000;
    s.m_crHourFill = 0x808080;
    s.m_crDateFrame = 0x008000;
    s.m_crDateFill = 0xFFFFFF;
    s.m_strFontFace = QStringLiteral("Impact");
    s.m_bFontItalic = 1;
    s.m_nFontWeight = 400;
    s.m_nDialWidth = 2;
    s.m_nSecondsWidth = 2;
    s.m_nMinuteWidth = 2;
    s.m_nHourWidth = 2;
    s.m_nDateWidth = 2;
    s.m_bShowDay = 1;
    s.m_bShowMonth = 1;
    s.m_bShowAmPm = 1;
    s.m_bShowDate = 1;
    s.m_bShowSeconds = 1;
    s.m_bShowDial = 1;
    s.m_bDateBox = 1;
    return s;
}

const FaceSettings kEverything = EverythingOn();

struct Figures {
    double median;
    double p90;
};

template <typename Frame> Figures Time(int frames, Frame frame)
{
    for (int i = 0; i < 20; ++i)
        frame();
    std::vector<double> ms;
    ms.reserve(std::size_t(frames));
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        frame();
        const auto stop = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    const std::size_t p90 = std::min(n - 1, (n * 9 + 9) / 10 - 1);
    return {median, ms[p90]};
}

Figures Measure(int size, int frames)
{
    QImage face(size, size, QImage::Format_RGB32);
    QImage layered(size, size, QImage::Format_ARGB32_Premultiplied);
    platform::ImageSink sink(face);
    CClockFace clockFace(0, 0, size, size);
    const auto frame = [&] {
        clockFace.Draw(sink, kEverything);
        ToLayered(face, layered, kClear, kOpacity);
    };
    return Time(frames, frame);
}

// As the window does it on X11 on a timer tick: the face drawn where it
// changed, each region handed over with its colour's pixel value.
Figures MeasureTick(int size, int frames)
{
    ServerSurface surface(0);
    surface.SetAttributes(kClear, kOpacity, true);
    surface.SetSize(QSize(size, size), 1.0);
    CClockFace clockFace(0, 0, size, size);
    return Time(frames, [&] { surface.Draw(clockFace, kEverything, platform::Clock().Now()); });
}

// As the window does it without X11: the face drawn where it changed into the
// frame, which is converted there into the image shown.
Figures MeasureImageTick(int size, int frames)
{
    LayeredSurface surface;
    surface.SetAttributes(kClear, kOpacity, true);
    surface.SetSize(QSize(size, size), 1.0);
    QImage shown(size, size, QImage::Format_ARGB32_Premultiplied);
    CClockFace clockFace(0, 0, size, size);
    return Time(frames,
                [&] { surface.PaintInto(shown, surface.Draw(clockFace, kEverything, platform::Clock().Now())); });
}

// A tick of the half-second timer within the same minute, seconds hand off.
Figures MeasureIdleTick(int frames)
{
    const std::time_t last = 1695826800;
    volatile std::time_t now = last + 1;
    bool draws = false;
    const Figures f = Time(frames, [&] { draws = draws || SecondTicker::Shows(now, last, false); });
    if (draws)
        std::fprintf(stderr, "vitrodial-bench: the idle tick would draw\n");
    return f;
}

// Polls the middle of the window and notes the first change in each second.
int Watch(WId window, int seconds)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->grabWindow(window).size() : QSize();
    if (size.isEmpty()) {
        std::fprintf(stderr, "vitrodial-bench: cannot see window %llu\n", (unsigned long long)window);
        return 1;
    }
    const QRect middle(size.width() * 3 / 10, size.height() * 3 / 10, size.width() * 2 / 5, size.height() * 2 / 5);
    const auto grab = [&] {
        return screen->grabWindow(window, middle.x(), middle.y(), middle.width(), middle.height()).toImage();
    };
    const long long end = platform::Clock().NowMs() + seconds * 1000LL;
    QImage last = grab();
    long long lastSecond = -1;
    std::vector<double> late;
    for (long long now = platform::Clock().NowMs(); now < end; now = platform::Clock().NowMs()) {
        const QImage image = grab();
        const long long at = platform::Clock().NowMs();
        if (image != last && at / 1000 != lastSecond) {
            late.push_back(double(at % 1000));
            lastSecond = at / 1000;
        }
        last = image;
        QThread::msleep(1);
    }
    std::sort(late.begin(), late.end());
    std::printf("latency changes=%zu median_ms=%.0f max_ms=%.0f\n", late.size(),
                late.empty() ? 0.0 : late[late.size() / 2], late.empty() ? 0.0 : late.back());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (argc == 4 && QLatin1String(argv[1]) == QLatin1String("--watch")) {
        QGuiApplication app(argc, argv);
        return Watch(WId(std::strtoull(argv[2], nullptr, 0)), std::atoi(argv[3]));
    }
    int frames = 500;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        bool ok = false;
        if (arg == QLatin1String("--frames") && i + 1 < argc)
            frames = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
        if (!ok || frames < 1 || frames > 1000000) {
            std::fprintf(stderr, "vitrodial-bench: bad argument: %s\n", argv[i]);
            std::fprintf(stderr, "usage: vitrodial-bench [--frames N] | --watch WINDOW SECONDS\n");
            return 2;
        }
    }

    QGuiApplication app(argc, argv);
    // A day with long names and an afternoon hour: the widest date line.
    platform::SetClock(std::make_shared<SteppingClock>(std::time_t(1695826800)));

    for (int size : {200, 600, 1024}) {
        const Figures f = Measure(size, frames);
        std::printf("size=%d frames=%d median_ms=%.3f p90_ms=%.3f\n", size, frames, f.median, f.p90);
        std::fflush(stdout);
    }
    const Figures tick = MeasureTick(1024, frames);
    std::printf("tick size=1024 frames=%d median_ms=%.3f p90_ms=%.3f\n", frames, tick.median, tick.p90);
    const Figures imageTick = MeasureImageTick(1024, frames);
    std::printf("image_tick size=1024 frames=%d median_ms=%.3f p90_ms=%.3f\n", frames, imageTick.median, imageTick.p90);
    const Figures idle = MeasureIdleTick(frames);
    std::printf("idle_tick frames=%d median_ms=%.4f p90_ms=%.4f\n", frames, idle.median, idle.p90);
    return 0;
}
