#pragma once
// The application object: every setting as a plain public member, the choice
// of settings store, loading and saving.

#include <functional>
#include <memory>
#include <optional>

#include <QHash>
#include <QSize>
#include <QString>

#include "app/ScreenLayout.h"
#include "platform/WinTypes.h"

class Disk;
class IProfileStore;
class IClockWindow;
class QObject;

// What a setting changed through the dialog asks of the clock window.
enum class ClockEffect {
    None,     // nothing on screen: the choice of store
    Redraw,   // the face: colours, thicknesses, the date, what is shown
    Layering, // the clear colour and the opacity
    Place,    // Left and Top
    Size,
    TopMost,
    TrayIcon,
};

// What the command line asks of a start.
enum class StartRequest {
    Run,       // show the clock, or close the one running
    Configure, // open the running clock's dialog, or show the clock with it open
    Quit,      // close the running clock, and never show one
};

class CClockApp {
public:
    CClockApp();
    ~CClockApp();
    CClockApp(const CClockApp&) = delete;
    CClockApp& operator=(const CClockApp&) = delete;

    // Start-up: single instance, store choice, loading, the clock window's run.
    // Defined with the program's entry point, not in the settings library.
    BOOL InitInstance(StartRequest request = StartRequest::Run);
    // The program's exit status once InitInstance has returned: 1 when the
    // start could not reach the single-instance channel, else 0.
    int ExitInstance() const { return m_nExitCode; }

    // The store choice at start-up: the registry's Misc/IniFile decides whether
    // the .ini file is tried, then the settings are loaded from the store in force.
    void ChooseStoreAndLoad();

    void LoadSettings();
    void SaveSettings();
    // The one way the dialog changes a setting, once it has written the
    // members: marks the settings for the next save and has the clock window,
    // when there is one, show the change. False when the window could not
    // (a move or a resize it refused).
    bool SettingsChanged(ClockEffect effect);
    // Makes the .ini file beside the program the store. When it cannot be
    // written there, the registry stays in force and, when pWhy is given, it
    // says which file and why ("<path>: <reason>").
    bool UseIniFile(QString* pWhy = nullptr);
    bool UseRegistry();

    // The registry key in force (empty: none, the .ini file is the store);
    // setting it makes the application name the profile name.
    void SetRegistryKey(const QString& key);
    const QString& RegistryKey() const { return m_strRegistryKey; }
    IProfileStore& Store();
    // Makes the .ini file at iniPath the store, as it stands (no checks), for
    // tools that read a given settings file.
    void UseIniFileAt(const QString& iniPath);

    // The program's own path and name; replaceable for tests.
    QString ModulePath() const;
    void SetModulePath(const QString& path) { m_strModulePath = path; }
    QString AppName() const;
    // The screens, for the defaults and the geometry that depend on them;
    // replaceable (SetScreenSize: one screen of that size at the origin).
    ScreenLayout Screens() const;
    void SetScreens(const ScreenLayout& screens) { m_screens = screens; }
    void SetScreenSize(const QSize& size) { m_screens = ScreenLayout::Single(size); }
    // Calls changed, from the event loop, after screens come, go, move or
    // resize, as long as context lives.
    static void WatchScreens(QObject* context, const std::function<void()>& changed);

    // For tests: back to the state at construction (every member zero, no
    // store chosen, no overrides).
    void ResetForTests();
    // For tests: the disk through which the stores made from now on reach
    // their files (null: the real one); it must outlive them.
    void SetDiskForTests(Disk* disk) { m_pDisk = disk; }

    // Settings, in declaration order; all zero at construction.
    BOOL m_bModified = 0;
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nSize = 0;
    int m_nOpacity = 0;
    COLORREF m_crClear = 0;
    COLORREF m_crDialBackground = 0;
    COLORREF m_crDialFrame = 0;
    COLORREF m_crDialFill = 0;
    COLORREF m_crSecondsFrame = 0;
    COLORREF m_crSecondsFill = 0;
    COLORREF m_crMinuteFrame = 0;
    COLORREF m_crMinuteFill = 0;
    COLORREF m_crHourFrame = 0;
    COLORREF m_crHourFill = 0;
    COLORREF m_crDateFrame = 0;
    COLORREF m_crDateFill = 0;
    QString m_strFontFace;
    BOOL m_bFontItalic = 0;
    int m_nFontWeight = 0;
    int m_nDialWidth = 0;
    int m_nSecondsWidth = 0;
    int m_nMinuteWidth = 0;
    int m_nHourWidth = 0;
    int m_nDateWidth = 0;
    BOOL m_bShowDay = 0;
    BOOL m_bShowMonth = 0;
    BOOL m_bShowAmPm = 0;
    BOOL m_bShowDate = 0;
    BOOL m_bShowSeconds = 0;
    BOOL m_bShowDial = 0;
    BOOL m_bTopMost = 0;
    BOOL m_bDateBox = 0;
    BOOL m_bIniFile = 0;
    BOOL m_bTrayIcon = 0;

    // The clock window, through which the configuration dialog reaches it;
    // null outside its run.
    IClockWindow* m_pMainWnd = nullptr;

private:
    // A fresh object's state replaces this one's: the reset for tests.
    CClockApp& operator=(CClockApp&&);

    // Says once per file that it could not be read, and keeps every later
    // store of that file from saving over it in this run.
    void CheckRead(IProfileStore& store);

    QString m_strRegistryKey;
    QString m_strProfileName;
    QString m_strModulePath;
    std::optional<ScreenLayout> m_screens;
    std::unique_ptr<IProfileStore> m_pStore;
    Disk* m_pDisk = nullptr;
    // The files that could not be read in this run, with the reason.
    QHash<QString, QString> m_unread;
    int m_nExitCode = 0;
};

extern CClockApp theApp;
