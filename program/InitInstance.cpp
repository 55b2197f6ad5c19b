// Start-up: one clock per user, the settings, then the clock window's run.

#include "app/ClockApp.h"
#include "platform/SingleInstance.h"
#include "window/ClockDlg.h"
#include "window/MessageBoxHandler.h"

BOOL CClockApp::InitInstance()
{
    InstallMessageBoxHandler(AppName());

    // A start while a clock runs closes that clock and shows nothing itself.
    platform::SingleInstance instance(AppName());
    if (instance.Start() == platform::SingleInstance::Result::ClosedOther)
        return false;
    // A request to quit can come while the settings load (a message box runs
    // its own loop): keep it for the window.
    CClockDlg* running = nullptr;
    bool quitEarly = false;
    QObject::connect(&instance, &platform::SingleInstance::quitRequested, [&] {
        if (running)
            running->PostQuitMessage();
        else
            quitEarly = true;
    });

    ChooseStoreAndLoad();

    CClockDlg dlg;
    running = &dlg;
    m_pMainWnd = &dlg;
    if (quitEarly)
        dlg.PostQuitMessage();
    dlg.DoModal();
    running = nullptr;
    m_pMainWnd = nullptr;
    return false;
}
