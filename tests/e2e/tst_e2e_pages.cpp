// The configuration pages on the real clock, driven from the keyboard as a
// person would: the opacity changed live and the seconds hand switched off,
// the values saved by "Dismiss" and applied at the next start.
//
// The keyboard paths follow the templates' order of controls: the dialog
// opens with the focus on "Dismiss"; Tab goes on to "Close Vitrodial", then
// to the tab strip; Shift+Tab from "Dismiss" enters the current page at its
// last control and walks its controls backwards.

#include <QSettings>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

namespace {

const char* const kDialogTitle = "^Vitrodial Configuration$";
const QRectF kDismiss(140, 167, 74, 16);

}  // namespace

class TestE2ePages : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;

    QRect DialogRect() const
    {
        const auto dialogs = m_desktop.FindWindows(kDialogTitle);
        return dialogs.size() == 1 ? m_desktop.Info(dialogs.first()).rect : QRect();
    }

private slots:
    void initTestCase() { QVERIFY2(m_desktop.Start({}), qPrintable(m_desktop.ErrorString())); }

    void cleanup()
    {
        ReportFailure(m_desktop, m_pClock.get());
        m_pClock.reset();
    }

    void cleanupTestCase() { m_desktop.Stop(); }

    void pagesChangeSaveAndApply()
    {
        IniFixture ini;  // dark dial at opacity 200, seconds hand shown
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(ini.Text()) && m_pClock->Start() && m_pClock->WaitForClockWindow());
        QString fault = WaitForFace(m_desktop, ini, 200, "pages-before").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        QVERIFY(m_desktop.Script({"click-tray", "1"}));
        QVERIFY(WaitFor([this] { return !DialogRect().isNull(); }, 10000));
        const QRect dialog = DialogRect();

        // from the tab strip to Colors, whose first control is the opacity
        // slider; End makes it opaque
        QVERIFY(m_desktop.Keys({"Tab", "Tab", "Right"}));
        QVERIFY(m_desktop.Keys(QStringList(2 + 4, "shift+Tab")));
        QVERIFY(m_desktop.Keys({"End"}));
        fault = WaitForFace(m_desktop, ini, 255, "pages-opaque").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("opacity not 255: ") + fault));

        // back to the tab strip (slider, 3 buttons, Dismiss, Close), on to
        // Seconds, and its first control, the check box, off
        QVERIFY(m_desktop.Keys(QStringList(6, "Tab")));
        QVERIFY(m_desktop.Keys({"Right", "Right"}));
        QVERIFY(m_desktop.Keys(QStringList(2 + 4, "shift+Tab")));
        QVERIFY(m_desktop.Keys({"space"}));

        QVERIFY(m_desktop.Click(dialog.topLeft() + QPoint(int(kDismiss.center().x() * dialog.width() / 244.0),
                                                          int(kDismiss.center().y() * dialog.height() / 190.0))));
        QVERIFY(WaitFor([this] { return DialogRect().isNull(); }, 5000));
        {
            QSettings saved(m_pClock->IniPath(), QSettings::IniFormat);
            QCOMPARE(saved.value("Color/Opacity").toInt(), 255);
            QCOMPARE(saved.value("Seconds/Show").toInt(), 0);
            QCOMPARE(saved.value("Geometry/Size").toInt(), 400);  // the rest kept
        }

        // the next start shows the clock as it was left
        m_pClock->Kill();
        QVERIFY(WaitFor([this] { return m_pClock->FindClockWindow() == 0; }, 5000));
        QVERIFY(m_pClock->Start());
        QVERIFY(m_pClock->WaitForClockWindow());
        fault = WaitForFace(m_desktop, ini, 255, "pages-restarted").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_GUILESS_MAIN(TestE2ePages)
#include "tst_e2e_pages.moc"
