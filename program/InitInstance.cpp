// Start-up: one clock per user, the settings, then the clock window's run.

#include <cstdio>
#include <memory>
#include <utility>

#include <QFileInfo>

#include "app/ClockApp.h"
#include "app/ProfileStore.h"
#include "platform/SingleInstance.h"
#include "program/FaceSurface.h"
#include "window/ClockDlg.h"
#include "window/MessageBoxHandler.h"
#include "window/ModalSweep.h"

BOOL CClockApp::InitInstance(StartRequest request)
{
    using platform::SingleInstance;
    InstallMessageBoxHandler(AppName());
    m_nExitCode = 0;

    // A start without the channel shows no clock: nothing could close it, and
    // every start after it would show another. It says why and fails.
    SingleInstance instance(AppName());
    QString refused;
    const auto reason =
        QObject::connect(&instance, &SingleInstance::failed, [&](const QString& why) { refused = why; });
    const SingleInstance::Result result = instance.Start(
        request == StartRequest::Configure ? SingleInstance::Request::Configure : SingleInstance::Request::Quit,
        request == StartRequest::Quit ? SingleInstance::Alone::Leave : SingleInstance::Alone::Register);
    QObject::disconnect(reason);
    if (result == SingleInstance::Result::Failed) {
        std::fprintf(stderr, "%s: %s; %s\n", qPrintable(AppName()), qPrintable(refused),
                     request == StartRequest::Quit ? "no running clock could be reached"
                                                   : "no clock is shown, as starting the program again could not "
                                                     "close it");
        m_nExitCode = 1;
        return false;
    }
    // A start while a clock runs closes that clock or opens its dialog, and
    // shows nothing itself; so does a start asked only to quit.
    if (result != SingleInstance::Result::Registered)
        return false;
    // A channel lost while the clock runs: the clock goes on, but says once
    // that starting the program again will not close it.
    bool warned = false;
    QObject::connect(&instance, &SingleInstance::failed, [&](const QString& why) {
        if (!std::exchange(warned, true))
            std::fprintf(stderr, "%s: %s; starting it again will not close this clock\n", qPrintable(AppName()),
                         qPrintable(why));
    });
    // A request to quit can come while the settings load (a message box runs
    // its own loop, which is closed): then no clock is shown.
    CClockDlg* running = nullptr;
    std::unique_ptr<ModalSweep> sweep;
    // The clock leaves the screen before the start that closes it has its
    // answer, so that the next start's clock never shows beside it.
    QObject::connect(&instance, &SingleInstance::quitRequested, [&] {
        if (running) {
            running->HideNow();
            running->PostQuitMessage();
        } else if (!sweep) {
            sweep = std::make_unique<ModalSweep>();
        }
    });
    // Asked for while the settings load, the dialog opens with the clock.
    bool configure = request == StartRequest::Configure;
    QObject::connect(&instance, &SingleInstance::configureRequested, [&] {
        if (running)
            running->ShowConfig();
        else
            configure = true;
    });

    ChooseStoreAndLoad();
    if (sweep)
        return false;

    CClockDlg dlg;
    const FaceChoice face = ChooseFaceSurface();
    if (!face.problem.isEmpty() || (face.surface == FaceSurface::LayerSurface && !dlg.UseWayland()))
        std::fprintf(stderr, "%s: %s; the clock shows through X11\n", qPrintable(AppName()),
                     qPrintable(face.problem.isEmpty() ? QStringLiteral("the layer surface failed") : face.problem));
    // Until settings have been saved (the store in force has no file yet)
    // the user may not know how to reach the dialog without a tray icon.
    const bool firstStart = !QFileInfo::exists(Store().Location());
    dlg.m_eConfigAtStart = configure    ? CClockDlg::ConfigAtStart::Always
                           : firstStart ? CClockDlg::ConfigAtStart::WithoutTray
                                        : CClockDlg::ConfigAtStart::Never;
    running = &dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    running = nullptr;
    m_pMainWnd = nullptr;
    return false;
}
