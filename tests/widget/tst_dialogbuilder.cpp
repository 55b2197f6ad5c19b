// Templates turned into widgets: dialog units, and every control at its rectangle under its id.

#include <QTest>

#include "config/DialogBuilder.h"
#include "res/Templates.h"

class TestDialogBuilder : public QObject {
    Q_OBJECT

private slots:
    void mulDivRoundsHalfAwayFromZero_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("den");
        QTest::addColumn<int>("result");
        QTest::newRow("half up") << 3 << 4 << 5;
        QTest::newRow("negative half") << -3 << 4 << -5;
        QTest::newRow("no denominator") << 3 << 0 << -1;
    }
    void mulDivRoundsHalfAwayFromZero()
    {
        QFETCH(int, n);
        QFETCH(int, den);
        QFETCH(int, result);
        QCOMPARE(MulDiv(n, 6, den), result);
    }

    void dialogUnitsAreQuarterAndEighthOfTheBase()
    {
        const CDialogBuilder b(QFont{});
        const DialogBaseUnits u = b.Units();
        QVERIFY(u.cx > 0 && u.cy > u.cx);
        QCOMPARE(b.MapDialogRect(4, 8, 8, 16), QRect(u.cx, u.cy, 2 * u.cx, 2 * u.cy));
    }

    void controlsStandAtTheirRectangles_data()
    {
        QTest::addColumn<int>("id");
        for (int id : {res::IDD_CONFIG, res::IDD_PAGE_COLOR, res::IDD_PAGE_DATE, res::IDD_PAGE_DIAL, res::IDD_PAGE_GEOM,
                       res::IDD_PAGE_HOUR, res::IDD_PAGE_MIN, res::IDD_PAGE_MISC, res::IDD_PAGE_SECS})
            QTest::newRow(res::FindDialogTemplate(id)->caption) << id;
    }
    void controlsStandAtTheirRectangles()
    {
        QFETCH(int, id);
        const res::DialogTemplate& t = *res::FindDialogTemplate(id);
        QWidget dialog;
        const CDialogBuilder b(dialog.font());
        const QHash<int, QWidget*> items = b.Build(&dialog, t);
        for (std::size_t i = 0; i < t.count; ++i) {
            const res::ControlTemplate& c = t.controls[i];
            if (c.id == res::IDC_STATIC)
                continue;
            QRect r = b.MapDialogRect(c.x, c.y, c.w, c.h);
            if (c.kind == res::Kind::StaticIcon)
                r.setSize(QSize(32, 32));
            QVERIFY(items.value(c.id));
            QCOMPARE(items.value(c.id)->geometry(), r);
        }
        QVERIFY(!items.contains(res::IDC_STATIC));
    }
};

QTEST_MAIN(TestDialogBuilder)
#include "tst_dialogbuilder.moc"
