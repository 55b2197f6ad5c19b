// The pages that edit the face (Hour, Minute, Seconds, Dial, Date): colour
// buttons, thickness sliders and show boxes against the real clock window.

#include <QCheckBox>
#include <QTest>

#include "PageTestSupport.h"
#include "config/ColorButton.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

struct ColorCase {
    const char* name;
    int page;
    int button;
    COLORREF CClockApp::*setting;
};
const ColorCase kColors[] = {
    {"Hour fill", res::IDD_PAGE_HOUR, 1040, &CClockApp::m_crHourFill},
    {"Hour line", res::IDD_PAGE_HOUR, 1041, &CClockApp::m_crHourFrame},
    {"Minute fill", res::IDD_PAGE_MIN, 1045, &CClockApp::m_crMinuteFill},
    {"Minute line", res::IDD_PAGE_MIN, 1046, &CClockApp::m_crMinuteFrame},
    {"Seconds fill", res::IDD_PAGE_SECS, 1048, &CClockApp::m_crSecondsFill},
    {"Seconds line", res::IDD_PAGE_SECS, 1051, &CClockApp::m_crSecondsFrame},
    {"Dial background", res::IDD_PAGE_DIAL, 1033, &CClockApp::m_crDialBackground},
    {"Dial fill", res::IDD_PAGE_DIAL, 1031, &CClockApp::m_crDialFill},
    {"Dial line", res::IDD_PAGE_DIAL, 1032, &CClockApp::m_crDialFrame},
    {"Date fill", res::IDD_PAGE_DATE, 1015, &CClockApp::m_crDateFill},
    {"Date line", res::IDD_PAGE_DATE, 1016, &CClockApp::m_crDateFrame},
};

struct WidthCase {
    const char* name;
    int page;
    int slider;
    int CClockApp::*setting;
};
const WidthCase kWidths[] = {
    {"Hour", res::IDD_PAGE_HOUR, 1036, &CClockApp::m_nHourWidth},
    {"Minute", res::IDD_PAGE_MIN, 1044, &CClockApp::m_nMinuteWidth},
    {"Seconds", res::IDD_PAGE_SECS, 1049, &CClockApp::m_nSecondsWidth},
    {"Dial", res::IDD_PAGE_DIAL, 1026, &CClockApp::m_nDialWidth},
    {"Date", res::IDD_PAGE_DATE, 1010, &CClockApp::m_nDateWidth},
};

