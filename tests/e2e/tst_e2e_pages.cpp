// The configuration pages on the real clock, driven from the keyboard as a
// person would: the opacity changed live and the seconds hand switched off,
// the values saved by "Dismiss" and applied at the next start.
//
// The keyboard paths follow the templates' order of controls: the dialog
// opens with the focus on "Dismiss"; Tab goes on to "Close Vitrodial", then
// to the tab strip, then into the page; Shift+Tab from "Dismiss" enters the
// current page at its last control and walks its controls backwards.
// Ctrl+(Shift+)Tab and Ctrl+Page Down/Up change pages from any control.

#include <QSettings>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

namespace {

const char* const kDialogTitle = "^Vitrodial Configuration$";
const QRectF kDismiss(140, 167, 74, 16);

} // namespace

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
        IniFixture ini; // dark dial at opacity 200, seconds hand shown
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(ini.Text()) && m_pClock->Start() && m_pClock->WaitForClockWindow());
        QString fault = WaitForFace(m_desktop, ini, 200, "pages-before").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        QVERIFY(m_desktop.Script({"click-tray", "1"}));
        QVERIFY(WaitFor([this] { return !DialogRect().isNull(); }, 10000));
        const QRect dialog = DialogRect();

        // every tab in turn with Ctrl+Page Down, the focus staying on "Dismiss";
        // each shows a page of its own
        QList<QImage> pages;
        const auto shows = [&](const QImage& p) { // the page seen before, give or take a few slider ticks
            const auto same = [&] { return DifferingPixels(m_desktop.Screenshot().copy(dialog), p, p.rect()) < 100; };
            return WaitFor(same, 5000, 100);
        };
        for (int i = 0; i < 8; ++i) {
            if (i > 0)
                QVERIFY(m_desktop.Keys({"ctrl+Next"}));
            QImage page;
            QVERIFY(WaitFor(
                [&] {
                    page = m_desktop.Screenshot().copy(dialog);
                    return pages.isEmpty() || page != pages.last();
                },
                5000, 100));
            pages << page;
            m_desktop.SaveArtifact(page, QStringLiteral("page-%1").arg(i));
        }
        // Ctrl+Tab wraps round to Geometry, Ctrl+Shift+Tab back to Misc.
        QVERIFY(m_desktop.Keys({"ctrl+Tab"}) && shows(pages[0]));
        QVERIFY(m_desktop.Keys({"ctrl+shift+Tab"}) && shows(pages[7]));

        // Colors, two pages on: its first control, before its three buttons and
        // "Dismiss", is the opacity slider; End makes it opaque
        QVERIFY(m_desktop.Keys({"ctrl+Tab", "ctrl+Page_Down"}) && shows(pages[1]));
        QVERIFY(m_desktop.Keys(QStringList(4, "shift+Tab") << "End"));
        fault = WaitForFace(m_desktop, ini, 255, "pages-opaque").failure;
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("opacity not 255: ") + fault));

        // from the slider on to Dial, the focus going to the tab strip; Right
        // to Seconds; Tab straight into the page: its check box, off
        QVERIFY(m_desktop.Keys({"ctrl+Tab", "Right", "Tab", "space"}));

        QVERIFY(m_desktop.Click(dialog.topLeft()
                                + QPoint(int(kDismiss.center().x() * dialog.width() / 244.0),
                                         int(kDismiss.center().y() * dialog.height() / 190.0))));
        QVERIFY(WaitFor([this] { return DialogRect().isNull(); }, 5000));
        {
            QSettings saved(m_pClock->IniPath(), QSettings::IniFormat);
            QCOMPARE(saved.value("Color/Opacity").toInt(), 255);
            QCOMPARE(saved.value("Seconds/Show").toInt(), 0);
            QCOMPARE(saved.value("Geometry/Size").toInt(), 400); // the rest kept
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
