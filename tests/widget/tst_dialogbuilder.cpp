// Templates turned into widgets: dialog units, every control at its
// rectangle under its id, the kinds and styles, and the template data itself.

#include <algorithm>
#include <tuple>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "config/DialogBuilder.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

namespace {

const int kAllTemplates[] = {res::IDD_CONFIG,    res::IDD_PAGE_COLOR, res::IDD_PAGE_DATE,
                             res::IDD_PAGE_DIAL, res::IDD_PAGE_GEOM,  res::IDD_PAGE_HOUR,
                             res::IDD_PAGE_MIN,  res::IDD_PAGE_MISC,  res::IDD_PAGE_SECS};

bool RectLess(const QRect& a, const QRect& b)
{
    return std::make_tuple(a.x(), a.y(), a.width(), a.height()) < std::make_tuple(b.x(), b.y(), b.width(), b.height());
}

struct Built {
    QWidget dialog;
    QHash<int, QWidget*> items;
    explicit Built(int id)
    {
        items = CDialogBuilder(dialog.font()).Build(&dialog, *res::FindDialogTemplate(id));
        dialog.resize(600, 500);
    }
};

} // namespace

class TestDialogBuilder : public QObject {
    Q_OBJECT

private slots:
    void mulDivRoundsHalfAwayFromZero_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::addColumn<int>("result");
        QTest::newRow("half up") << 3 << 6 << 4 << 5;
        QTest::newRow("above half") << 5 << 13 << 8 << 8;
        QTest::newRow("negative half") << -3 << 6 << 4 << -5;
        QTest::newRow("no denominator") << 3 << 6 << 0 << -1;
    }
    void mulDivRoundsHalfAwayFromZero()
    {
        QFETCH(int, n);
        QFETCH(int, num);
        QFETCH(int, den);
        QFETCH(int, result);
        QCOMPARE(MulDiv(n, num, den), result);
    }

    void templatesAreConsistent_data()
    {
        QTest::addColumn<int>("id");
        for (int id : kAllTemplates)
            QTest::newRow(res::FindDialogTemplate(id)->caption) << id;
    }
    void templatesAreConsistent()
    {
        QFETCH(int, id);
        const res::DialogTemplate* t = res::FindDialogTemplate(id);
        QVERIFY(t);
        if (id != res::IDD_CONFIG) {
            QCOMPARE(t->cx, 230);
            QCOMPARE(t->cy, 140);
        }
        QSet<int> ids;
        for (std::size_t i = 0; i < t->count; ++i) {
            const res::ControlTemplate& c = t->controls[i];
            const QByteArray what = QByteArray::number(c.id) + " " + (c.text ? c.text : "");
            QVERIFY2(c.x >= 0 && c.y >= 0 && c.x + c.w <= t->cx && c.y + c.h <= t->cy, what);
            if (c.id != res::IDC_STATIC) {
                QVERIFY2(!ids.contains(c.id), what);
                ids.insert(c.id);
            }
        }
    }

    void controlsStandAtTheirRectangles_data() { templatesAreConsistent_data(); }
    void controlsStandAtTheirRectangles()
    {
        QFETCH(int, id);
        const res::DialogTemplate& t = *res::FindDialogTemplate(id);
        Built built(id);
        const CDialogBuilder b(built.dialog.font());
        QList<QRect> expected, actual;
        for (std::size_t i = 0; i < t.count; ++i) {
            const res::ControlTemplate& c = t.controls[i];
            QRect r = b.MapDialogRect(c.x, c.y, c.w, c.h);
            if (c.kind == res::Kind::StaticIcon)
                r.setSize(QSize(32, 32));
            expected << r;
            if (c.id != res::IDC_STATIC) {
                QVERIFY(built.items.value(c.id));
                QCOMPARE(built.items.value(c.id)->geometry(), r);
                if (c.text && c.kind != res::Kind::StaticIcon) {
                    const QVariant text = built.items.value(c.id)->property(
                        c.kind == res::Kind::GroupBox ? "title" : "text");
                    QCOMPARE(text.toString(), QString::fromUtf8(c.text));
                }
            }
        }
        for (QWidget* w : built.dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            actual << w->geometry();
        std::sort(expected.begin(), expected.end(), RectLess);
        std::sort(actual.begin(), actual.end(), RectLess);
        QCOMPARE(actual, expected);
        QVERIFY(!built.items.contains(res::IDC_STATIC));
    }

    void kindsAndStyles()
    {
        Built geom(res::IDD_PAGE_GEOM);
        auto* x = qobject_cast<CSliderCtrl*>(geom.items.value(1005));
        auto* y = qobject_cast<CSliderCtrl*>(geom.items.value(1002));
        QVERIFY(x && y);
        QCOMPARE(x->orientation(), Qt::Horizontal);
        QCOMPARE(x->tickPosition(), QSlider::TicksAbove);
        QCOMPARE(y->orientation(), Qt::Vertical);
        QCOMPARE(y->tickPosition(), QSlider::TicksLeft);
        QVERIFY(y->invertedAppearance());
        QCOMPARE(x->focusPolicy(), Qt::StrongFocus);
        for (QGroupBox* g : geom.dialog.findChildren<QGroupBox*>())
            QCOMPARE(g->alignment(), Qt::AlignHCenter);

        Built config(res::IDD_CONFIG);
        QVERIFY(qobject_cast<QPushButton*>(config.items.value(res::IDOK))->isDefault());
        QVERIFY(!qobject_cast<QPushButton*>(config.items.value(res::IDC_CLOSE_CLOCK))->isDefault());

        // A radio button after the first of its group is reached with the arrows, not Tab.
        Built misc(res::IDD_PAGE_MISC);
        QCOMPARE(misc.items.value(1009)->focusPolicy(), Qt::ClickFocus);

        Built colors(res::IDD_PAGE_COLOR);
        const QList<QLabel*> labels = colors.dialog.findChildren<QLabel*>();
        const auto hint = std::find_if(labels.begin(), labels.end(),
                                       [](QLabel* l) { return l->text().startsWith(QStringLiteral("Clear")); });
        QVERIFY(hint != labels.end());
        QVERIFY((*hint)->wordWrap());
        QCOMPARE((*hint)->frameShadow(), QFrame::Sunken);
        QVERIFY((*hint)->alignment() & Qt::AlignHCenter);
    }

    void groupBoxesLetClicksThrough()
    {
        Built colors(res::IDD_PAGE_COLOR);
        colors.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&colors.dialog));
        auto* select = qobject_cast<QPushButton*>(colors.items.value(1005));
        QVERIFY(select);
        const QPoint centre = select->geometry().center();
        QCOMPARE(colors.dialog.childAt(centre), select);
        QSignalSpy clicked(select, &QAbstractButton::clicked);
        QTest::mouseClick(colors.dialog.windowHandle(), Qt::LeftButton, {}, centre);
        QCOMPARE(clicked.count(), 1);
    }

};

QTEST_MAIN(TestDialogBuilder)
#include "tst_dialogbuilder.moc"
