// The pages that edit the face (Dial, Seconds, Minute, Hour, Date): colour
// buttons, thickness sliders, show boxes and the date's font against the real
// clock window.

#include <QCheckBox>
#include <QTest>

#include "PageTestSupport.h"
#include "config/ColorButton.h"
#include "config/PageDate.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

struct ColorCase {
    const char* name;
    int tab, button;
    COLORREF CClockApp::*setting;
};
const ColorCase kColorCases[] = {
    {"Hour fill", kHour, 1040, &CClockApp::m_crHourFill},
    {"Hour line", kHour, 1041, &CClockApp::m_crHourFrame},
    {"Minute fill", kMin, 1045, &CClockApp::m_crMinuteFill},
    {"Minute line", kMin, 1046, &CClockApp::m_crMinuteFrame},
    {"Seconds fill", kSecs, 1048, &CClockApp::m_crSecondsFill},
    {"Seconds line", kSecs, 1051, &CClockApp::m_crSecondsFrame},
    {"Dial background", kDial, 1033, &CClockApp::m_crDialBackground},
    {"Dial fill", kDial, 1031, &CClockApp::m_crDialFill},
    {"Dial line", kDial, 1032, &CClockApp::m_crDialFrame},
    {"Date fill", kDate, 1015, &CClockApp::m_crDateFill},
    {"Date line", kDate, 1016, &CClockApp::m_crDateFrame},
};

struct WidthCase {
    const char* name;
    int tab, slider;
    int CClockApp::*setting;
};
const WidthCase kWidthCases[] = {
    {"Hour", kHour, 1036, &CClockApp::m_nHourWidth},
    {"Minute", kMin, 1044, &CClockApp::m_nMinuteWidth},
    {"Seconds", kSecs, 1049, &CClockApp::m_nSecondsWidth},
    {"Dial", kDial, 1026, &CClockApp::m_nDialWidth},
    {"Date", kDate, 1010, &CClockApp::m_nDateWidth},
};

// A check box and exactly what unchecking it greys out.
struct ShowCase {
    const char* name;
    int tab, box;
    BOOL CClockApp::*flag;
    QList<int> greyed;
};
const ShowCase kShowCases[] = {
    {"Show Seconds Hand", kSecs, 1046, &CClockApp::m_bShowSeconds, {1053, 1048, 1051, 1054, 1049}},
    // Not the background button, its group or the hint.
    {"Show Dial", kDial, 1024, &CClockApp::m_bShowDial, {1028, 1031, 1032, 1027, 1026}},
    {"Show Day Date", kDate, 1012, &CClockApp::m_bShowDate,
     {1022, 1015, 1016, 1021, 1010, 1023, 1017, 1018, 1024, 1019, 1020}},
    {"Show Day", kDate, 1018, &CClockApp::m_bShowDay, {}},
    {"Show Month", kDate, 1024, &CClockApp::m_bShowMonth, {}},
    {"Show AM/PM", kDate, 1019, &CClockApp::m_bShowAmPm, {}},
    {"Enclose in box", kDate, 1020, &CClockApp::m_bDateBox, {}},
};

template <class Case, std::size_t N>
void AddRows(const Case (&cases)[N])
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(cases[i].name) << int(i);
}

} // namespace

class TestHandPages : public QObject {
    Q_OBJECT

private slots:
    void colorButton_data() { AddRows(kColorCases); }
    void colorButton()
    {
        QFETCH(int, row);
        const ColorCase& c = kColorCases[row];
        Bench bench;
        auto* button = Item<CColorButton>(bench.Open(c.tab), c.button);
        // Changed elsewhere (the reset buttons): shown at the next selection.
        theApp.*c.setting = 0x123456;
        bench.Reselect(c.tab);
        QCOMPARE(button->m_crColor, COLORREF(0x123456));

        QTest::mouseClick(button, Qt::LeftButton);  // cancelled
        bench.choosers->color = 0x123456;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(bench.choosers->colorOpenedOn, (QList<COLORREF>{0x123456, 0x123456}));
        QCOMPARE(theApp.*c.setting, COLORREF(0x123456));
        QCOMPARE(theApp.m_bModified, 0);
        QVERIFY(!bench.Redrawn());

        bench.choosers->color = 0xA0B0C0;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(theApp.*c.setting, COLORREF(0xA0B0C0));
        QCOMPARE(button->m_crColor, COLORREF(0xA0B0C0));
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(bench.ShowsSettings());
    }