// A show box, what it greys out, and a colour and thickness it greys.
struct ShowCase {
    const char* name;
    int page;
    int box;
    BOOL CClockApp::*flag;
    QList<int> greyed;
    int button;
    COLORREF CClockApp::*color;
    int slider;
    int CClockApp::*width;
};
const ShowCase kShows[] = {
    {"Show Seconds Hand", res::IDD_PAGE_SECS, 1046, &CClockApp::m_bShowSeconds, {1053, 1048, 1051, 1054, 1049},
     1048, &CClockApp::m_crSecondsFill, 1049, &CClockApp::m_nSecondsWidth},
    // Not the background button, its group or the hint.
    {"Show Dial", res::IDD_PAGE_DIAL, 1024, &CClockApp::m_bShowDial, {1028, 1031, 1032, 1027, 1026},
     1032, &CClockApp::m_crDialFrame, 1026, &CClockApp::m_nDialWidth},
    {"Show Day Date", res::IDD_PAGE_DATE, 1012, &CClockApp::m_bShowDate,
     {1022, 1015, 1016, 1021, 1010, 1023, 1017, 1018, 1024, 1019, 1020},
     1015, &CClockApp::m_crDateFill, 1010, &CClockApp::m_nDateWidth},
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
    void colorButton_data() { AddRows(kColors); }
    void colorButton()
    {
        QFETCH(int, row);
        const ColorCase& c = kColors[row];
        Bench bench;
        COLORREF& setting = theApp.*c.setting;
        Sheet sheet(c.page);
        auto* button = sheet.Item<CColorButton>(c.button);
        // Changed elsewhere (the reset buttons): shown at the next selection.
        setting = 0x123456;
        sheet.Reselect();
        QCOMPARE(button->m_crColor, COLORREF(0x123456));

        bench.choosers.color = 0x123456;  // the same colour changes nothing
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(bench.choosers.colorOpenedOn, QList<COLORREF>{0x123456});
        QCOMPARE(theApp.m_bModified, 0);
        QVERIFY(!bench.Redrawn());

        bench.choosers.color = 0x00A0B0C0;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(setting, COLORREF(0xA0B0C0));
        QCOMPARE(button->m_crColor, COLORREF(0xA0B0C0));
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(bench.ShowsSettings());
    }

    // Keys as a keyboard user presses them: every code that moves the thumb
    // stores at once, except Home and End, which wait for the key's release.
    void sliderKeys_data() { AddRows(kWidths); }
    void sliderKeys()
    {
        QFETCH(int, row);
        const WidthCase& c = kWidths[row];
        Bench bench;
        int& setting = theApp.*c.setting;
        Sheet sheet(c.page);
        auto* slider = sheet.Item<CSliderCtrl>(c.slider);

        struct Step {
            Qt::Key key;
            bool press;
            int stored;
        };
        const Step steps[] = {
            {Qt::Key_Right, true, 3}, {Qt::Key_Right, false, 3},
            {Qt::Key_PageDown, true, 4}, {Qt::Key_PageDown, false, 4},
            {Qt::Key_Home, true, 4}, {Qt::Key_Home, false, 0},
            {Qt::Key_End, true, 0}, {Qt::Key_End, false, 12},
            {Qt::Key_Right, true, 12}, {Qt::Key_Right, false, 12},
        };
        for (const Step& s : steps) {
            const int before = setting;
            bench.Arm();
            if (s.press)
                QTest::keyPress(slider, s.key);
            else
                QTest::keyRelease(slider, s.key);
            const bool changed = s.stored != before;
            QCOMPARE(setting, s.stored);
            QCOMPARE(theApp.m_bModified, changed ? 1 : 0);
            QCOMPARE(changed ? bench.ShowsSettings() : bench.Redrawn(), changed);
        }
    }

    void sliderDragRedrawsAtEveryPosition_data() { AddRows(kWidths); }
    void sliderDragRedrawsAtEveryPosition()
    {
        QFETCH(int, row);
        const WidthCase& c = kWidths[row];
        Bench bench;
        Sheet sheet(c.page);
        auto* slider = sheet.Item<CSliderCtrl>(c.slider);
        QPoint p = SliderThumb(slider).center();
        Mouse(slider, QEvent::MouseButtonPress, p);
        QList<int> drawn;
        while (p.x() < slider->width()) {
            bench.Arm();
            p.rx() += 2;
            Mouse(slider, QEvent::MouseMove, p);
            if (bench.Redrawn()) {
                QVERIFY(bench.ShowsSettings());
                drawn << theApp.*c.setting;
            }
            QCOMPARE(theApp.*c.setting, slider->GetPos());
        }
        QCOMPARE(drawn, (QList<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        bench.Arm();
        Mouse(slider, QEvent::MouseButtonRelease, p);
        QVERIFY(!bench.Redrawn());
    }

    void notificationCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("acted");
        for (int code = TB_LINEUP; code <= TB_ENDTRACK; ++code)
            QTest::addRow("code %d", code) << code << (code != TB_THUMBPOSITION && code != TB_TOP && code != TB_BOTTOM);
    }
    void notificationCodes()
    {
        QFETCH(int, code);
        QFETCH(bool, acted);
        for (const WidthCase& c : kWidths) {
            Bench bench;
            Sheet sheet(c.page);
            auto* slider = sheet.Item<CSliderCtrl>(c.slider);
            slider->SetPos(7);
            CSliderCtrl foreign;
            sheet.Page().OnHScroll(code, 0, &foreign);
            QCOMPARE(theApp.*c.setting, 2);

            sheet.Page().OnHScroll(code, 0, slider);
            QCOMPARE(theApp.*c.setting, acted ? 7 : 2);
            QCOMPARE(bench.Redrawn(), acted);
        }
    }

    // Unchecking greys out exactly the controls named; greyed, the colour
    // buttons and the thumb still follow the settings; checking again puts
    // the thumb at the stored thickness.
    void showBox_data() { AddRows(kShows); }
    void showBox()
    {
        QFETCH(int, row);
        const ShowCase& c = kShows[row];
        Bench bench;
        Sheet sheet(c.page);
        auto* box = sheet.Item<QCheckBox>(c.box);
        auto* button = sheet.Item<CColorButton>(c.button);
        auto* slider = sheet.Item<CSliderCtrl>(c.slider);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(theApp.*c.flag, 0);
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(bench.ShowsSettings());
        QCOMPARE(WronglyEnabled(sheet, c.greyed), QList<int>());

        theApp.*c.color = 0x010203;
        theApp.*c.width = 5;
        sheet.Reselect();
        QCOMPARE(button->m_crColor, COLORREF(0x010203));
        QCOMPARE(slider->GetPos(), 5);

        theApp.*c.width = 9;
        bench.Arm();
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(theApp.*c.flag, 1);
        QVERIFY(bench.ShowsSettings());
        QCOMPARE(WronglyEnabled(sheet, {}), QList<int>());
        QCOMPARE(slider->GetPos(), 9);
    }

};

QTEST_MAIN(TestHandPages)
#include "tst_handpages.moc"
