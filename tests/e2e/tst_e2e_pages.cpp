// The configuration pages on the real clock, driven from the keyboard as a
// person would: the opacity changed live and the seconds hand switched off,
// the values saved when the dialog is dismissed.
//
// The keyboard paths follow the pages' Tab order, row by row as the page
// reads: the dialog opens with the focus on "Dismiss"; Shift+Tab from
// "Dismiss" enters the current page at its last control and walks its
// controls backwards.
// Ctrl+(Shift+)Tab and Ctrl+Page Down/Up change pages from any control.

#include <QSettings>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2ePages : public DesktopTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(m_desktop.Start({}), qPrintable(m_desktop.ErrorString())); }

    void pagesChangeAndSave()
    {
        IniFixture ini; // dark dial at opacity 200, seconds hand shown
        QVERIFY(StartClock(ini.Text()));
        QString fault = WaitForFace(m_desktop, ini, 200, "pages-before").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const auto dialogShown = [this] { return !m_desktop.WindowRect("^Vitrodial Configuration$").isNull(); };
        QVERIFY(m_desktop.Script({"click-tray", "1"}) && WaitFor(dialogShown, 10000));

        // Back round to Misc, on round to Geometry, two on and one back to
        // Colors, the focus staying on "Dismiss": the page's first control,
        // before its three buttons and "Dismiss", is the opacity slider; End
        // makes it opaque.
        QVERIFY(m_desktop.Keys(QStringList{"ctrl+shift+Tab", "ctrl+Tab", "ctrl+Next", "ctrl+Next", "ctrl+Prior"}
                                   + QStringList(4, "shift+Tab")
                               << "End"));
        fault = WaitForFace(m_desktop, ini, 255, "pages-opaque").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("opacity not 255: ") + fault));

        // from the slider on to Dial, the focus going to the tab strip; Right
        // to Seconds; Tab straight into the page, with no stop between: its
        // check box, off; Escape dismisses the dialog
        QVERIFY(m_desktop.Keys({"ctrl+Next", "Right", "Tab", "space", "Escape"}));
        QVERIFY(WaitFor([&] { return !dialogShown(); }, 5000));
        QSettings saved(m_pClock->IniPath(), QSettings::IniFormat);
        QCOMPARE(saved.value("Color/Opacity").toInt(), 255);
        QCOMPARE(saved.value("Seconds/Show").toInt(), 0);
        QCOMPARE(saved.value("Geometry/Size").toInt(), 400); // the rest kept
    }
};

QTEST_GUILESS_MAIN(TestE2ePages)
#include "tst_e2e_pages.moc"
