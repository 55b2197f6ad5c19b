// The link label: clickable from the start, the visited colour after a
// successful open only, the fallback to its own text, the wait cursor, the
// wrapped tooltip.

#include <QApplication>
#include <QToolTip>
#include <QTest>

#include "config/HyperLink.h"

namespace {

QColor TextColour(const CHyperLink& link) { return link.palette().color(QPalette::WindowText); }

} // namespace

class TestHyperLink : public QObject {
    Q_OBJECT

    QStringList m_opened;
    bool m_bOpenResult = true;
    bool m_bWaitCursorWhileOpening = false;
    CHyperLink::Opener m_previous;

private slots:
    void initTestCase()
    {
        m_previous = CHyperLink::SetOpener([this](const QUrl& url) {
            m_opened << url.toString();
            const QCursor* c = QApplication::overrideCursor();
            m_bWaitCursorWhileOpening = c && c->shape() == Qt::WaitCursor;
            return m_bOpenResult;
        });
    }
    void cleanupTestCase() { CHyperLink::SetOpener(m_previous); }
    void init()
    {
        m_opened.clear();
        m_bOpenResult = true;
        m_bWaitCursorWhileOpening = false;
    }

    void clickBeforeAnyPaintOpens()
    {
        CHyperLink link;
        link.setText(QStringLiteral("Vitrodial Version 2004.11"));
        link.SetURL(QStringLiteral("https://tessaline.example/vitrodial/"));
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{QStringLiteral("https://tessaline.example/vitrodial/")});
        QVERIFY(m_bWaitCursorWhileOpening);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void successTurnsPurpleForGood()
    {
        CHyperLink link;
        link.SetURL(QStringLiteral("mailto:vitrodial@tessaline.example"));
        link.setText(QStringLiteral("vitrodial@tessaline.example"));
        link.resize(200, 20);
        QTest::mouseClick(&link, Qt::LeftButton);
        QVERIFY(link.IsVisited());
        QCOMPARE(TextColour(link), QColor(128, 0, 128));

        // A failure later does not take the visited colour away.
        m_bOpenResult = false;
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(TextColour(link), QColor(128, 0, 128));

        const QImage img = link.grab().toImage();
        bool purple = false;
        for (int y = 0; y < img.height() && !purple; ++y)
            for (int x = 0; x < img.width() && !purple; ++x)
                purple = (img.pixel(x, y) & 0xFFFFFF) == 0x800080u;
        QVERIFY2(purple, "the text is drawn in the visited colour");
    }

    void failedOpenChangesNothing()
    {
        m_bOpenResult = false;
        CHyperLink link;
        link.SetURL(QStringLiteral("https://tessaline.example/vitrodial/"));
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(!link.IsVisited());
        QCOMPARE(TextColour(link), QColor(0, 0, 255));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

};

QTEST_MAIN(TestHyperLink)
#include "tst_hyperlink.moc"
