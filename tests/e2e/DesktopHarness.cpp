#include "DesktopHarness.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace e2e {

bool WaitFor(const std::function<bool()>& cond, int timeoutMs, int stepMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() >= timeoutMs)
            return cond();
        QTest::qWait(stepMs);
    }
    return true;
}

// ---------------------------------------------------------------------------
// VirtualDesktop

bool VirtualDesktop::Start(const Options& options)
{
    Stop();
    m_options = options;
    QProcess script;
    QStringList args{ScriptPath(), "start", "--watch-pid", QString::number(QCoreApplication::applicationPid())};
    args << "--wm" << options.wm << "--compositor" << options.compositor << "--tray" << options.tray;
    if (!options.size.isEmpty())
        args << "--size" << options.size;
    script.start("bash", args);
    script.waitForFinished(120000);
    for (const QString& line : QString::fromLocal8Bit(script.readAllStandardOutput()).split(u'\n'))
        if (line.contains(u'='))
            m_vars.insert(line.section(u'=', 0, 0), line.section(u'=', 1).trimmed());
    m_strError = QStringLiteral("virtual-desktop start failed: ") + script.readAllStandardError();
    // The bare desktop, before any program of ours is in it.
    if (script.exitCode() != 0 || !m_vars.contains("VD_STATE")
        || !WaitFor([this] { return !(m_imgReference = Screenshot()).isNull(); }, 10000)) {
        Stop();
        return false;
    }
    return true;
}

bool VirtualDesktop::Ensure(const Options& o)
{
    const auto& m = m_options;
    const bool same =
        o.wm == m.wm && o.compositor == m.compositor && o.tray == m.tray && o.scale == m.scale && o.size == m.size;
    return (same && m_vars.contains("VD_STATE")) || Start(o);
}

void VirtualDesktop::Stop()
{
    if (m_vars.contains("VD_STATE"))
        QProcess::execute("bash", {ScriptPath(), "stop", m_vars.value("VD_STATE")});
    m_vars.clear();
}

