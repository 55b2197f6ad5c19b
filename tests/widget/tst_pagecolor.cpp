// The Colors page on a real clock window: the opacity slider's codes and their
// live effect on the window's blending, the clear colour, and the two buttons
// that give all five parts one fill or one line colour.

#include <QTest>

#include "PageTestSupport.h"
#include "config/ColorButton.h"
#include "config/PageColor.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kCancel = 0xFFFFFFFF;  // the chooser is cancelled

QList<COLORREF> Fills()
{
    return {theApp.m_crDialFill, theApp.m_crSecondsFill, theApp.m_crMinuteFill, theApp.m_crHourFill,
            theApp.m_crDateFill};
}
QList<COLORREF> Frames()
{
    return {theApp.m_crDialFrame, theApp.m_crSecondsFrame, theApp.m_crMinuteFrame, theApp.m_crHourFrame,
            theApp.m_crDateFrame};
}

// Every part with colours of its own, so that a missed one shows.
void DistinctColours()
{
    COLORREF* fills[] = {&theApp.m_crDialFill, &theApp.m_crSecondsFill, &theApp.m_crMinuteFill,
                         &theApp.m_crHourFill, &theApp.m_crDateFill};
    COLORREF* frames[] = {&theApp.m_crDialFrame, &theApp.m_crSecondsFrame, &theApp.m_crMinuteFrame,
                          &theApp.m_crHourFrame, &theApp.m_crDateFrame};
    for (int i = 0; i < 5; ++i) {
        *fills[i] = RGB(i + 1, i + 1, i + 1);
        *frames[i] = RGB(i + 11, 0, 0);
    }
    theApp.m_crClear = RGB(0, 255, 0);
    theApp.m_nOpacity = 200;
}

void Answer(Bench& bench, COLORREF answer)
{
    if (answer != kCancel)
        bench.choosers.color = answer;
}

} // namespace

