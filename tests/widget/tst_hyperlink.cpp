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

    void looksLikeALink()
    {
        CHyperLink link;
        QVERIFY(link.font().underline());
        QCOMPARE(TextColour(link), QColor(0, 0, 255));
        QVERIFY(!link.autoFillBackground());
        QCOMPARE(link.cursor().shape(), Qt::ArrowCursor);
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
        // Nor does a font or palette handed down afterwards.
        link.setPalette(QPalette(Qt::red));
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

    void emptyLinkFallsBackToText()
    {
        CHyperLink link;
        link.setText(QStringLiteral("mailto:someone@tessaline.example"));
        link.SetURL(QString());
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{QStringLiteral("mailto:someone@tessaline.example")});
        QCOMPARE(link.GetURL(), link.text());
    }

    void onlyTheLeftButtonOpens()
    {
        CHyperLink link;
        QTest::mouseClick(&link, Qt::RightButton);
        QTest::mouseClick(&link, Qt::MiddleButton);
        QVERIFY(m_opened.isEmpty());
    }

    void tooltipWrapsAt120Pixels_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("web page") << QStringLiteral("https://tessaline.example/vitrodial/");
        QTest::newRow("mail") << QStringLiteral("mailto:vitrodial@tessaline.example");
        QTest::newRow("short") << QStringLiteral("mailto:a@b");
    }
    void tooltipWrapsAt120Pixels()
    {
        QFETCH(QString, url);
        CHyperLink link;
        link.SetURL(url);
        const QString tip = link.toolTip();
        const QFontMetrics fm(QToolTip::font());
        QCOMPARE(QString(tip).remove(QLatin1Char('\n')), url);
        for (const QString& line : tip.split(QLatin1Char('\n')))
            QVERIFY2(fm.horizontalAdvance(line) <= CHyperLink::kMaxTipWidth, qPrintable(line));
        QCOMPARE(tip.contains(QLatin1Char('\n')), fm.horizontalAdvance(url) > CHyperLink::kMaxTipWidth);
    }
};

QTEST_MAIN(TestHyperLink)
#include "tst_hyperlink.moc"
