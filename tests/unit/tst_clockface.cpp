// The renderer: geometry and rounding, the shapes' pixels, what each element
// shows on rendered faces, and any settings and sizes without a crash.

#include <cmath>
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
    double x = 0, y = v * face.m_nRadius - face.m_nRadius;
    CClockFace::Rotate(x, y, angle);
    return QPoint(int(std::floor(x + face.m_nCenterX)), int(std::floor(y + face.m_nCenterY)));
}

bool DialNear(const QImage& image, QPoint p)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (const COLORREF c = At(image, p.x() + dx, p.y() + dy); c == kDialFill || c == kDialFrame)
                return true;
    return false;
}

} // namespace

class TestClockFace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseUtcAndCLocale(); }
    void init() { SetFaceSettings(); }

    void geometry()
    {
        const CClockFace square(0, 0, 200, 200), wide(0, 0, 201, 151);
        QCOMPARE(QList<int>({square.m_nCenterX, square.m_nCenterY, square.m_nRadius}), QList<int>({100, 100, 98}));
        QCOMPARE(QList<int>({wide.m_nCenterX, wide.m_nCenterY, wide.m_nRadius}), QList<int>({100, 75, 73}));
        for (const auto& [value, pixel] : {std::pair(12.5, 12), std::pair(12.50001, 13), std::pair(-0.5, -1), std::pair(-0.4, 0)})
            QCOMPARE(RoundToPixel(value), pixel);
        for (const auto& [degrees, to] : {std::pair(0.0, QPointF(0, -100)), std::pair(90.0, QPointF(100, 0)),
                 std::pair(180.0, QPointF(0, 100))}) {
            double x = 0, y = -100;
            CClockFace::Rotate(x, y, degrees);
            QVERIFY(std::abs(x - to.x()) < 1e-9 && std::abs(y - to.y()) < 1e-9);
        }
    }

    void shapeVertices()
    {
        using Points = std::vector<QPoint>;
        const auto at = [](int size, const auto& table, double angle) {
            return CClockFace(0, 0, size, size).BuildPoints(table, Count(table), angle);
        };
        QCOMPARE(at(204, kQuarterMark, 0), (Points{{102, 2}, {104, 3}, {104, 7}, {102, 11}, {99, 7}, {99, 3}, {102, 2}}));
        QCOMPARE(at(204, kHourMark, 30),
            (Points{{152, 15}, {153, 17}, {152, 20}, {149, 21}, {148, 18}, {150, 15}, {152, 15}}));
        QCOMPARE(at(404, kMinuteTick, 6), (Points{{223, 3}, {221, 5}, {222, 9}, {224, 5}, {223, 3}}));
        QCOMPARE(at(204, kHourHand, 0),
            (Points{{102, 17}, {110, 47}, {105, 50}, {105, 99}, {99, 99}, {99, 50}, {94, 47}, {102, 17}}));
        QCOMPARE(at(204, kMinuteHand, 0),
            (Points{{102, 8}, {104, 17}, {104, 112}, {102, 117}, {100, 112}, {100, 17}, {102, 8}}));
        QCOMPARE(at(204, kSecondsHand, 0), (Points{{102, 5}, {103, 22}, {103, 112}, {104, 117}, {104, 122},
            {102, 127}, {99, 122}, {99, 117}, {101, 112}, {101, 22}, {102, 5}}));
    }

    // At 3 o'clock on a 204 face the shaft covers rows 99 to 104, framed two
    // pixels deep; the hub's hole shows what lies beneath.
    void handIsFilledFramedAndHollow()
    {
        const QImage image = RenderWith(204, [](OpenFace& f) { f.DrawHourHand(3, 0, 0); });
        const COLORREF column[] = {kUnder, kHourFrame, kHourFrame, kHourFill, kHourFill, kHourFrame, kHourFrame, kUnder};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(At(image, 130, 98 + i), column[i]);
        QCOMPARE(At(image, 102, 102), kUnder);
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
    }

    // Ticks from a radius of 151 on, the hour hand's window and the seconds
    // hand's ring from 276 on.
    void sizeThresholds_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("showDate");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("large");
        QTest::newRow("305 with date") << 305 << true << 0 << false;
        QTest::newRow("306 without date") << 306 << false << 48 << false;
        QTest::newRow("555 with date") << 555 << true << 48 << false;
        QTest::newRow("556 with date") << 556 << true << 48 << true;
    }
    void sizeThresholds()
    {
        QFETCH(int, size);
        QFETCH(bool, showDate);
        QFETCH(int, ticks);
        QFETCH(bool, large);
        theApp.m_bShowDate = showDate;
        const CClockFace face(0, 0, size, size);
        const QImage dial = RenderWith(size, [](OpenFace& f) { f.DrawDial(); });
        int found = 0;
        for (int i = 0; i < 60; ++i)
            found += i % 5 != 0 && DialNear(dial, OnAxis(face, 0.012, i * 6.0));
        QCOMPARE(found, ticks);
        // The quarter mark at 3 o'clock makes way for the date.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(DialNear(dial, OnAxis(face, 0.045, i * 90.0)), i != 1 || !showDate);

        const QImage hour = RenderWith(size, [](OpenFace& f) { f.DrawHourHand(3, 0, 0); });
        const QPoint inWindow = OnAxis(face, 0.4, 90);
        QCOMPARE(At(hour, inWindow.x(), inWindow.y()), large ? kUnder : COLORREF(kHourFill));
        const QImage seconds = RenderWith(size, [](OpenFace& f) { f.DrawSecondsHand(0); });
        const QPoint ring = OnAxis(face, 0.27, 0) - QPoint(RoundToPixel(0.05 * face.m_nRadius) - 1, 0);
        QCOMPARE(At(seconds, ring.x(), ring.y()) != kUnder, large);
    }

    // Painting only where the hands moved gives the face drawn whole, as the
    // hands cross the date and the hub, the date turns and a setting changes;
    // a draw for the same time touches no pixel.
    void drawChangedEqualsWholeDraw_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("variant");
        for (int size : {150, 306, 604, 1030})
            for (int variant : {0, 1, 2, 3})
                QTest::addRow("%d variant %d", size, variant) << size << variant;
    }
    void drawChangedEqualsWholeDraw()
    {
        QFETCH(int, size);
        QFETCH(int, variant);
        CClockApp& a = theApp;
        if (variant == 1)
            a.m_bDateBox = a.m_bShowMonth = 1, a.m_nHourWidth = a.m_nMinuteWidth = a.m_nSecondsWidth = 5;
        if (variant == 2)
            a.m_bShowSeconds = a.m_bShowDial = a.m_bShowDate = 0;
        if (variant == 3)
            a.m_nHourWidth = 0, a.m_nMinuteWidth = -3, a.m_crSecondsFill = kBackground;
        QImage drawn(size, size, QImage::Format_RGB32);
        drawn.fill(ToQRgb(kUnder));
        QPainter dc(&drawn);
        CClockFace face(0, 0, size, size);
        std::time_t t = Utc(2023, 9, 6, 23, 59, 57);
        face.DrawChanged(&dc, t, true);
        // 0 repeats the time; -1 changes a setting instead.
        for (int step : {1, 0, 1, 1, 13, 1, 1, 14 * 60, 60, 1, -1, 3 * 3600, 1, 29, 1}) {
            const QImage before = drawn.copy();
            if (step < 0)
                a.m_crDateFill = kHourFill, a.m_nHourWidth = 3;
            t += std::max(step, 0);
            const QRegion area = face.DrawChanged(&dc, t, false);
            QImage whole(size, size, QImage::Format_RGB32);
            QPainter wholeDc(&whole);
            CClockFace(0, 0, size, size).DrawAt(&wholeDc, t);
            QVERIFY2(drawn == whole, qPrintable(QStringLiteral("step %1 to %2").arg(step).arg(t)));
            QVERIFY(step != 0 || (area.isEmpty() && drawn == before));
        }
    }

    void extremesDrawWithoutCrashing()
    {
        for (int width : {2, 0, kMax, kMin})
            for (const QRect& rect : {QRect(QPoint(0, 0), QPoint(300, 300)), QRect(QPoint(0, 0), QPoint(4, 4)),
                     QRect(QPoint(50, 50), QPoint(-50, -50)), QRect(QPoint(kMin, kMin), QPoint(kMax, kMax))}) {
                CClockApp& a = theApp;
                a.m_nDialWidth = a.m_nSecondsWidth = a.m_nMinuteWidth = a.m_nHourWidth = a.m_nDateWidth = width;
                a.m_nFontWeight = 1000000000;
                a.m_strFontFace = QString(10000, QLatin1Char('W'));
                a.m_crHourFill = a.m_crDialBackground = 0xFFFFFFFF;
                a.m_bShowMonth = a.m_bDateBox = 1;
                QImage image(320, 320, QImage::Format_RGB32);
                QPainter dc(&image);
                CClockFace(rect.left(), rect.top(), rect.right(), rect.bottom()).DrawAt(&dc, Utc(2023, 9, 6, 22, 47, 13));
            }
    }
};

QTEST_MAIN(TestClockFace)
#include "tst_clockface.moc"
