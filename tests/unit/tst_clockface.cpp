// The renderer: geometry and rounding, the shapes' pixels, what each element
// shows on rendered faces, and any settings and sizes without a crash.

#include <cmath>
#include <functional>
#include <limits>

#include <QTest>

#include "FaceTestSupport.h"
#include "clock/Shapes.h"

using namespace facetest;
using namespace shapes;

namespace {

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();

// The pixel at distance (1 - v) * r from the centre, at the angle.
QPoint OnAxis(const CClockFace& face, double v, double angle)
{
    double x = 0;
    double y = v * face.m_nRadius - face.m_nRadius;
    CClockFace::Rotate(x, y, angle);
    return QPoint(int(std::floor(x + face.m_nCenterX)), int(std::floor(y + face.m_nCenterY)));
}

bool DialNear(const QImage& image, QPoint p)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const COLORREF c = At(image, p.x() + dx, p.y() + dy);
            if (c == kDialFill || c == kDialFrame)
                return true;
        }
    return false;
}

} // namespace

class TestClockFace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseUtcAndCLocale(); }
    void init() { SetFaceSettings(); }

    void centreAndRadius()
    {
        const auto check = [](int l, int t, int r, int b, QPoint centre, int radius) {
            const CClockFace face(l, t, r, b);
            return QPoint(face.m_nCenterX, face.m_nCenterY) == centre && face.m_nRadius == radius;
        };
        QVERIFY(check(0, 0, 201, 151, {100, 75}, 73));
        QVERIFY(check(0, 0, 305, 305, {152, 152}, 150));
        QVERIFY(check(0, 0, 306, 306, {153, 153}, 151));
        QVERIFY(check(0, 0, 555, 555, {277, 277}, 275));
        QVERIFY(check(0, 0, 556, 556, {278, 278}, 276));
        QVERIFY(check(5, 5, -10, -10, {-2, -2}, -9));
        QVERIFY(check(kMin, kMin, kMax, kMax, {0, 0}, kMax - 2));
    }

    void roundingAndRotation()
    {
        QCOMPARE(RoundToPixel(12.5), 12);
        QCOMPARE(RoundToPixel(12.50001), 13);
        QCOMPARE(RoundToPixel(-0.5), -1);
        QCOMPARE(RoundToPixel(-0.4), 0);
        QCOMPARE(RoundToPixel(-1e-14), 0);
        QCOMPARE(RoundToPixel(1e300), kMax);
        QCOMPARE(RoundToPixel(std::nan("")), 0);
        for (const auto& [degrees, to] : {std::pair(90.0, QPointF(100, 0)), std::pair(180.0, QPointF(0, 100))}) {
            double x = 0, y = -100;
            CClockFace::Rotate(x, y, degrees);
            QVERIFY(std::abs(x - to.x()) < 1e-9 && std::abs(y - to.y()) < 1e-9);
        }
        QCOMPARE(CClockFace::HourAngle(15, 0, 0), 90.0);
        QCOMPARE(CClockFace::HourAngle(6, 30, 0), 195.0);
        QVERIFY(std::abs(CClockFace::HourAngle(23, 59, 59) - 359.991666666666) < 1e-9);
        QVERIFY(std::abs(CClockFace::MinuteAngle(59, 59) - 359.9) < 1e-12);
    }

    void shapeVertices()
    {
        using Points = std::vector<QPoint>;
        const auto at = [](int size, const ShapeVertex* table, int n, double angle) {
            return CClockFace(0, 0, size, size).BuildPoints(table, n, angle);
        };
        QCOMPARE(at(204, kQuarterMark, Count(kQuarterMark), 0),
            (Points{{102, 2}, {104, 3}, {104, 7}, {102, 11}, {99, 7}, {99, 3}, {102, 2}}));
        QCOMPARE(at(204, kHourMark, Count(kHourMark), 30),
            (Points{{152, 15}, {153, 17}, {152, 20}, {149, 21}, {148, 18}, {150, 15}, {152, 15}}));
        QCOMPARE(at(404, kMinuteTick, Count(kMinuteTick), 6), (Points{{223, 3}, {221, 5}, {222, 9}, {224, 5}, {223, 3}}));
        QCOMPARE(at(204, kHourHand, Count(kHourHand), 0),
            (Points{{102, 17}, {110, 47}, {105, 50}, {105, 99}, {99, 99}, {99, 50}, {94, 47}, {102, 17}}));
        QCOMPARE(at(204, kMinuteHand, Count(kMinuteHand), 0),
            (Points{{102, 8}, {104, 17}, {104, 112}, {102, 117}, {100, 112}, {100, 17}, {102, 8}}));
        QCOMPARE(at(204, kSecondsHand, Count(kSecondsHand), 0), (Points{{102, 5}, {103, 22}, {103, 112}, {104, 117},
            {104, 122}, {102, 127}, {99, 122}, {99, 117}, {101, 112}, {101, 22}, {102, 5}}));
    }

    void discRadii()
    {
        const auto radius = [](int size, double k) { return CClockFace(0, 0, size, size).MakeDisc(k).boundingRect().width() / 2; };
        QCOMPARE(radius(204, 0.05), 5);
        QCOMPARE(radius(204, 0.023), 2);
        QCOMPARE(radius(504, 0.05), 12);  // 12.5 goes down
        QCOMPARE(CClockFace(0, 0, 204, 204).MakeDisc(0.05).boundingRect(), QRect(97, 97, 10, 10));
        QVERIFY(CClockFace(0, 0, 24, 24).MakeDisc(0.05).isEmpty());  // radius 10: no hub at all
    }

    // At 3 o'clock on a 204 face the hour hand's shaft covers rows 99 to 104,
    // framed two pixels deep; its hub's hole shows what lies beneath.
    void handIsFilledFramedAndHollow()
    {
        const QImage image = RenderWith(204, [](OpenFace& f) { f.DrawHourHand(3, 0, 0); });
        const COLORREF column[] = {kUnder, kHourFrame, kHourFrame, kHourFill, kHourFill, kHourFrame, kHourFrame, kUnder};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(At(image, 130, 98 + i), column[i]);
        QCOMPARE(At(image, 102, 102), kUnder);
        QCOMPARE(At(image, 98, 102), COLORREF(kHourFrame));
        // On a whole face, the holes of all three hands show the dial.
        theApp.m_bShowDate = 0;
        QCOMPARE(At(Render(604, Utc(2023, 9, 6, 10, 10, 30)), 302, 302), COLORREF(kBackground));
    }

    void windowAndRingOnlyOnLargeFaces_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("555: radius 275") << 555;
        QTest::newRow("556: radius 276") << 556;
    }
    void windowAndRingOnlyOnLargeFaces()
    {
        QFETCH(int, size);
        const CClockFace face(0, 0, size, size);
        const bool large = face.m_nRadius > 275;
        const QImage hour = RenderWith(size, [](OpenFace& f) { f.DrawHourHand(3, 0, 0); });
        const QPoint inWindow = OnAxis(face, 0.4, 90);
        QCOMPARE(At(hour, inWindow.x(), inWindow.y()), large ? kUnder : COLORREF(kHourFill));

        const QImage seconds = RenderWith(size, [](OpenFace& f) { f.DrawSecondsHand(0); });
        const QPoint ring = OnAxis(face, 0.27, 0) - QPoint(RoundToPixel(0.05 * face.m_nRadius) - 1, 0);
        QCOMPARE(At(seconds, ring.x(), ring.y()) != kUnder, large);
    }

    // On a 604 face the ring's boxes are (287, 68, 317, 98) and (291, 72, 313, 94).
    void ringPlacement()
    {
        theApp.m_nSecondsWidth = 1;
        const QImage image = RenderWith(604, [](OpenFace& f) { f.DrawSecondsHand(0); });
        for (int x : {286, 291, 312, 317})
            QCOMPARE(At(image, x, 83), kUnder);
        for (int x : {287, 290, 313, 316})
            QCOMPARE(At(image, x, 83), COLORREF(kSecondsFrame));
        theApp.m_bShowSeconds = 0;
        QCOMPARE(RenderWith(604, [](OpenFace& f) { f.DrawSecondsHand(0); }).pixel(287, 83), ToQRgb(kUnder));
    }

    void dialMarks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("showDate");
        QTest::addColumn<int>("ticks");
        QTest::newRow("305 with date") << 305 << true << 0;
        QTest::newRow("306 without date") << 306 << false << 48;
        QTest::newRow("1024 with date") << 1024 << true << 48;
    }
    void dialMarks()
    {
        QFETCH(int, size);
        QFETCH(bool, showDate);
        QFETCH(int, ticks);
        theApp.m_bShowDate = showDate;
        const QImage image = RenderWith(size, [](OpenFace& f) { f.DrawDial(); });
        const CClockFace face(0, 0, size, size);
        int found = 0;
        for (int i = 0; i < 60; ++i)
            found += i % 5 != 0 && DialNear(image, OnAxis(face, 0.012, i * 6.0));
        QCOMPARE(found, ticks);
        for (int i = 1; i < 12; ++i)
            QVERIFY(i % 3 == 0 || DialNear(image, OnAxis(face, 0.03, i * 30.0)));
        // The quarter mark at 3 o'clock makes way for the date.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(DialNear(image, OnAxis(face, 0.045, i * 90.0)), i != 1 || !showDate);

        theApp.m_bShowDial = 0;
        QImage background(size, size, QImage::Format_RGB32);
        background.fill(ToQRgb(kBackground));
        QCOMPARE(RenderWith(size, [](OpenFace& f) { f.DrawDial(); }), background);
    }

    void drawReadsTheClockAndTheSettingsEachTime()
    {
        const std::time_t t = Utc(2023, 9, 6, 3, 0, 0);
        const auto previous = platform::SetClock(std::make_shared<FixedClock>(t));
        CClockFace face(0, 0, 204, 204);
        QImage image(204, 204, QImage::Format_RGB32);
        const auto draw = [&] {
            QPainter dc(&image);
            face.Draw(&dc);
        };
        draw();
        QCOMPARE(image, Render(204, t));
        QCOMPARE(At(image, 130, 102), COLORREF(kHourFill));
        theApp.m_crHourFill = 0x123456;
        draw();
        QCOMPARE(At(image, 130, 102), COLORREF(0x123456));
        QVERIFY(face.m_pDC == nullptr);
        platform::SetClock(previous);
    }

    void anySettingsAndSizesDrawWithoutCrashing()
    {
        CClockApp& a = theApp;
        const auto widths = [&a](int w) { a.m_nDialWidth = a.m_nSecondsWidth = a.m_nMinuteWidth = a.m_nHourWidth = a.m_nDateWidth = w; };
        const std::function<void()> settings[] = {[&] { a.m_nFontWeight = -5; }, [&] { a.m_nFontWeight = 1000000000; },
            [&] { a.m_strFontFace = QString(10000, QLatin1Char('W')); }, [&] { widths(0); }, [&] { widths(30); },
            [&] { widths(kMax); }, [&] { widths(kMin); }, [&] { a.m_crHourFill = a.m_crDialBackground = 0xFFFFFFFF; }};
        const QRect rects[] = {QRect(QPoint(0, 0), QPoint(300, 300)), QRect(), QRect(QPoint(0, 0), QPoint(4, 4)),
            QRect(QPoint(0, 0), QPoint(6, 6)), QRect(QPoint(50, 50), QPoint(-50, -50)),
            QRect(QPoint(-5000, 300), QPoint(-3000, 2300)), QRect(QPoint(0, 0), QPoint(kMax, kMax)),
            QRect(QPoint(kMin, kMin), QPoint(kMax, kMax))};  // left, top, right, bottom
        for (const auto& setting : settings)
            for (const QRect& rect : rects) {
                SetFaceSettings();
                a.m_bShowMonth = a.m_bDateBox = 1;
                setting();
                QImage image(320, 320, QImage::Format_RGB32);
                image.fill(ToQRgb(kUnder));
                CClockFace face(rect.left(), rect.top(), rect.right(), rect.bottom());
                {
                    QPainter dc(&image);
                    face.DrawAt(&dc, Utc(2023, 9, 6, 22, 47, 13));
                }
                // A face without a radius shows its background alone, within its rectangle.
                const auto inFace = [&](int x, int y) {
                    return x >= rect.left() && x < rect.right() && y >= rect.top() && y < rect.bottom();
                };
                for (int y = 0; face.m_nRadius <= 0 && y < image.height(); y += 7)
                    for (int x = 0; x < image.width(); x += 7)
                        QCOMPARE(At(image, x, y), inFace(x, y) ? a.m_crDialBackground & 0xFFFFFF : kUnder);
            }
    }
};

QTEST_MAIN(TestClockFace)
#include "tst_clockface.moc"
