// What the clock looks like on the screen: holes of the clear colour, the
// blend at the opacity, nothing outside the circle, with and without a
// compositor; the seconds hand moving, and a still face without it.

#include <QDateTime>
#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

namespace {

// Fixtures: a dark dial with the hands' fill as holes, and a dial of the
// clear colour on which only the marks and the hands float.
IniFixture DarkDial(int opacity)
{
    IniFixture ini;
    ini.Set("Color", "Opacity", opacity);
    return ini;
}

IniFixture ClearDial(int opacity)
{
    IniFixture ini;
    ini.Set("Color", "Opacity", opacity).Set("Color", "Clear", "ff00");  // green
    ini.Set("Dial", "Background", "ff00").Set("Dial", "Fill", "ffffff");
    ini.Set("Seconds", "Fill", "0").Set("Minute", "Fill", "ff00").Set("Hour", "Fill", "ff00");
    ini.Set("Date", "Box", 0);
    return ini;
}

}  // namespace

class TestE2ePixels : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;

    // Starts the clock and polls until the screen shows its face as it should
    // be; fails with the faults of the last screenshot, which it keeps.
    FaceReport ShowFace(const IniFixture& ini, int alpha, const QString& name)
    {
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        if (!m_pClock->Prepare(ini.Text()) || !m_pClock->Start())
            return {QStringLiteral("the clock did not start"), 0, {}, 0};
        FaceReport report;
        QImage shot;
        WaitFor([&] {
            shot = m_desktop.Screenshot();
            report = CheckFace(shot, m_desktop.Wallpaper(), ini.ClockRect(), ini.Colours(), ini.Clear(),
                               alpha, {m_desktop.TrayRect()});
            // a face, not the bare wallpaper
            return report.failure.isEmpty() && report.inside - report.clear > 500;
        }, 15000, 200);
        if (report.failure.isEmpty() && report.inside - report.clear <= 500)
            report.failure = QStringLiteral("no face on the screen");
        if (!report.failure.isEmpty())
            report.failure += QStringLiteral(" screenshot: ") + m_desktop.SaveArtifact(shot, name);
        else if (qEnvironmentVariableIsSet("VITRODIAL_E2E_KEEP"))
            qInfo("screenshot: %s", qPrintable(m_desktop.SaveArtifact(shot, name)));
        return report;
    }

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
        QTest::addColumn<bool>("darkDial");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("alpha");  // -1: drawn opaque

        QTest::newRow("composited, dark dial at 200") << true << true << 200 << 200;
        QTest::newRow("composited, alpha from the low 8 bits of 456") << true << true << 456 << 200;
        QTest::newRow("composited, clear dial at 128") << true << false << 128 << 128;
        QTest::newRow("shaped, dark dial") << false << true << 200 << -1;
        QTest::newRow("shaped, clear dial") << false << false << 128 << -1;
    }

    void face()
    {
        QFETCH(bool, compositor);
        QFETCH(bool, darkDial);
        QFETCH(int, opacity);
        QFETCH(int, alpha);
        VirtualDesktop::Options options;
        options.compositor = compositor;
        QVERIFY2(m_desktop.Ensure(options), qPrintable(m_desktop.ErrorString()));

        const IniFixture ini = darkDial ? DarkDial(opacity) : ClearDial(opacity);
        const FaceReport report = ShowFace(ini, alpha, QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));

        const QRgb background = IniFixture::FromColorref(ini.Get("Dial", "Background")) & 0xffffff;
        if (darkDial) {
            // mostly dial, with holes where the hands' fill is the clear colour
            QVERIFY2(report.colours.value(background) > report.inside / 2,
                     qPrintable(QString::number(report.colours.value(background))));
            QVERIFY(report.clear > 100);
        } else {
            // mostly wallpaper, with the hands and marks floating on it
            QVERIFY(report.clear > report.inside / 2);
            QVERIFY(report.inside - report.clear > 500);
        }
    }

    void secondsHandMoves()
    {
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        const IniFixture ini = DarkDial(200);
        const FaceReport report = ShowFace(ini, 200, QStringLiteral("seconds-hand"));
        QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));

        const QImage first = m_desktop.Screenshot();
        QImage next;
        const bool moved = WaitFor([&] {
            next = m_desktop.Screenshot();
            return DifferingPixels(first, next, ini.ClockRect()) > 0;
        }, 5000, 100);
        QVERIFY2(moved, "the face did not change within seconds");
        // a hand moved, not the whole face redrawn differently
        const qint64 changed = DifferingPixels(first, next, ini.ClockRect());
        QVERIFY2(changed < qint64(ini.ClockRect().width()) * ini.ClockRect().height() / 10,
                 qPrintable(QString::number(changed)));
        // and nothing outside the clock changed
        QCOMPARE(DifferingPixels(first, next, QRect(0, 0, 1280, ini.ClockRect().top())), 0);
    }

    void stillWithoutSecondsHand()
    {
        QVERIFY2(m_desktop.Ensure({}), qPrintable(m_desktop.ErrorString()));
        IniFixture ini = DarkDial(200);
        ini.Set("Seconds", "Show", 0);
        const FaceReport report = ShowFace(ini, 200, QStringLiteral("no-seconds-hand"));
        QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));

        // two screenshots a few seconds apart within one minute
        for (int attempt = 0; attempt < 3; ++attempt) {
            WaitFor([] { return QTime::currentTime().second() < 50; }, 15000, 200);
            const QDateTime before = QDateTime::currentDateTime();
            const QImage first = m_desktop.Screenshot();
            QTest::qWait(3500);
            const QImage second = m_desktop.Screenshot();
            const QDateTime after = QDateTime::currentDateTime();
            if (before.time().minute() != after.time().minute())
                continue;  // a new minute moves the minute hand: try again
            QCOMPARE(DifferingPixels(first, second, ini.ClockRect()), 0);
            return;
        }
        QFAIL("no two screenshots within one minute");
    }
};

QTEST_GUILESS_MAIN(TestE2ePixels)
#include "tst_e2e_pixels.moc"
