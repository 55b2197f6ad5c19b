#pragma once
// End-to-end harness: a virtual desktop of its own (scripts/virtual-desktop,
// which does the work of starting, finding and stacking), isolated copies of
// the program in it, and screenshots checked pixel by pixel.

#include <functional>
#include <memory>

#include <QDir>
#include <QImage>
#include <QMap>
#include <QObject>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace e2e {

// Polls cond every stepMs until it holds or timeoutMs has passed; the result
// is cond's last answer. The only way the tests wait for anything.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs, int stepMs = 50);

class VirtualDesktop {
public:
    // What runs in the desktop; see scripts/virtual-desktop for the names.
    struct Options {
        QString wm = QStringLiteral("none");
        QString compositor = QStringLiteral("picom");
        QString tray = QStringLiteral("trayer");
        QString scale;     // QT_SCALE_FACTOR for the programs started in it
        QString size = {}; // of the screen, "WxH"; empty: the script's own
    };

    ~VirtualDesktop() { Stop(); }

    // Starts the desktop and takes the reference screenshot of the bare
    // wallpaper; false with ErrorString() on failure. Ensure keeps a desktop
    // that runs with these options.
    bool Start(const Options& options);
    bool Ensure(const Options& options);
    void Stop();
    QString ErrorString() const { return m_strError; }

    // Its display, bus and scale, no other session; the private runtime folder
    // and configuration home the script made, shared by every program here.
    QProcessEnvironment Environment() const;
    // Runs a tool to its end; ok reports a zero exit within the time allowed.
    QByteArray Run(const QString& program, const QStringList& args, bool* ok = nullptr, int timeoutMs = 15000) const;
    // A tool, or a command of the desktop script (tray, tray-icon,
    // click-tray, above, in-taskbar), runs and succeeds.
    bool Succeeds(const QString& program, const QStringList& args) const;
    bool Script(const QStringList& args) const;
    static QString ScriptPath();
    // Top-level windows whose title matches; ids are never worth keeping.
    QList<quint64> FindWindows(const QString& titleRegex, bool onlyVisible = true) const;
    // On the screen, of the one visible window whose title matches; null when not one.
    QRect WindowRect(const QString& titleRegex) const;
    // The box of the icons in the tray; null when none shows.
    QRect TrayIcons() const;

    QImage Screenshot() const;
    const QImage& Wallpaper() const { return m_imgReference; }
    // Saves an image under the artifact folder and returns its path.
    QString SaveArtifact(const QImage& image, const QString& name) const;

    // Keys as xdotool names them, to the window with the keyboard focus.
    bool Keys(const QStringList& keys) const;

private:
    Options m_options;
    QMap<QString, QString> m_vars; // what the script printed at start
    QString m_strError;
    QImage m_imgReference;
};

// One copy of the program in a folder of its own, with the .ini file beside it
// that the test writes, started in a virtual desktop.
class ClockProcess {
public:
    // name: the copy's file name, which is its application name and title.
    explicit ClockProcess(VirtualDesktop& desktop, const QString& name = "vitrodial")
        : m_desktop(desktop)
        , m_strName(name)
    {
    }
    ~ClockProcess() { Kill(); }

    // A variable of the environment, for every start of this copy, in place
    // of the desktop's.
    void SetEnvironment(const QString& name, const QString& value) { m_env.insert(name, value); }

    // Copies the program and writes the .ini file (none for a null text, as
    // before the first save); false when either fails.
    bool Prepare(const QString& iniText);
    bool Start(const QStringList& args = {});
    // Another process of the same copy, cleaned up with this object.
    QProcess* StartAgain(const QStringList& args = {});
    // Runs the copy to its end, with variables in place of its own; the exit
    // code (-1 when it did not end by itself within a minute) and what it
    // printed on each channel.
    int Run(const QStringList& args, QByteArray* out, QByteArray* err, const QProcessEnvironment& env = {});

    // Ends within timeoutMs, of its own accord.
    bool EndsNormally(int timeoutMs);
    void Kill();

    QString IniPath() const { return m_dir.path() + u'/' + m_strName + QStringLiteral(".ini"); }
    QByteArray IniContents() const;
    // Output of the program so far, for failure messages.
    QString Output() const;

    // The clock window: the one top-level viewable window titled with the name.
    quint64 FindClockWindow() const;
    bool WaitForClockWindow(int timeoutMs = 15000) const;

private:
    QProcess* Launch(std::unique_ptr<QProcess>& slot, const QStringList& args) const;

    VirtualDesktop& m_desktop;
    QString m_strName;
    QProcessEnvironment m_env;
    QTemporaryDir m_dir{QDir::tempPath() + "/vitrodial-copy.XXXXXX"};
    std::unique_ptr<QProcess> m_pProcess;
    std::vector<std::unique_ptr<QProcess>> m_vecOthers;
};

// An .ini file for the clock: colourful, far from the wallpaper's colours, so
// that every blended pixel can be told from the wallpaper.
class IniFixture {
public:
    IniFixture();
    IniFixture& Set(const QString& section, const QString& key, const QVariant& value);
    QString Get(const QString& section, const QString& key) const;
    QString Text() const;

    // The colours the face may show (turned into RGB), the clear colour first.
    QList<QRgb> Colours() const;
    QRect ClockRect() const;

    static QRgb FromColorref(const QString& hex);

private:
    QMap<QString, QMap<QString, QString>> m_sections;
};

// Pixels in rect (clipped to the images) that differ between a and b.
qint64 DifferingPixels(const QImage& a, const QImage& b, const QRect& rect);

// After a failed test function: the clock's output and a screenshot saved as
// an artifact, so that a red CI run shows what the screen looked like.
void ReportFailure(const VirtualDesktop& desktop, const ClockProcess* clock);

// What a screenshot shows of a clock face drawn at rect over the wallpaper.
struct FaceReport {
    QString failure;            // empty when every pixel is as it should be
    qint64 clear = 0;           // pixels inside the circle that show the wallpaper
    qint64 rimClear = 0;        // of those, the ones within 4 pixels of the rim
    QMap<QRgb, qint64> colours; // pixels inside the circle per face colour
    qint64 inside = 0;          // pixels checked inside the circle
};
// Polls until the screen shows the face of ini at alpha at rect (default: where
// ini puts it), more than `least` face pixels and no fault; the report of the
// last screenshot, kept as an artifact when it fails.
FaceReport WaitForFace(const VirtualDesktop& desktop, const IniFixture& ini, int alpha, const QString& name,
                       const QRect& rect = {}, qint64 least = 500);

// What the test classes share: a desktop, the clock they start in it, and
// after each test function the clock ended (its output and a screenshot kept
// when the function failed); the desktop stops after the last.
class DesktopTest : public QObject {
    Q_OBJECT

protected:
    // A copy of the program with iniText (as Prepare takes it), started with
    // args; true once its window shows.
    bool StartClock(const QString& iniText, const QStringList& args = {});

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;

protected slots:
    void cleanup();
    void cleanupTestCase() { m_desktop.Stop(); }
};

} // namespace e2e