    void sliderDragRedrawsAtEveryPosition_data() { AddRows(kWidthCases); }
    void sliderDragRedrawsAtEveryPosition()
    {
        QFETCH(int, row);
        const WidthCase& c = kWidthCases[row];
        Bench bench;
        auto* slider = Item<CSliderCtrl>(bench.Open(c.tab), c.slider);
        QPoint p = SliderThumb(slider).center();
        QTest::mousePress(slider, Qt::LeftButton, {}, p);
        QList<int> drawn;
        for (bench.Arm(); p.x() < slider->width(); bench.Arm()) {
            QTest::mouseMove(slider, p += QPoint(2, 0));
            if (bench.Redrawn() && bench.ShowsSettings())
                drawn << theApp.*c.setting;
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, p);
        QCOMPARE(drawn, (QList<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    }

    // Also: a hand-edited 2 is neither 0 nor 1, so a click leaves it alone.
    void showBox_data() { AddRows(kShowCases); }
    void showBox()
    {
        QFETCH(int, row);
        const ShowCase& c = kShowCases[row];
        Bench bench([&] { theApp.*c.flag = 1; });
        CPropertyPage* page = bench.Open(c.tab);
        auto* box = Item<QCheckBox>(page, c.box);
        for (const int flag : {0, 1}) {
            QTest::mouseClick(box, Qt::LeftButton);
            QCOMPARE(theApp.*c.flag, flag);
            QCOMPARE(theApp.m_bModified, 1);
            QVERIFY(bench.ShowsSettings());
            QCOMPARE(WronglyEnabled(page, flag ? QList<int>() : c.greyed), QList<int>());
            bench.Arm();
        }
        theApp.*c.flag = 2;
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(theApp.*c.flag, 2);
        QCOMPARE(theApp.m_bModified, 0);
        QVERIFY(!bench.Redrawn());
    }

    void fontChooser()
    {
        const QString longFace = QStringLiteral("A Very Long Face Name That Overflows");
        Bench bench([&] {
            theApp.m_strFontFace = longFace;
            theApp.m_nFontWeight = 700;
            theApp.m_bFontItalic = 0x1FF;
        });
        auto* page = bench.Open<CPageDate>(kDate);
        const auto unchanged = [&] {
            return theApp.m_strFontFace == longFace && theApp.m_nFontWeight == 700 && theApp.m_bFontItalic == 0x1FF
                && theApp.m_bModified == 0 && !bench.Redrawn();
        };
        // Opened on the face cut to the font record, the weight and the
        // italic flag's low byte.
        QTest::mouseClick(page->m_btnFont, Qt::LeftButton);  // cancelled
        QCOMPARE(bench.choosers->fontOpenedOn.size(), 1);
        const CHOSENFONT opened = bench.choosers->fontOpenedOn[0];
        QCOMPARE(opened.strFaceName, longFace.left(31));
        QCOMPARE(opened.lfWeight, 700);
        QCOMPARE(opened.lfItalic, 0xFF);
        QVERIFY(unchanged());
        bench.choosers->font = CHOSENFONT{QString(), 400, 0};
        QTest::mouseClick(page->m_btnFont, Qt::LeftButton);
        QVERIFY(unchanged());

        bench.choosers->font = CHOSENFONT{QStringLiteral("DejaVu Sans"), 300, 200};
        QTest::mouseClick(page->m_btnFont, Qt::LeftButton);
        QCOMPARE(theApp.m_strFontFace, QStringLiteral("DejaVu Sans"));
        QCOMPARE(theApp.m_nFontWeight, 300);
        QCOMPARE(theApp.m_bFontItalic, 200);
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(bench.ShowsSettings());
    }
};

QTEST_MAIN(TestHandPages)
#include "tst_handpages.moc"