QProcessEnvironment VirtualDesktop::Environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"WAYLAND_DISPLAY", "VITRODIAL_SURFACE", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
          "QT_ENABLE_HIGHDPI_SCALING", "SESSION_MANAGER", "XAUTHORITY"})
        env.remove(QString::fromLatin1(name));
    // libxkbcommon-x11 hands strndup() the unterminated strings of X replies,
    // which AddressSanitizer's strict string checks take for an overflow in
    // every xcb program; the check stays on for everything else.
    QString asan = env.value("ASAN_OPTIONS");
    env.insert("ASAN_OPTIONS", asan.replace("strict_string_checks=1", "strict_string_checks=0"));
    for (auto it = m_vars.cbegin(); it != m_vars.cend(); ++it)
        env.insert(it.key(), it.value());
    env.insert("QT_SCALE_FACTOR", m_options.scale.isEmpty() ? QStringLiteral("1") : m_options.scale);
    env.insert("TMPDIR", m_vars.value("XDG_RUNTIME_DIR"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_SESSION_TYPE", "x11");
    env.insert("NO_AT_BRIDGE", "1");
    return env;
}

QByteArray VirtualDesktop::Run(const QString& program, const QStringList& args, bool* ok, int timeoutMs) const
{
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    p.waitForFinished(3000);
    if (ok)
        *ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return p.readAllStandardOutput();
}

bool VirtualDesktop::Succeeds(const QString& p, const QStringList& a) const
{
    bool ok = false;
    return Run(p, a, &ok, 60000), ok;
}

QString VirtualDesktop::ScriptPath()
{
    return qEnvironmentVariable("VITRODIAL_VIRTUAL_DESKTOP", VITRODIAL_SOURCE_DIR "/scripts/virtual-desktop");
}

bool VirtualDesktop::Script(const QStringList& a) const { return Succeeds("bash", QStringList{ScriptPath()} + a); }

QList<quint64> VirtualDesktop::FindWindows(const QString& titleRegex, bool onlyVisible) const
{
    QList<quint64> ids;
    for (const QByteArray& line :
         Run("xdotool", {"search", onlyVisible ? "--onlyvisible" : "--all", "--name", titleRegex}).split('\n'))
        if (!line.isEmpty())
            ids << line.toULongLong();
    return ids;
}

QRect VirtualDesktop::WindowRect(const QString& titleRegex) const
{
    const auto ids = FindWindows(titleRegex);
    QMap<QByteArray, int> v; // X, Y, WIDTH, HEIGHT
    for (const QByteArray& line :
         Run("xdotool", {"getwindowgeometry", "--shell", QString::number(ids.value(0))}).split('\n'))
        v.insert(line.split('=').value(0), line.split('=').value(1).toInt());
    return ids.size() == 1 ? QRect(v.value("X"), v.value("Y"), v.value("WIDTH"), v.value("HEIGHT")) : QRect();
}

QRect VirtualDesktop::TrayIcons() const
{
    const QList<QByteArray> n = Run("bash", {ScriptPath(), "tray-icon"}).split('\n').value(1).split(' ');
    return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
}

QImage VirtualDesktop::Screenshot() const
{
    const QImage image =
        QImage::fromData(Run("import", {"-silent", "-window", "root", "png:-"}, nullptr, 30000), "PNG");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

QString VirtualDesktop::SaveArtifact(const QImage& image, const QString& name) const
{
    const QString dir = qEnvironmentVariable("VITRODIAL_E2E_ARTIFACTS", VITRODIAL_E2E_ARTIFACTS);
    QDir().mkpath(dir);
    const QString safe = QString(name).replace(QRegularExpression("[^A-Za-z0-9_.-]+"), "-");
    const QString path = dir + QDateTime::currentDateTime().toString("/HHmmss-zzz-") + safe + ".png";
    image.save(path, "PNG");
    return path;
}

bool VirtualDesktop::Keys(const QStringList& k) const
{
    return Succeeds("xdotool", QStringList{"key", "--delay", "60"} + k);
}

// ---------------------------------------------------------------------------
// ClockProcess

QByteArray ClockProcess::IniContents() const
{
    QFile f(IniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ClockProcess::Prepare(const QString& iniText)
{
    const QString program = m_dir.path() + u'/' + m_strName;
    QFile::remove(program);
    QFile ini(IniPath());
    ini.remove();
    return m_dir.isValid() && QFile::copy(qEnvironmentVariable("VITRODIAL_PROGRAM", VITRODIAL_PROGRAM), program)
           && (iniText.isNull() || (ini.open(QIODevice::WriteOnly) && ini.write(iniText.toUtf8()) >= 0));
}

QProcess* ClockProcess::Launch(std::unique_ptr<QProcess>& slot, const QStringList& args) const
{
    slot = std::make_unique<QProcess>();
    QProcessEnvironment env = m_desktop.Environment();
    env.insert(m_env);
    slot->setProcessEnvironment(env);
    slot->setWorkingDirectory(m_dir.path());
    // into a file, so that a chatty program never blocks on a full pipe
    slot->setStandardOutputFile(m_dir.filePath("output.log"), QIODevice::Append);
    slot->setStandardErrorFile(m_dir.filePath("output.log"), QIODevice::Append);
    slot->start(m_dir.filePath(m_strName), args);
    slot->waitForStarted(10000);
    return slot.get();
}

bool ClockProcess::Start(const QStringList& args)
{
    Kill();
    return Launch(m_pProcess, args)->state() != QProcess::NotRunning;
}

QProcess* ClockProcess::StartAgain(const QStringList& args) { return Launch(m_vecOthers.emplace_back(), args); }

int ClockProcess::Run(const QStringList& args, QByteArray* out, QByteArray* err, const QProcessEnvironment& env)
{
    QProcess p;
    QProcessEnvironment all = m_desktop.Environment();
    all.insert(m_env);
    all.insert(env);
    p.setProcessEnvironment(all);
    p.setWorkingDirectory(m_dir.path());
    p.start(m_dir.filePath(m_strName), args);
    const bool ended = p.waitForFinished(60000);
    if (!ended)
        p.kill(), p.waitForFinished(3000);
    *out = p.readAllStandardOutput();
    *err = p.readAllStandardError();
    return ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool ClockProcess::EndsNormally(int timeoutMs)
{
    return m_pProcess && (m_pProcess->state() == QProcess::NotRunning || m_pProcess->waitForFinished(timeoutMs))
           && m_pProcess->exitStatus() == QProcess::NormalExit;
}

void ClockProcess::Kill()
{
    m_vecOthers.push_back(std::move(m_pProcess));
    for (auto& p : m_vecOthers)
        if (p && p->state() != QProcess::NotRunning && (p->terminate(), !p->waitForFinished(3000)))
            p->kill(), p->waitForFinished(3000);
    m_pProcess = std::move(m_vecOthers.back());
    m_vecOthers.pop_back();
}

QString ClockProcess::Output() const
{
    QFile f(m_dir.filePath("output.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

quint64 ClockProcess::FindClockWindow() const
{
    const auto ids = m_desktop.FindWindows(QStringLiteral("^%1$").arg(QRegularExpression::escape(m_strName)));
    return ids.size() == 1 ? ids.first() : 0;
}

bool ClockProcess::WaitForClockWindow(int timeoutMs) const
{
    return WaitFor([this] { return FindClockWindow() != 0; }, timeoutMs, 100);
}

// ---------------------------------------------------------------------------
// IniFixture

IniFixture::IniFixture()
{
    // A dark dial, so that the blend over the wallpaper shows clearly, and
    // white (the clear colour) as the hands' fill: holes through the hands.
    const QString text = "Geometry/Left=200 Geometry/Top=150 Geometry/Size=400 Color/Opacity=200 Color/Clear=ffffff "
                         "Dial/Background=402010 Dial/Frame=ffff Dial/Fill=ff00 Dial/Width=2 Dial/Show=1 "
                         "Seconds/Frame=ff Seconds/Fill=ffffff Seconds/Width=2 Seconds/Show=1 Minute/Frame=ff00ff "
                         "Minute/Fill=ffffff Minute/Width=3 Hour/Frame=ffff00 Hour/Fill=ffffff Hour/Width=3 "
                         "Date/Frame=ff Date/Fill=80ff Date/Width=1 Date/Show=1 Date/Month=1 Date/Day=1 Date/AMPM=1 "
                         "Date/Box=1 Font/Italic=0 Font/Weight=700 Misc/TopMost=1 Misc/IniFile=1 Misc/TrayIcon=1";
    for (const QString& entry : text.split(u' '))
        Set(entry.section(u'/', 0, 0), entry.section(u'/', 1).section(u'=', 0, 0), entry.section(u'=', 1));
    Set("Font", "Face", "DejaVu Sans");
}

IniFixture& IniFixture::Set(const QString& section, const QString& key, const QVariant& value)
{
    m_sections[section][key] = value.toString();
    return *this;
}

QString IniFixture::Get(const QString& s, const QString& k) const { return m_sections.value(s).value(k); }

QString IniFixture::Text() const
{
    QString text;
    for (auto s = m_sections.cbegin(); s != m_sections.cend(); ++s) {
        text += u'[' + s.key() + QStringLiteral("]\n");
        for (auto kv = s->cbegin(); kv != s->cend(); ++kv)
            text += kv.key() + u'=' + kv.value() + u'\n';
    }
    return text;
}

QRgb IniFixture::FromColorref(const QString& hex)
{
    const uint v = hex.toUInt(nullptr, 16);
    return qRgb(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

QList<QRgb> IniFixture::Colours() const
{
    QList<QRgb> colours{FromColorref(Get("Color", "Clear"))};
    for (const char* section : {"Dial", "Seconds", "Minute", "Hour", "Date"})
        for (const char* key : {"Background", "Frame", "Fill"}) {
            const QString value = Get(QString::fromLatin1(section), QString::fromLatin1(key));
            if (!value.isEmpty() && !colours.contains(FromColorref(value)))
                colours << FromColorref(value);
        }
    return colours;
}

QRect IniFixture::ClockRect() const
{
    const int size = Get("Geometry", "Size").toInt();
    return {Get("Geometry", "Left").toInt(), Get("Geometry", "Top").toInt(), size, size};
}

// ---------------------------------------------------------------------------
// Pixels

qint64 DifferingPixels(const QImage& a, const QImage& b, const QRect& rect)
{
    const QRect r = rect & a.rect() & b.rect();
    qint64 n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (a.pixel(x, y) & 0xffffff) != (b.pixel(x, y) & 0xffffff);
    return n;
}

void ReportFailure(const VirtualDesktop& desktop, const ClockProcess* clock)
{
    if (!QTest::currentTestFailed() || !clock)
        return;
    qWarning().noquote() << clock->Output();
    qWarning().noquote() << "screenshot:" << desktop.SaveArtifact(desktop.Screenshot(), QTest::currentTestFunction());
}

bool DesktopTest::StartClock(const QString& iniText, const QStringList& args)
{
    m_pClock = std::make_unique<ClockProcess>(m_desktop);
    return m_pClock->Prepare(iniText) && m_pClock->Start(args) && m_pClock->WaitForClockWindow();
}

void DesktopTest::cleanup()
{
    ReportFailure(m_desktop, m_pClock.get());
    m_pClock.reset();
}

// Around the circle the screen must be the wallpaper exactly; inside, every
// pixel is either the wallpaper exactly (clear colour) or one of the face
// colours blended at alpha within +-2, or, with alpha < 0 (no compositor), the
// face colour itself. A ring of two pixels at the rim is allowed either.
static FaceReport CheckFace(const QImage& shot, const QImage& wallpaper, const QRect& rect, const IniFixture& ini,
                            int alpha)
{
    FaceReport report;
    const double r = rect.width() / 2.0;
    const QPointF centre = QRectF(rect).center();
    const QList<QRgb> colours = ini.Colours().mid(1); // the clear colour shows the wallpaper
    int faults = 0;
    auto fault = [&](int x, int y, QRgb seen, QRgb wall, const char* what) {
        if (faults++ < 5)
            report.failure += QString::asprintf("(%d,%d) #%06x over wallpaper #%06x %s; ", x, y, seen, wall, what);
    };
    const QRect around = rect.adjusted(-8, -8, 8, 8) & shot.rect() & wallpaper.rect();
    for (int y = around.top(); y <= around.bottom(); ++y) {
        for (int x = around.left(); x <= around.right(); ++x) {
            const QRgb sp = shot.pixel(x, y) & 0xffffff;
            const QRgb wp = wallpaper.pixel(x, y) & 0xffffff;
            // distance of the pixel's centre from the circle's centre
            const double d = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            const bool inside = d < r - 2;
            if (d > r + 1 || sp == wp) {
                if (sp != wp)
                    fault(x, y, sp, wp, "outside the circle");
                report.rimClear += inside && d > r - 4;
                report.clear += inside;
                report.inside += inside;
                continue;
            }
            // as a compositor composes a premultiplied pixel, within +-2
            auto blends = [&](int c, int w, int s) {
                return std::abs((c * alpha + w * (255 - alpha)) / 255.0 - s) <= 2.5;
            };
            const auto match = std::find_if(colours.begin(), colours.end(), [&](QRgb c) {
                return alpha < 0 ? sp == (c & 0xffffff)
                                 : blends(qRed(c), qRed(wp), qRed(sp)) && blends(qGreen(c), qGreen(wp), qGreen(sp))
                                       && blends(qBlue(c), qBlue(wp), qBlue(sp));
            });
            if (match == colours.end())
                fault(x, y, sp, wp, alpha < 0 ? "is no face colour" : "is no face colour blended");
            else if (inside)
                ++report.colours[*match & 0xffffff];
            report.inside += inside;
        }
    }
    if (faults > 5)
        report.failure += QStringLiteral("and %1 more").arg(faults - 5);
    return report;
}

FaceReport WaitForFace(const VirtualDesktop& desktop, const IniFixture& ini, int alpha, const QString& name,
                       const QRect& rect, qint64 least)
{
    FaceReport report;
    QImage shot;
    const bool shown = WaitFor(
        [&] {
            shot = desktop.Screenshot();
            report = CheckFace(shot, desktop.Wallpaper(), rect.isNull() ? ini.ClockRect() : rect, ini, alpha);
            return report.failure.isEmpty() && report.inside - report.clear > least;
        },
        15000, 200);
    if (!shown)
        report.failure += QStringLiteral(" no face as it should be; screenshot: ") + desktop.SaveArtifact(shot, name);
    return report;
}

} // namespace e2e
