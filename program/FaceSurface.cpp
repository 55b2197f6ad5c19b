#include "program/FaceSurface.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QtGlobal>

#ifdef VITRODIAL_WAYLAND
#include "platform/WaylandConnection.h"
#endif

FaceChoice ChooseFaceSurface()
{
    static const FaceChoice choice = [] {
        const QByteArray asked = qgetenv("VITRODIAL_SURFACE");
        const bool forced = asked == "wayland";
        if (!forced && (asked == "x11" || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
            return FaceChoice{};
#ifdef VITRODIAL_WAYLAND
        if (platform::wayland::LayerShellOffered())
            return FaceChoice{FaceSurface::LayerSurface, {}};
        const QString why = QStringLiteral("the Wayland compositor offers no layer shell");
#else
        const QString why = QStringLiteral("this build has no Wayland layer surface");
#endif
        return FaceChoice{FaceSurface::X11Window, forced ? why : QString()};
    }();
    return choice;
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt says it failed to load the integration the program asked it to go
// without: nothing for the user to act on.
void DropNoIntegrationNotice(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (qstrcmp(context.category, "qt.qpa.wayland") == 0
        && message.contains(QLatin1String("client buffer integration")))
        return;
    g_previousHandler(type, context, message);
}

} // namespace

void ChooseQtPlatform(FaceSurface surface)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/");
    if (surface == FaceSurface::LayerSurface && QFileInfo::exists(plugins + QStringLiteral("libqwayland-generic.so"))) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        // No integration: widgets draw in shared memory as the face does,
        // and EGL with a software renderer (about 50 MB) stays unloaded.
        if (qEnvironmentVariableIsEmpty("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION")) {
            qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
            g_previousHandler = qInstallMessageHandler(DropNoIntegrationNotice);
        }
        return;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
}
