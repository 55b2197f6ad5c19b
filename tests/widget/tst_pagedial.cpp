// The Dial page's own behaviour: the background colour stays editable while
// the dial is hidden. The rest of the page is tested with its family in
// tst_handpages.

#include <QCheckBox>
#include <QTest>

#include "PageTestSupport.h"
#include "config/ColorButton.h"

using namespace pagetest;

class TestPageDial : public QObject {
    Q_OBJECT

private slots:
    void backgroundEditableWhileDialHidden()
    {
        Bench bench;
        theApp.m_bShowDial = 0;
        Sheet sheet(res::IDD_PAGE_DIAL);
        auto& page = static_cast<CPageDial&>(sheet.Page());

        bench.choosers.color = 0x00FF00;
        QTest::mouseClick(page.m_btnBackColor, Qt::LeftButton);
        QCOMPARE(theApp.m_crDialBackground, COLORREF(0x00FF00));
        QVERIFY(bench.ShowsSettings());
        QCOMPARE(bench.Shown().pixel(0, 0), ToQRgb(0x00FF00));
    }
};

QTEST_MAIN(TestPageDial)
#include "tst_pagedial.moc"
