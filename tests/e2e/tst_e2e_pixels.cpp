// What the clock looks like on the screen: holes of the clear colour, the
// blend at the opacity, nothing outside the circle, with and without a
// compositor and at a device pixel ratio of 2 (twice as large, cut pixel by
// pixel); the seconds hand moving in each; and the switch between blended and
// shaped while the clock runs, as a compositor stops and starts again.

#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2ePixels : public DesktopTest {
    Q_OBJECT

private slots:
    void face_data()
    {
        QTest::addColumn<QString>("compositor");
        QTest::addColumn<bool>("darkDial");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("alpha"); // -1: drawn opaque
        QTest::addColumn<QString>("scale");

        QTest::newRow("composited, dark dial at 200") << "picom" << true << 200 << 200 << "";
        QTest::newRow("composited, alpha from the low 8 bits of 456") << "picom" << true << 456 << 200 << "";
        QTest::newRow("composited, clear dial at 128") << "picom" << false << 128 << 128 << "";
        QTest::newRow("composited by xcompmgr") << "xcompmgr" << true << 200 << 200 << "";
        QTest::newRow("composited, scale 2") << "picom" << true << 200 << 200 << "2";
        QTest::newRow("shaped, dark dial") << "none" << true << 200 << -1 << "";
        QTest::newRow("shaped, clear dial") << "none" << false << 128 << -1 << "";
        QTest::newRow("shaped, scale 2") << "none" << true << 200 << -1 << "2";
    }

    void face()
    {
        QFETCH(QString, compositor);
        QFETCH(bool, darkDial);
        QFETCH(int, opacity);
        QFETCH(int, alpha);
        QFETCH(QString, scale);
        QVERIFY2(m_desktop.Ensure({"none", compositor, "trayer", scale}), qPrintable(m_desktop.ErrorString()));

        IniFixture ini;
        ini.Set("Color", "Opacity", opacity);
        if (!darkDial) {
            // a dial of the clear colour (green), on which marks and hands float
            ini.Set("Color", "Clear", "ff00").Set("Dial", "Background", "ff00").Set("Dial", "Fill", "ffffff");
            ini.Set("Seconds", "Fill", "0").Set("Minute", "Fill", "ff00").Set("Hour", "Fill", "ff00");
            ini.Set("Date", "Box", 0);
        }
        const int ratio = scale.isEmpty() ? 1 : scale.toInt();
        ini.Set("Geometry", "Size", 400 / ratio + 1); // odd at scale 2
        const QRect rect(ini.ClockRect().topLeft() * ratio, ini.ClockRect().size() * ratio);
        QVERIFY(StartClock(ini.Text()));
        const FaceReport report = WaitForFace(m_desktop, ini, alpha, QTest::currentDataTag(), rect);
        QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));
        QCOMPARE(m_desktop.WindowRect("^vitrodial$"), rect);

        const QRgb background = IniFixture::FromColorref(ini.Get("Dial", "Background")) & 0xffffff;
        if (darkDial) {
            // mostly dial, with holes where the hands' fill is the clear colour
            QVERIFY2(report.colours.value(background) > report.inside / 2,
                     qPrintable(QString::number(report.colours.value(background))));
            QVERIFY(report.clear > 100);
            // The dial reaches the rim all round: a shape cut in steps of
            // the device pixel ratio misses it by several pixels.
            QCOMPARE(report.rimClear, 0);
        } else {
            // mostly wallpaper, with the hands and marks floating on it
            QVERIFY(report.clear > report.inside / 2);
        }
        // The seconds hand moves: a part of the face changes, nothing outside it.
        const QImage first = m_desktop.Screenshot();
        QImage next;
        QVERIFY2(WaitFor([&] { return DifferingPixels(first, next = m_desktop.Screenshot(), rect) > 0; }, 5000, 100),
                 "the face did not change within seconds");
        QVERIFY(DifferingPixels(first, next, rect) < qint64(rect.width()) * rect.height() / 10);
        QCOMPARE(DifferingPixels(first, next, QRect(0, 0, 1280, rect.top())), 0);
    }

    void compositorComesAndGoes()
    {
        QVERIFY2(m_desktop.Ensure({"none", "picom", "trayer", ""}), qPrintable(m_desktop.ErrorString()));
        IniFixture ini;
        ini.Set("Color", "Opacity", 200).Set("Geometry", "Size", 300);
        QVERIFY(StartClock(ini.Text()));
        for (const auto& [compositor, alpha] : {std::pair("", 200), {"none", -1}, {"picom", 200}}) {
            QVERIFY2(!*compositor || m_desktop.Script({"compositor", compositor}), compositor);
            const FaceReport report = WaitForFace(m_desktop, ini, alpha, QStringLiteral("after %1").arg(compositor));
            QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));
        }
    }
};

QTEST_GUILESS_MAIN(TestE2ePixels)
#include "tst_e2e_pixels.moc"
