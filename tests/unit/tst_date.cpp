// The date line: its text, its font, where it stands, and the boxed and
// unboxed regions it paints.

#include <QTest>

#include "FaceTestSupport.h"
#include "platform/Font.h"

using namespace facetest;

class TestDate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseUtcAndCLocale(); }
    void init() { SetFaceSettings(); }

    void text_data()
    {
        QTest::addColumn<int>("options");  // weekday 1, month 2, AM/PM 4
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("expected");
        QTest::newRow("day of month only") << 0 << 15 << " 06 ";
        QTest::newRow("weekday") << 1 << 15 << " Wed 06 ";
        QTest::newRow("month") << 2 << 15 << " Sep 06 ";
        QTest::newRow("am") << 4 << 3 << " AM 06 ";
        QTest::newRow("everything") << 7 << 15 << " PM Wed Sep 06 ";
    }
    void text()
    {
        QFETCH(int, options);
        QFETCH(int, hour);
        QFETCH(QString, expected);
        theApp.m_bShowDay = options & 1;
        theApp.m_bShowMonth = (options >> 1) & 1;
        theApp.m_bShowAmPm = (options >> 2) & 1;
        const std::time_t t = Utc(2023, 9, 6, hour, 4, 5);
        theApp.m_bFontItalic = 0;
        QCOMPARE(CClockFace::DateText(t), expected);
        theApp.m_bFontItalic = 1;  // one more space for the last letter's lean
        QCOMPARE(CClockFace::DateText(t), expected + " ");
    }

    // A positive height is the whole cell: the tallest font that fits it.
    void fontHeight()
    {
        for (const auto& [radius, height] : {std::pair(98, 17), std::pair(100, 18), std::pair(500, 90)}) {
            QCOMPARE(CClockFace::DateFontHeight(radius), height);
            platform::LOGFONT lf;
            lf.lfHeight = height;
            platform::SetFaceName(lf, QStringLiteral("Impact"));
            const int cell = platform::GetTextExtent(platform::CreateFontIndirect(lf), QStringLiteral(" 06 ")).height();
            QVERIFY2(cell <= height && cell >= height - 2, qPrintable(QString::number(cell)));
        }
    }

    void placement()
    {
        QCOMPARE(CClockFace(0, 0, 200, 200).DatePosition({60, 17}), QPoint(135, 92));
        QCOMPARE(CClockFace(0, 0, 200, 200).DatePosition({61, 18}), QPoint(134, 91));
        // From a radius of 500 on, one more pixel in from the rim.
        QCOMPARE(CClockFace(0, 0, 1004, 1004).DatePosition({60, 17}), QPoint(938, 494));
    }

    // The boxed form is the box with the letters cut out, the plain form the
    // letters alone: inside the box exactly one of them paints each pixel.
    void boxAndLettersAreComplementary()
    {
        theApp.m_nDateWidth = 1;
        const std::time_t t = Utc(2023, 9, 6, 15, 4, 5);
        const auto render = [&](int box) {
            theApp.m_bDateBox = box;
            return RenderWith(404, [t](OpenFace& f) { f.DrawDate(t); });
        };
        const QImage boxed = render(1), letters = render(0);
        platform::LOGFONT lf;
        lf.lfHeight = CClockFace::DateFontHeight(200);
        lf.lfItalic = 1;
        platform::SetFaceName(lf, theApp.m_strFontFace);
        const QSize extent = platform::GetTextExtent(platform::CreateFontIndirect(lf), CClockFace::DateText(t));
        const QRect box(CClockFace(0, 0, 404, 404).DatePosition(extent), extent);
        int fill = 0;
        for (int y = 0; y < 404; ++y)
            for (int x = 0; x < 404; ++x) {
                const bool inBoxed = At(boxed, x, y) != kUnder, inLetters = At(letters, x, y) != kUnder;
                QVERIFY(box.contains(x, y) ? inBoxed != inLetters : inBoxed == inLetters);
                fill += At(letters, x, y) == kDateFill;
            }
        QVERIFY(fill > 0);
        // The box is outlined; the trailing spaces leave it filled.
        QCOMPARE(At(boxed, box.left(), box.top()), COLORREF(kDateFrame));
        QCOMPARE(At(boxed, box.right() - 3, box.center().y()), COLORREF(kDateFill));
    }
};

QTEST_MAIN(TestDate)
#include "tst_date.moc"
