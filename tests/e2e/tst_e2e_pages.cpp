// The configuration pages on the real clock, driven from the keyboard as a
// person would: every tab shown (one screenshot each, kept for looking at),
// the opacity and the seconds hand changed live, the values saved by
// "Dismiss" and applied at the next start.
//
// The keyboard paths follow the templates' order of controls: the dialog
// opens with the focus on "Dismiss"; Tab goes on to "Close Vitrodial", then
// to the tab strip; Shift+Tab from "Dismiss" enters the current page at its
// last control and walks its controls backwards.

#include <QDateTime>
#include <QSettings>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

namespace {

const char* const kDialogTitle = "^Vitrodial Configuration$";
const QRectF kDismiss(140, 167, 74, 16);
const QStringList kTabs = {"Geometry", "Colors", "Dial", "Seconds", "Minute", "Hour", "Date", "Misc"};

QStringList Repeat(const QString& key, int n)
{
    QStringList keys;
    for (int i = 0; i < n; ++i)
        keys << key;
    return keys;
}

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

    QString FaceFault(const IniFixture& ini, int alpha, const QString& name)
    {
        return WaitForFace(m_desktop, ini, alpha, name, {}, {DialogRect()}).failure;
    }

    // Two screenshots a few seconds apart within one minute show the same face.
    bool FaceStill(const QRect& rect)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            WaitFor([] { return QTime::currentTime().second() < 50; }, 15000, 200);
            const int minute = QTime::currentTime().minute();
            const QImage first = m_desktop.Screenshot();
            QTest::qWait(2500);
            const QImage second = m_desktop.Screenshot();
            if (QTime::currentTime().minute() == minute)
                return DifferingPixels(first, second, rect) == 0;
        }
        return false;
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
        QVERIFY(m_pClock->Prepare(ini.Text()));
        QVERIFY(m_pClock->Start());
        QVERIFY(m_pClock->WaitForClockWindow());
        QString fault = FaceFault(ini, 200, "pages-before");
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        QRect icon;
        QVERIFY(WaitFor([&] { return !(icon = m_desktop.TrayIcons()).isNull(); }, 15000, 200));
        QVERIFY(m_desktop.Click(icon.center(), 1));
        QVERIFY(WaitFor([this] { return !DialogRect().isNull(); }, 10000));
        const QRect dialog = DialogRect();

        // every tab in turn, from the tab strip; each shows a page of its own
        QVERIFY(m_desktop.Keys({"Tab", "Tab"}));
        QList<QImage> pages;
        for (int i = 0; i < kTabs.size(); ++i) {
            if (i > 0)
                QVERIFY(m_desktop.Keys({"Right"}));
            QImage page;
            QVERIFY(WaitFor([&] {
                page = m_desktop.Screenshot().copy(dialog);
                return pages.isEmpty() || page != pages.last();
            }, 5000, 100));
            pages << page;
            qInfo("page %s: %s", qPrintable(kTabs[i]),
                  qPrintable(m_desktop.SaveArtifact(page, QStringLiteral("page-%1-%2").arg(i).arg(kTabs[i]))));
        }

        // Colors: its first control is the opacity slider; End makes it opaque
        QVERIFY(m_desktop.Keys(Repeat("Left", 6)));
        QVERIFY(m_desktop.Keys(Repeat("shift+Tab", 2 + 4)));
        QVERIFY(m_desktop.Keys({"End"}));
        fault = FaceFault(ini, 255, "pages-opaque");
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("opacity not 255: ") + fault));

        // back to the tab strip (slider, 3 buttons, Dismiss, Close), on to
        // Seconds, and its first control, the check box, off
        QVERIFY(m_desktop.Keys(Repeat("Tab", 6)));
        QVERIFY(m_desktop.Keys({"Right", "Right"}));
        QVERIFY(m_desktop.Keys(Repeat("shift+Tab", 2 + 4)));
        QVERIFY(m_desktop.Keys({"space"}));
        QVERIFY2(FaceStill(ini.ClockRect()), "the seconds hand still moves");

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
        fault = FaceFault(ini, 255, "pages-restarted");
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY2(FaceStill(ini.ClockRect()), "the seconds hand is back after a restart");
    }
};

QTEST_GUILESS_MAIN(TestE2ePages)
#include "tst_e2e_pages.moc"
