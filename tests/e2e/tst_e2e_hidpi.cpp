// The clock at a device pixel ratio of 2: twice as large on the screen, drawn
// at the screen's own resolution, its circle cut pixel by pixel rather than in
// steps of two, with holes that show the wallpaper exactly.

#include <QTest>

#include <cmath>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eHiDpi : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;

private slots:
    void cleanup()
    {
        if (QTest::currentTestFailed() && m_pClock)
            qWarning().noquote() << m_pClock->Output();
        m_pClock.reset();
    }

    void cleanupTestCase() { m_desktop.Stop(); }

    void face_data()
    {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<int>("alpha");  // -1: drawn opaque, cut to its pixels
        QTest::newRow("composited") << true << 200;
        QTest::newRow("shaped") << false << -1;
    }

    void face()
    {
        QFETCH(bool, compositor);
        QFETCH(int, alpha);
        VirtualDesktop::Options options;
        options.compositor = compositor;
        options.scale = QStringLiteral("2");
        QVERIFY2(m_desktop.Ensure(options), qPrintable(m_desktop.ErrorString()));

        IniFixture ini;
        ini.Set("Geometry", "Left", 60).Set("Geometry", "Top", 50).Set("Geometry", "Size", 201);
        const QRect logical = ini.ClockRect();
        const QRect device(logical.topLeft() * 2, logical.size() * 2);
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(ini.Text()));
        QVERIFY(m_pClock->Start());
        QVERIFY2(m_pClock->WaitForClockWindow(), "no clock window");
        const quint64 window = m_pClock->FindClockWindow();
        QVERIFY(WaitFor([&] { return m_desktop.Info(window).rect == device; }, 5000));

        // Every pixel is the wallpaper or a face colour: no blur, no fringe.
        FaceReport report;
        QImage shot;
        const bool shown = WaitFor([&] {
            shot = m_desktop.Screenshot();
            report = CheckFace(shot, m_desktop.Wallpaper(), device, ini.Colours(), ini.Clear(), alpha,
                               {m_desktop.TrayRect()});
            return report.failure.isEmpty() && report.inside - report.clear > 5000;
        }, 15000, 200);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QVERIFY2(shown, qPrintable(report.failure + " screenshot: " + m_desktop.SaveArtifact(shot, name)));
        if (qEnvironmentVariableIsSet("VITRODIAL_E2E_KEEP"))
            qInfo("screenshot: %s", qPrintable(m_desktop.SaveArtifact(shot, name)));
        QVERIFY2(report.clear > 400, "no holes of the clear colour");

        // The rim is cut at device resolution: each row of the circle starts
        // and ends within a pixel of the true circle of radius 201. A mask
        // scaled from window pixels repeats every row twice and misses it by
        // several pixels near the top and the bottom.
        const QImage& wallpaper = m_desktop.Wallpaper();
        const double r = device.width() / 2.0;
        const double cx = device.x() + r;
        const double cy = device.y() + r;
        for (int y = device.top(); y <= device.bottom(); ++y) {
            int first = -1;
            int last = -1;
            for (int x = device.left(); x <= device.right(); ++x) {
                if (shot.pixel(x, y) != wallpaper.pixel(x, y)) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            }
            const double dy = y + 0.5 - cy;
            const double half = std::sqrt(std::max(0.0, r * r - dy * dy));
            if (half < 2.0)
                continue;  // the very top and bottom: a pixel or two wide
            if (first >= 0 && std::abs(first - (cx - half)) <= 1.0 && std::abs(last + 1 - (cx + half)) <= 1.0)
                continue;
            QFAIL(qPrintable(QStringLiteral("row %1: %2..%3, circle %4..%5; screenshot: %6")
                                 .arg(y).arg(first).arg(last + 1).arg(cx - half).arg(cx + half)
                                 .arg(m_desktop.SaveArtifact(shot, name))));
        }
    }
};

QTEST_GUILESS_MAIN(TestE2eHiDpi)
#include "tst_e2e_hidpi.moc"
