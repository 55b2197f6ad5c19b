#include "program/CommandLine.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>

#include "platform/X11.h"

CommandLine ParseCommandLine(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    CommandLine line;
    // Named as it was started: a copy under another name is another clock.
    line.name = args.isEmpty() ? QStringLiteral("vitrodial") : QFileInfo(args.first()).fileName();
    const QString& name = line.name;

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("An analog clock that floats over the desktop. Started while a clock runs,\nit closes "
                       "that clock instead."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    const QCommandLineOption configure(
        QStringLiteral("configure"),
        QStringLiteral("Open the running clock's configuration dialog, or start the clock with it open."));
    const QCommandLineOption quit(QStringLiteral("quit"), QStringLiteral("Close the running clock; never start one."));
    parser.addOptions({help, version, configure, quit});
    // The parser's own first line names no program before an application exists.
    const QString usage = QStringLiteral("Usage: %1 [option]\n").arg(name) + parser.helpText().section(u'\n', 1);

    QString error;
    if (!parser.parse(args))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
    else if (parser.isSet(configure) && parser.isSet(quit))
        error = QStringLiteral("--configure and --quit exclude each other.");
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n%s", qPrintable(name), qPrintable(error), qPrintable(usage));
        line.exitStatus = 2;
    } else if (parser.isSet(help)) {
        std::fputs(qPrintable(usage), stdout);
        line.exitStatus = 0;
    } else if (parser.isSet(version)) {
        std::printf("%s (Vitrodial) %s\n", qPrintable(name), VITRODIAL_VERSION);
        line.exitStatus = 0;
    } else if (parser.isSet(configure)) {
        line.request = StartRequest::Configure;
    } else if (parser.isSet(quit)) {
        line.request = StartRequest::Quit;
    }
    return line;
}

QString DisplayProblem()
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM").section(u':', 0, 0) != QLatin1String("xcb")
        || platform::x11::CanConnect())
        return {};
    const QString display = qEnvironmentVariable("DISPLAY");
    if (!display.isEmpty())
        return QStringLiteral("cannot open the X display \"%1\" (DISPLAY)").arg(display);
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty())
        return QStringLiteral("cannot open an X display: DISPLAY is not set, and the Wayland display \"%1\" "
                              "(WAYLAND_DISPLAY) offers no X11 (XWayland)")
            .arg(wayland);
    return QStringLiteral("cannot open a display: none set (DISPLAY, WAYLAND_DISPLAY)");
}
