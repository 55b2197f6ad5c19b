// The Colors page on a real clock window: opacity, the clear colour and the
// two buttons that give all five parts one fill or one line colour.

#include <QTest>

#include "PageTestSupport.h"
#include "config/ColorButton.h"
#include "config/PageColor.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBack = RGB(99, 99, 99);
using Part = COLORREF CClockApp::*;
const Part kFills[] = {&CClockApp::m_crDialFill, &CClockApp::m_crSecondsFill, &CClockApp::m_crMinuteFill,
                       &CClockApp::m_crHourFill, &CClockApp::m_crDateFill};
const Part kFrames[] = {&CClockApp::m_crDialFrame, &CClockApp::m_crSecondsFrame, &CClockApp::m_crMinuteFrame,
                        &CClockApp::m_crHourFrame, &CClockApp::m_crDateFrame};

QList<COLORREF> Colours(const Part (&parts)[5])
{
    QList<COLORREF> colours;
    for (Part part : parts)
        colours << theApp.*part;
    return colours;
}

// Every colour its own, so that a missed or a wrong one shows.
void DistinctColours()
{
    for (int i = 0; i < 5; ++i) {
        theApp.*kFills[i] = RGB(i + 1, 0, 0);
        theApp.*kFrames[i] = RGB(i + 11, 0, 0);
    }
    theApp.m_crDialBackground = kBack;
    theApp.m_crClear = kGreen;
    theApp.m_nOpacity = 128;
}

} // namespace

class TestPageColor : public QObject {
    Q_OBJECT

private slots:
    // Opacity and clear colour go to the window's layering at once.
    void layeringAndActivation()
    {
        Bench bench(DistinctColours);
        auto* page = bench.Open<CPageColor>(kColors);
        QTest::keyPress(page->m_sliderOpacity, Qt::Key_Right);
        QCOMPARE(theApp.m_nOpacity, 129);
        QCOMPARE(bench.clock.Surface().Alpha(), 129);
        QCOMPARE(theApp.m_bModified, 1);
        theApp.m_bModified = 0;
        QTest::keyRelease(page->m_sliderOpacity, Qt::Key_Right);
        QCOMPARE(theApp.m_nOpacity, 129);
        QCOMPARE(theApp.m_bModified, 0);

        bench.choosers->color = kRed;
        QTest::mouseClick(page->m_btnClear, Qt::LeftButton);
        QCOMPARE(bench.choosers->colorOpenedOn, QList<COLORREF>{kGreen});
        QCOMPARE(theApp.m_crClear, kRed);
        QCOMPARE(page->m_btnClear->m_crColor, kRed);
        QCOMPARE(bench.clock.Surface().Key(), kRed);

        // Hour colours changed elsewhere are shown when the page comes back.
        theApp.m_crHourFrame = RGB(0, 0, 99);
        theApp.m_crHourFill = RGB(0, 99, 0);
        bench.Reselect(kColors);
        QCOMPARE(page->m_btnFillColor->m_crColor, RGB(0, 99, 0));
        QCOMPARE(page->m_btnLineColor->m_crColor, RGB(0, 0, 99));
    }

    void resetButtons_data()
    {
        QTest::addColumn<bool>("fill");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("fill") << true << false;
        QTest::newRow("line") << false << false;
        QTest::newRow("fill cancelled") << true << true;
    }
    void resetButtons()
    {
        QFETCH(bool, fill);
        QFETCH(bool, cancel);
        Bench bench(DistinctColours);
        auto* page = bench.Open<CPageColor>(kColors);
        const QList<COLORREF> fills = Colours(kFills), frames = Colours(kFrames);
        if (!cancel)
            bench.choosers->color = kRed;
        QTest::mouseClick(fill ? page->m_btnFillColor : page->m_btnLineColor, Qt::LeftButton);
        // Opened on the hour hand's colour.
        QCOMPARE(bench.choosers->colorOpenedOn, QList<COLORREF>{fill ? RGB(4, 0, 0) : RGB(14, 0, 0)});
        const QList<COLORREF> five(5, kRed);
        QCOMPARE(Colours(kFills), fill && !cancel ? five : fills);
        QCOMPARE(Colours(kFrames), !fill && !cancel ? five : frames);
        QCOMPARE(theApp.m_bModified, cancel ? 0 : 1);
        QCOMPARE(cancel ? bench.Redrawn() : bench.ShowsSettings(), !cancel);
        QCOMPARE(theApp.m_crDialBackground, kBack);
        QCOMPARE(theApp.m_crClear, kGreen);
    }
};

QTEST_MAIN(TestPageColor)
#include "tst_pagecolor.moc"
