// The colour swatch button's drawing, probed pixel by pixel: the text colour
// rule, the swatch inset, the pressed offset, the disabled look, no focus
// rectangle; and SetColor.

#include <QTest>

#include "config/ColorButton.h"

namespace {

constexpr QRgb kNearWhite = qRgb(255, 255, 254);
constexpr QRgb kBlack = qRgb(0, 0, 0);

using Button = CColorButton;

QImage Shot(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRect Swatch(const QImage& img) { return QRect(2, 2, img.width() - 4, img.height() - 4); }

int Count(const QImage& img, const QRect& r, QRgb colour)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// The bounding box of the pixels in r that are not the swatch colour.
QRect Ink(const QImage& img, const QRect& r, QRgb swatch)
{
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != (swatch & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestColorButton : public QObject {
    Q_OBJECT

    std::unique_ptr<Button> m_button;

    void Make(COLORREF colour, const QString& caption = QStringLiteral("Fill Color..."))
    {
        m_button = std::make_unique<Button>();
        m_button->setText(caption);
        m_button->resize(120, 30);
        m_button->SetColor(colour);
    }

private slots:
    void cleanup() { m_button.reset(); }

    void textColourRule_data()
    {
        QTest::addColumn<COLORREF>("colour");
        QTest::addColumn<bool>("lightText");
        QTest::newRow("sum 299") << RGB(100, 100, 99) << true;
        QTest::newRow("sum 300") << RGB(100, 100, 100) << false;
        QTest::newRow("pure blue") << RGB(0, 0, 255) << true;
    }
    void textColourRule()
    {
        QFETCH(COLORREF, colour);
        QFETCH(bool, lightText);
        Make(colour);
        const QImage img = Shot(*m_button);
        const QRect swatch = Swatch(img);
        const QRgb expected = lightText ? kNearWhite : kBlack;
        QVERIFY2(Count(img, swatch, expected) > 0, "the text has its colour");
        // Never the other one, and near-white is never pure white.
        if (colour != RGB(255, 255, 255))
            QCOMPARE(Count(img, swatch, qRgb(255, 255, 255)), 0);
        if (colour != RGB(0, 0, 0))
            QCOMPARE(Count(img, swatch, lightText ? kBlack : kNearWhite), 0);
    }

    void pressedMovesTextNotSwatch()
    {
        const QRgb grey = qRgb(80, 80, 80);
        Make(RGB(80, 80, 80));
        const QImage up = Shot(*m_button);
        m_button->setDown(true);
        const QImage down = Shot(*m_button);
        const QRect swatch = Swatch(up);
        QCOMPARE(down.pixel(swatch.topLeft()) & 0xFFFFFF, grey & 0xFFFFFF);
        const QRect inkUp = Ink(up, swatch, grey);
        QVERIFY(!inkUp.isEmpty());
        QCOMPARE(Ink(down, swatch, grey), inkUp.translated(1, 1));
    }

    void disabledIsGreyAndEmbossed()
    {
        Make(RGB(255, 0, 0));
        m_button->setEnabled(false);
        const QImage img = Shot(*m_button);
        const QRect swatch = Swatch(img);
        const QRgb grey = qRgb(200, 200, 200);
        QCOMPARE(img.pixel(swatch.topLeft()) & 0xFFFFFF, grey & 0xFFFFFF);
        QCOMPARE(Count(img, img.rect(), qRgb(255, 0, 0)), 0);
        QVERIFY(!Ink(img, swatch, grey).isEmpty());
    }

    void noFocusRectangle()
    {
        Make(RGB(0, 128, 0));
        QWidget window;
        m_button->setParent(&window);
        QPushButton other(&window);
        other.move(0, 40);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other.setFocus();
        QTRY_VERIFY(other.hasFocus());
        const QImage unfocused = Shot(*m_button);
        m_button->setFocus();
        QTRY_VERIFY(m_button->hasFocus());
        QCOMPARE(Shot(*m_button), unfocused);
        m_button->setParent(nullptr);
    }

};

QTEST_MAIN(TestColorButton)
#include "tst_colorbutton.moc"
