// The trackbar's notification codes, in order, for keys, channel clicks and drags.

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include "config/SliderCtrl.h"

using Codes = QList<int>;

namespace {

class Probe : public CSliderCtrl {
public:
    using CSliderCtrl::CSliderCtrl;
    QRect Handle() const
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    }
};

} // namespace

class TestSliderCtrl : public QObject {
    Q_OBJECT

private slots:
    // A key, a click in the channel before or after the thumb, or a drag of
    // the thumb to the end; ENDTRACK waits for the release.
    void sequences_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("key"); // 0: a click, -1: a drag
        QTest::addColumn<bool>("afterThumb");
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<int>("end");
        const int h = Qt::Horizontal, v = Qt::Vertical;
        QTest::newRow("Right") << h << int(Qt::Key_Right) << false << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
        QTest::newRow("Left") << h << int(Qt::Key_Left) << false << Codes{TB_LINEUP, TB_ENDTRACK} << 4;
        // Up and Page Up raise a horizontal slider; the code names the direction.
        QTest::newRow("Up") << h << int(Qt::Key_Up) << false << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
        QTest::newRow("PageUp") << h << int(Qt::Key_PageUp) << false << Codes{TB_PAGEDOWN, TB_ENDTRACK} << 8;
        QTest::newRow("PageDown") << h << int(Qt::Key_PageDown) << false << Codes{TB_PAGEUP, TB_ENDTRACK} << 2;
        QTest::newRow("Home") << h << int(Qt::Key_Home) << false << Codes{TB_TOP, TB_ENDTRACK} << 0;
        QTest::newRow("End") << h << int(Qt::Key_End) << false << Codes{TB_BOTTOM, TB_ENDTRACK} << 10;
        // Minimum at the top: Down raises the value, a click above the thumb lowers it.
        QTest::newRow("vertical Down") << v << int(Qt::Key_Down) << false << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
        QTest::newRow("right of thumb") << h << 0 << true << Codes{TB_PAGEDOWN, TB_ENDTRACK} << 8;
        QTest::newRow("above thumb") << v << 0 << false << Codes{TB_PAGEUP, TB_ENDTRACK} << 2;
        // Every position passed, once.
        QTest::newRow("drag") << h << -1 << false << (Codes(5, TB_THUMBTRACK) << TB_THUMBPOSITION << TB_ENDTRACK) << 10;
    }
    void sequences()
    {
        QFETCH(int, orientation);
        QFETCH(int, key);
        QFETCH(bool, afterThumb);
        QFETCH(Codes, codes);
        QFETCH(int, end);
        Probe slider{Qt::Orientation(orientation)};
        slider.SetRange(0, 10, 1);
        slider.SetPageSize(3);
        slider.SetPos(5);
        slider.resize(orientation == Qt::Horizontal ? QSize(220, 30) : QSize(30, 220));
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        Codes sent;
        connect(&slider, &CSliderCtrl::Scroll, this, [&](int code) { sent << code; });
        const QRect r = slider.rect(), handle = slider.Handle();
        QPoint at = orientation == Qt::Horizontal
                        ? QPoint(afterThumb ? r.right() - 2 : r.left() + 2, handle.center().y())
                        : QPoint(handle.center().x(), afterThumb ? r.bottom() - 2 : r.top() + 2);
        if (key > 0) {
            QTest::keyPress(&slider, Qt::Key(key));
        } else if (key == 0) {
            QTest::mousePress(&slider, Qt::LeftButton, {}, at);
        } else {
            QTest::mousePress(&slider, Qt::LeftButton, {}, at = handle.center());
            while (at.x() < slider.width())
                QTest::mouseMove(&slider, at += QPoint(6, 0));
        }
        QCOMPARE(sent, codes.mid(0, key < 0 ? codes.size() - 2 : 1));
        key > 0 ? QTest::keyRelease(&slider, Qt::Key(key)) : QTest::mouseRelease(&slider, Qt::LeftButton, {}, at);
        QCOMPARE(sent, codes);
        QCOMPARE(slider.GetPos(), end);
    }
};

QTEST_MAIN(TestSliderCtrl)
#include "tst_sliderctrl.moc"
