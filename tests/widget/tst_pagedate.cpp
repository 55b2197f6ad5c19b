// The Date page's own behaviour: the four content boxes and the font
// chooser. The rest of the page is tested with its family in tst_handpages.

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "PageTestSupport.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

CHOSENFONT Font(const QString& face, int weight, std::uint8_t italic)
{
    CHOSENFONT f;
    f.strFaceName = face;
    f.lfWeight = weight;
    f.lfItalic = italic;
    return f;
}

bool operator==(const CHOSENFONT& a, const CHOSENFONT& b)
{
    return a.strFaceName == b.strFaceName && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic;
}

} // namespace

class TestPageDate : public QObject {
    Q_OBJECT

private slots:
    // The content boxes get their marks from the settings only while the
    // date is shown; hidden, they keep what they showed.
    void contentMarksFollowShowDayDate()
    {
        Bench bench;
        theApp.m_bShowDate = 0;
        theApp.m_bShowDay = 1;
        theApp.m_bShowMonth = 0;
        theApp.m_bShowAmPm = 2;
        theApp.m_bDateBox = 1;
        Sheet sheet(res::IDD_PAGE_DATE);
        auto& page = static_cast<CPageDate&>(sheet.Page());
        const auto marks = [&] {
            QList<bool> checked;
            for (const QCheckBox* box : {page.m_chkDay, page.m_chkMonth, page.m_chkAmPm, page.m_chkBox})
                checked << box->isChecked();
            return checked;
        };
        QCOMPARE(marks(), (QList<bool>{false, false, false, false}));
        QTest::mouseClick(page.m_chkShow, Qt::LeftButton);
        QCOMPARE(marks(), (QList<bool>{true, false, false, true}));
        theApp.m_bShowDay = 0;
        QTest::mouseClick(page.m_chkShow, Qt::LeftButton);
        QCOMPARE(marks(), (QList<bool>{true, false, false, true}));
    }

    void contentBox_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("after");
        const std::pair<const char*, int> boxes[] = {{"Show Day", 1018}, {"Show Month", 1024},
                                                     {"Show AM/PM", 1019}, {"Enclose in box", 1020}};
        for (const auto& [name, id] : boxes) {
            QTest::addRow("%s on", name) << id << 0 << 1;
            QTest::addRow("%s off", name) << id << 1 << 0;
        }
    }
    void contentBox()
    {
        QFETCH(int, id);
        QFETCH(int, value);
        QFETCH(int, after);
        Bench bench;
        BOOL& setting = id == 1018 ? theApp.m_bShowDay
            : id == 1024           ? theApp.m_bShowMonth
            : id == 1019           ? theApp.m_bShowAmPm
                                   : theApp.m_bDateBox;
        setting = value;
        Sheet sheet(res::IDD_PAGE_DATE);
        auto* box = sheet.Item<QCheckBox>(id);
        QCOMPARE(box->isChecked(), value == 1);

        // Only the box's own setting changes: the thumb is not refreshed.
        theApp.m_nDateWidth = 7;
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(setting, after);
        const bool changed = after != value;
        QCOMPARE(theApp.m_bModified, changed ? 1 : 0);
        QCOMPARE(changed ? bench.ShowsSettings() : bench.Redrawn(), changed);
        QCOMPARE(static_cast<CPageDate&>(sheet.Page()).m_sliderWidth->GetPos(), 2);
    }

    // Face (cut to what the font record holds), weight and the italic flag's
    // low byte; an empty face below keeps the first-start font.
    void fontChooserOpensOnTheStoredFont_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("weight");
        QTest::addColumn<int>("italic");
        QTest::addColumn<QString>("openFace");
        QTest::addColumn<int>("openItalic");
        QTest::newRow("first start") << QString() << 400 << 1 << "Impact" << 1;
        const QString longFace = QStringLiteral("A Very Long Face Name That Overflows");
        QTest::newRow("face cut") << longFace << 700 << 0 << longFace.left(31) << 0;
    }
    void fontChooserOpensOnTheStoredFont()
    {
        QFETCH(QString, face);
        QFETCH(int, weight);
        QFETCH(int, italic);
        QFETCH(QString, openFace);
        QFETCH(int, openItalic);
        Bench bench;
        if (!face.isEmpty()) {
            theApp.m_strFontFace = face;
            theApp.m_nFontWeight = weight;
            theApp.m_bFontItalic = italic;
        }
        Sheet sheet(res::IDD_PAGE_DATE);
        QTest::mouseClick(sheet.Item<QPushButton>(1017), Qt::LeftButton);
        QCOMPARE(bench.choosers.fontOpenedOn.size(), 1);
        QVERIFY(bench.choosers.fontOpenedOn[0] == Font(openFace, weight, std::uint8_t(openItalic)));
    }

    void fontChooserTakesFaceWeightAndItalic()
    {
        Bench bench;
        Sheet sheet(res::IDD_PAGE_DATE);
        auto* button = sheet.Item<QPushButton>(1017);
        const auto unchanged = [&] {
            return theApp.m_strFontFace == "Impact" && theApp.m_nFontWeight == 400 && theApp.m_bFontItalic == 1
                && theApp.m_bModified == 0 && !bench.Redrawn();
        };

        QTest::mouseClick(button, Qt::LeftButton);  // cancelled
        QVERIFY(unchanged());
        bench.choosers.font = Font(QString(), 700, 0);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(unchanged());

        bench.choosers.font = Font(QStringLiteral("DejaVu Sans"), 700, 200);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(theApp.m_strFontFace, QStringLiteral("DejaVu Sans"));
        QCOMPARE(theApp.m_bFontItalic, 200);
        QVERIFY(bench.ShowsSettings());

        // The same font again still counts as a change.
        bench.Arm();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(theApp.m_bModified, 1);
    }
};

QTEST_MAIN(TestPageDate)
#include "tst_pagedate.moc"