class TestPageColor : public QObject {
    Q_OBJECT

private slots:
    void opacityKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("afterPress");
        QTest::addColumn<int>("afterRelease");
        QTest::newRow("Right at 128") << int(Qt::Key_Right) << 128 << 129 << 129;
        QTest::newRow("PageUp near 0") << int(Qt::Key_PageUp) << 10 << 0 << 0;
        // TB_TOP and TB_BOTTOM are not acted on; the TB_ENDTRACK after them is.
        QTest::newRow("End") << int(Qt::Key_End) << 128 << 128 << 255;
    }
    void opacityKeys()
    {
        QFETCH(int, key);
        QFETCH(int, start);
        QFETCH(int, afterPress);
        QFETCH(int, afterRelease);
        Bench bench([&] { theApp.m_nOpacity = start; });
        auto* page = bench.Open<CPageColor>(Bench::kColors);
        QTest::keyPress(page->m_sliderOpacity, Qt::Key(key));
        QCOMPARE(theApp.m_nOpacity, afterPress);
        QCOMPARE(bench.clock.Surface().Alpha(), afterPress);
        QCOMPARE(theApp.m_bModified, afterPress != start ? 1 : 0);

        theApp.m_bModified = 0;
        QTest::keyRelease(page->m_sliderOpacity, Qt::Key(key));
        QCOMPARE(bench.clock.Surface().Alpha(), afterRelease);
        QCOMPARE(theApp.m_bModified, afterRelease != afterPress ? 1 : 0);
        // The window blends its picture anew; the face is not drawn again.
        QVERIFY(!bench.FaceMade());
    }

    void draggingChangesTheOpacityAsItGoes()
    {
        Bench bench([] { theApp.m_nOpacity = 128; });
        CSliderCtrl* s = bench.Open<CPageColor>(Bench::kColors)->m_sliderOpacity;
        const QPoint grab = SliderThumb(s).center();
        Mouse(s, QEvent::MouseButtonPress, grab);
        int last = 128;
        for (int dx : {-20, -40, 25}) {
            Mouse(s, QEvent::MouseMove, grab + QPoint(dx, 0));
            QVERIFY(s->GetPos() != last);
            last = s->GetPos();
            QCOMPARE(bench.clock.Surface().Alpha(), last);
        }
    }

    void clearColour_data()
    {
        QTest::addColumn<COLORREF>("answer");
        QTest::addColumn<bool>("changes");
        QTest::newRow("other colour") << kRed << true;
        QTest::newRow("same colour") << RGB(0, 255, 0) << false;
        QTest::newRow("cancelled") << kCancel << false;
    }
    void clearColour()
    {
        QFETCH(COLORREF, answer);
        QFETCH(bool, changes);
        Bench bench(DistinctColours);
        auto* page = bench.Open<CPageColor>(Bench::kColors);
        const QList<COLORREF> fills = Fills(), frames = Frames();
        const COLORREF expected = changes ? kRed : RGB(0, 255, 0);
        Answer(bench, answer);
        QTest::mouseClick(page->m_btnClear, Qt::LeftButton);

        QCOMPARE(bench.choosers.colorOpenedOn, QList<COLORREF>{RGB(0, 255, 0)});
        QCOMPARE(theApp.m_crClear, expected);
        QCOMPARE(page->m_btnClear->m_crColor, expected);
        QCOMPARE(bench.clock.Surface().Key(), expected);
        QCOMPARE(theApp.m_bModified, changes ? 1 : 0);
        QCOMPARE(bench.FaceMade(), changes);
        QCOMPARE(Fills() + Frames(), fills + frames);
    }

    void resetButtons_data()
    {
        QTest::addColumn<bool>("fill");
        QTest::addColumn<COLORREF>("answer");
        QTest::newRow("fill red") << true << kRed;
        // The hour hand's own colour still unifies the other four.
        QTest::newRow("fill as the hour hand") << true << RGB(4, 4, 4);
        QTest::newRow("fill cancelled") << true << kCancel;
        QTest::newRow("line red") << false << kRed;
        QTest::newRow("line cancelled") << false << kCancel;
    }
    void resetButtons()
    {
        QFETCH(bool, fill);
        QFETCH(COLORREF, answer);
        Bench bench(DistinctColours);
        auto* page = bench.Open<CPageColor>(Bench::kColors);
        const QList<COLORREF> fills = Fills(), frames = Frames();
        CColorButton* button = fill ? page->m_btnFillColor : page->m_btnLineColor;
        const COLORREF shown = button->m_crColor;
        const bool ok = answer != kCancel;
        Answer(bench, answer);
        QTest::mouseClick(button, Qt::LeftButton);

        QCOMPARE(bench.choosers.colorOpenedOn, QList<COLORREF>{fill ? RGB(4, 4, 4) : RGB(14, 0, 0)});
        QCOMPARE(fill ? Fills() : Frames(), ok ? QList<COLORREF>(5, answer) : (fill ? fills : frames));
        QCOMPARE(fill ? Frames() : Fills(), fill ? frames : fills);
        QCOMPARE(button->m_crColor, ok ? answer : shown);
        QCOMPARE(theApp.m_bModified, ok ? 1 : 0);
        QCOMPARE(bench.FaceMade(), ok);
        QCOMPARE(theApp.m_crClear, RGB(0, 255, 0));
    }

    void activationShowsTheHourColours()
    {
        Bench bench(DistinctColours);
        auto* page = bench.Open<CPageColor>(Bench::kColors);
        // Changed elsewhere, as the Hour page and a loaded store would.
        theApp.m_crHourFrame = RGB(0, 0, 99);
        theApp.m_crHourFill = RGB(0, 99, 0);
        theApp.m_nOpacity = 3;
        bench.Reselect(Bench::kGeometry, Bench::kColors);
        QCOMPARE(page->m_btnFillColor->m_crColor, RGB(0, 99, 0));
        QCOMPARE(page->m_btnLineColor->m_crColor, RGB(0, 0, 99));
        // The slider is positioned only when the page is first shown.
        QCOMPARE(page->m_sliderOpacity->GetPos(), 200);
    }
};

QTEST_MAIN(TestPageColor)
#include "tst_pagecolor.moc"
