// vitrodial-render: renders exactly what the clock window shows, for previews,
// documentation and tests, without a display.
//
//   vitrodial-render [--ini FILE] [--size N] [--time YYYY-MM-DDTHH:MM:SS]
//                    [--layered] --out FILE.png
//   vitrodial-render --help | --version

#include <cstdio>
#include <memory>
#include <optional>

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QStringList>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "clock/LayeredImage.h"
#include "platform/Clock.h"
#include "platform/RegionSink.h"

namespace {

// The largest face the tool draws: 8192 x 8192 x 4 bytes is 256 MiB, already
// far beyond any screen; larger requests are refused rather than attempted.
constexpr int kMaxSize = 8192;

// Without --ini the tool shows the defaults a 1280 x 1024 screen gives.
const QSize kDefaultScreen(1280, 1024);

struct Options {
    QString ini;
    std::optional<int> size;
    std::optional<std::time_t> time;
    bool layered = false;
    QString out;
};

class FixedClock final : public platform::IClock {
public:
    explicit FixedClock(std::time_t t) : m_time(t) {}
    std::time_t Now() const override { return m_time; }
    long long NowMs() const override { return static_cast<long long>(m_time) * 1000; }

private:
    std::time_t m_time;
};

// Parses the arguments: the help or the version printed (0), a bad argument
// named on standard error with the usage (2), or nothing when the image is
// to be drawn.
std::optional<int> Parse(const QStringList& args, Options& opt)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the Vitrodial clock face into a PNG file."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    const QCommandLineOption ini(QStringLiteral("ini"), QStringLiteral("Read the settings from FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Draw a face of N x N pixels, 1 to %1.").arg(kMaxSize),
                                  QStringLiteral("N"));
    const QCommandLineOption time(QStringLiteral("time"), QStringLiteral("Show this local time."),
                                  QStringLiteral("YYYY-MM-DDTHH:MM:SS"));
    const QCommandLineOption layered(QStringLiteral("layered"),
                                     QStringLiteral("Write RGBA, as the clock shows over a compositing desktop."));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The PNG file to write; required."),
                                 QStringLiteral("FILE.png"));
    parser.addOptions({help, version, ini, size, time, layered, out});
    // The parser's own first line names no program before an application exists.
    const QString usage =
        QStringLiteral("Usage: vitrodial-render [option]... --out FILE.png\n") + parser.helpText().section(u'\n', 1);

    const QString error = [&]() -> QString {
        if (!parser.parse(args))
            return parser.errorText();
        if (parser.isSet(help) || parser.isSet(version))
            return {};
        opt.layered = parser.isSet(layered);
        opt.ini = parser.value(ini);
        if (parser.isSet(ini) && opt.ini.isEmpty())
            return QStringLiteral("--ini needs a file");
        if (parser.isSet(size)) {
            const QString text = parser.value(size);
            bool ok = false;
            const int n = text.toInt(&ok);
            if (!ok || n < 1 || n > kMaxSize)
                return QStringLiteral("--size must be a whole number from 1 to %1, not '%2'").arg(kMaxSize).arg(text);
            opt.size = n;
        }
        if (parser.isSet(time)) {
            const QString text = parser.value(time);
            const QDate date = QDate::fromString(text.section(u'T', 0, 0), QStringLiteral("yyyy-MM-dd"));
            const QTime clock = QTime::fromString(text.section(u'T', 1), QStringLiteral("HH:mm:ss"));
            if (!date.isValid() || !clock.isValid())
                return QStringLiteral("--time must be a local time YYYY-MM-DDTHH:MM:SS, not '%1'").arg(text);
            // Well formed, yet skipped by the local clock when daylight-saving
            // time began.
            const QDateTime t(date, clock);
            if (!t.isValid() || t.time() != clock)
                return QStringLiteral("--time %1 does not exist in the local time zone").arg(text);
            opt.time = static_cast<std::time_t>(t.toSecsSinceEpoch());
        }
        // After the values: an option missing its value takes the next one.
        if (!parser.positionalArguments().isEmpty())
            return QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        opt.out = parser.value(out);
        if (opt.out.isEmpty())
            return QStringLiteral("--out FILE.png is required");
        return {};
    }();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vitrodial-render: %s\n%s", qPrintable(error), qPrintable(usage));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(usage), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("vitrodial-render (Vitrodial) %s\n", VITRODIAL_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    // Arguments first: a bad one is reported before anything else starts.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    Options opt;
    if (const std::optional<int> status = Parse(args, opt))
        return *status;

    // Fonts need a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (!opt.ini.isEmpty()) {
        const QFileInfo info(opt.ini);
        if (!info.isFile() || !info.isReadable()) {
            std::fprintf(stderr, "vitrodial-render: cannot read the settings file '%s'\n", qPrintable(opt.ini));
            return 1;
        }
    }

    CClockApp settings;
    settings.SetScreenSize(kDefaultScreen);
    settings.m_bIniFile = 1;
    // Without a file the empty device gives every key its default.
    settings.UseIniFileAt(opt.ini.isEmpty() ? QStringLiteral("/dev/null") : opt.ini);
    settings.LoadSettings();

    const int size = opt.size.value_or(settings.m_nSize);
    if (size < 1 || size > kMaxSize) {
        std::fprintf(stderr, "vitrodial-render: the stored size %d cannot be drawn; pass --size\n", size);
        return 1;
    }
    if (opt.time)
        platform::SetClock(std::make_shared<FixedClock>(*opt.time));

    QImage face(size, size, QImage::Format_RGB32);
    platform::ImageSink sink(face);
    CClockFace(0, 0, size, size).Draw(sink, FaceSettings::Of(settings));
    const QImage image = opt.layered ? ToLayered(face, settings.m_crClear, settings.m_nOpacity) : face;

    // Written whole or not at all: a failed write leaves no half PNG behind.
    QSaveFile out(opt.out);
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
        std::fprintf(stderr, "vitrodial-render: cannot write '%s'\n", qPrintable(opt.out));
        return 1;
    }
    return 0;
}
