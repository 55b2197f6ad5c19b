#pragma once
// End-to-end harness: a virtual desktop of its own (scripts/virtual-desktop),
// isolated copies of the program in it, and the X tools a person's hands and
// eyes are replaced with (xdotool, xwininfo, xprop, import).

#include <functional>
#include <memory>

#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace e2e {

// Polls cond every stepMs until it holds or timeoutMs has passed; the result
// is cond's last answer. The only way the tests wait for anything.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs, int stepMs = 50);

// Where the program under test and the desktop script are.
QString ProgramPath();
QString DesktopScript();
// A folder for screenshots of failures, kept after the run.
QString ArtifactDir();

struct WindowInfo {
    bool valid = false;
    bool viewable = false;
    QRect rect;  // absolute, in screen pixels
};

class VirtualDesktop {
public:
    struct Options {
        bool compositor = true;
        bool tray = true;
        QString scale;  // QT_SCALE_FACTOR for the programs started in it
    };

    VirtualDesktop() = default;
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    // Starts the desktop and takes the reference screenshot of the bare
    // wallpaper (with the empty tray); false with ErrorString() on failure.
    bool Start(const Options& options);
    // Starts the desktop unless one with these options already runs.
    bool Ensure(const Options& options);
    void Stop();
    bool IsRunning() const { return !m_strState.isEmpty(); }
    QString ErrorString() const { return m_strError; }
    QString Display() const { return m_strDisplay; }

    // The environment of a program in this desktop: its display, no D-Bus
    // session, the xcb platform, a private runtime folder and configuration
    // home shared by every program started here (as for one user).
    QProcessEnvironment Environment() const;
    QString ConfigHome() const;

    // Runs one tool to its end and returns its standard output; ok reports a
    // zero exit within the time allowed.
    QString Run(const QString& program, const QStringList& args, bool* ok = nullptr,
                int timeoutMs = 15000) const;

    // Top-level windows (children of the root) whose title matches the
    // regular expression; ids are never worth keeping: search again.
    QList<quint64> FindWindows(const QString& titleRegex, bool onlyVisible = true) const;
    WindowInfo Info(quint64 window) const;
    // The _NET_WM_STATE atoms set on the window.
    QStringList NetWmState(quint64 window) const;
    // The tray host's panel and the icon windows docked in it.
    QRect TrayRect() const;
    QList<QRect> TrayIcons() const;
    // Top-level windows in stacking order, topmost first.
    QList<quint64> Stacking() const;

    QImage Screenshot() const;
    const QImage& Wallpaper() const { return m_imgReference; }
    // Saves an image under the artifact folder and returns its path.
    QString SaveArtifact(const QImage& image, const QString& name) const;

    // A press and release of button (1 left, 3 right) at p, in screen pixels.
    bool Click(const QPoint& p, int button = 1) const;
    // Key names as xdotool knows them ("Tab", "Right", "Return"), sent to the
    // window that has the keyboard focus.
    bool Keys(const QStringList& keys) const;

private:
    Options m_options;
    QString m_strState;
    QString m_strDisplay;
    QString m_strError;
    QImage m_imgReference;
    std::unique_ptr<QTemporaryDir> m_pHome;
};

// One copy of the program in a folder of its own, with the .ini file beside it
// that the test writes, started in a virtual desktop.
class ClockProcess {
public:
    // name: the copy's file name, which is its application name and title.
    ClockProcess(VirtualDesktop& desktop, const QString& name = QStringLiteral("vitrodial"));
    ~ClockProcess();
    ClockProcess(const ClockProcess&) = delete;
    ClockProcess& operator=(const ClockProcess&) = delete;

    // Copies the program and writes the .ini file; false when either fails.
    bool Prepare(const QString& iniText);
    bool Start();
    // Another start of the same copy (a second process of the same program),
    // owned and cleaned up with this object.
    QProcess* StartAgain();

    bool IsRunning() const;
    bool WaitForExit(int timeoutMs);
    void Kill();
    int ExitCode() const;
    QProcess::ExitStatus ExitStatus() const;

    QString Name() const { return m_strName; }
    QString ProgramFile() const;
    QString IniPath() const;
    QByteArray IniContents() const;
    // Output of the program so far, for failure messages.
    QString Output() const;

    // The clock window: the one top-level viewable window titled with the name.
    quint64 FindClockWindow() const;
    bool WaitForClockWindow(int timeoutMs = 15000) const;

private:
    std::unique_ptr<QProcess> Launch(const QString& logName) const;

    VirtualDesktop& m_desktop;
    QString m_strName;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_pProcess;
    std::vector<std::unique_ptr<QProcess>> m_vecOthers;
};

// An .ini file for the clock: colourful, far from the wallpaper's colours, so
// that every blended pixel can be told from the wallpaper. Set() overrides
// single keys; Text() gives the file.
class IniFixture {
public:
    IniFixture();
    IniFixture& Set(const QString& section, const QString& key, const QString& value);
    IniFixture& Set(const QString& section, const QString& key, int value);
    QString Get(const QString& section, const QString& key) const;
    QString Text() const;

    // The colours the face may show (0x00BBGGRR values turned into RGB), the
    // clear colour among them, and the alpha the window blends them with.
    QList<QRgb> Colours() const;
    QRgb Clear() const;
    int Alpha() const;
    QRect ClockRect() const;

    static QRgb FromColorref(const QString& hex);

private:
    QList<QPair<QString, QList<QPair<QString, QString>>>> m_sections;
};

// Blend of colour c over the wallpaper pixel w at alpha a, as a compositor
// composes a premultiplied pixel (rounded to nearest).
QRgb Blend(QRgb c, QRgb w, int a);
bool Near(QRgb a, QRgb b, int tolerance);

// Pixels in rect (clipped to the images) that differ between a and b.
qint64 DifferingPixels(const QImage& a, const QImage& b, const QRect& rect);
// Polls for a screenshot in which most of rect differs from the wallpaper: the
// face is on the screen. Returns that screenshot, or a null image.
QImage WaitForFace(const VirtualDesktop& desktop, const QRect& rect, int timeoutMs = 15000);

// After a failed test function: the clock's output and a screenshot saved as
// an artifact, so that a red CI run shows what the screen looked like.
void ReportFailure(const VirtualDesktop& desktop, const ClockProcess* clock);

// What a screenshot shows of a clock face drawn at rect over the wallpaper.
struct FaceReport {
    QString failure;       // empty when every pixel is as it should be
    qint64 clear = 0;      // pixels inside the circle that show the wallpaper
    QMap<QRgb, qint64> colours;  // pixels inside the circle per face colour
    qint64 inside = 0;     // pixels checked inside the circle
};
// Outside the circle (and outside `ignore`, such as the tray) the screen must
// be the wallpaper exactly; inside, every pixel is either the wallpaper exactly
// (clear colour) or one of the face colours blended at alpha within +-2, or,
// with alpha < 0 (no compositor), the face colour itself. A ring of two pixels
// at the rim is allowed either.
FaceReport CheckFace(const QImage& shot, const QImage& wallpaper, const QRect& rect,
                     const QList<QRgb>& colours, QRgb clear, int alpha,
                     const QList<QRect>& ignore = {});

}  // namespace e2e
