// The link label: what a click opens (never painted first) and the colour it leaves.

#include <QTest>
#include <QToolTip>

#include "config/HyperLink.h"

class TestHyperLink : public QObject {
    Q_OBJECT

    QStringList m_opened;
    bool m_bOpenResult = true;

private slots:
    void initTestCase()
    {
        CHyperLink::SetOpener([this](const QUrl& url) {
            m_opened << url.toString();
            return m_bOpenResult;
        });
    }

    void click_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QColor>("colour");
        const QString site = QStringLiteral("https://tessaline.example/vitrodial/");
        const QColor blue(0, 0, 255), purple(128, 0, 128);
        QTest::newRow("opened") << site << "Vitrodial Version 2004.11" << true << site << purple;
        QTest::newRow("failed") << site << "Vitrodial Version 2004.11" << false << site << blue;
        QTest::newRow("no link, the text") << QString() << site << true << site << purple;
        const QString mail = QStringLiteral("mailto:vitrodial-support@tessaline.example");
        QTest::newRow("mail") << mail << "vitrodial-support@tessaline.example" << true << mail << purple;
    }
    void click()
    {
        QFETCH(QString, url);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, opened);
        QFETCH(QColor, colour);
        m_opened.clear();
        m_bOpenResult = ok;
        CHyperLink link;
        link.setText(text);
        link.SetURL(url);
        QCOMPARE(link.toolTip().remove(QLatin1Char('\n')), url);
        // wrapped within the tip's width, after a joint of the link ("/", "@", ".", "-")
        const QStringList lines = link.toolTip().split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY(QFontMetrics(QToolTip::font()).horizontalAdvance(lines[i]) <= CHyperLink::kMaxTipWidth
                    && (i + 1 == lines.size() || QStringLiteral("/@.-").contains(lines[i].back())));
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{opened});
        QCOMPARE(bool(link.IsVisited()), ok);
        QCOMPARE(link.palette().color(QPalette::WindowText), colour);
    }
};

QTEST_MAIN(TestHyperLink)
#include "tst_hyperlink.moc"
