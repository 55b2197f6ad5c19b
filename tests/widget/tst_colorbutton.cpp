// The colour swatch button's drawing, probed pixel by pixel.

#include <cmath>

#include <QTest>

#include "config/ColorButton.h"

namespace {

void Setup(CColorButton& b, COLORREF colour)
{
    b.setText(QStringLiteral("Fill Color..."));
    b.resize(120, 30);
    b.SetColor(colour);
}

QImage Shot(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The swatch inside the two-pixel edge; the bounding box of its pixels that are
// (or are not) `colour`.
QRect Swatch(const QImage& img) { return img.rect().adjusted(2, 2, -2, -2); }
QRect Box(const QImage& img, QRgb colour, bool equal)
{
    QRect box;
    const QRect r = Swatch(img);
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) == equal)
                box |= QRect(x, y, 1, 1);
    return box;
}
QRect Ink(const QImage& img, QRgb swatch) { return Box(img, swatch, false); }

// Relative luminance of a grey level, for contrast ratios.
double Luminance(int grey)
{
    const double c = grey / 255.0;
    return (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4)) + 0.05;
}

} // namespace

class TestColorButton : public QObject {
    Q_OBJECT

private slots:
    void textColourRule_data()
    {
        QTest::addColumn<COLORREF>("colour");
        QTest::addColumn<QRgb>("text");
        QTest::addColumn<QRgb>("never");
        QTest::newRow("sum 299") << RGB(100, 100, 99) << qRgb(255, 255, 254) << qRgb(0, 0, 0);
        QTest::newRow("sum 300") << RGB(100, 100, 100) << qRgb(0, 0, 0) << qRgb(255, 255, 254);
    }
    void textColourRule()
    {
        QFETCH(COLORREF, colour);
        QFETCH(QRgb, text);
        QFETCH(QRgb, never);
        CColorButton b;
        Setup(b, colour);
        const QImage img = Shot(b);
        QVERIFY(!Box(img, text, true).isEmpty());
        QVERIFY(Box(img, never, true).isEmpty());
    }

    void pressedMovesTextOnePixel()
    {
        const QRgb grey = qRgb(80, 80, 80);
        CColorButton b;
        Setup(b, RGB(80, 80, 80));
        const QRect inkUp = Ink(Shot(b), grey);
        b.setDown(true);
        QCOMPARE(Ink(Shot(b), grey), inkUp.translated(1, 1));
    }

    // A grey swatch, and a grey caption that reads on it
    // (contrast at least 2.5 : 1) yet not as an enabled one (black is 12.6 : 1),
    // embossed with a highlight lighter than the swatch.
    void disabledIsGreyAndLegible()
    {
        CColorButton b;
        Setup(b, RGB(255, 0, 0));
        b.setEnabled(false);
        const QImage img = Shot(b);
        const QRgb swatch = img.pixel(Swatch(img).topLeft());
        QCOMPARE(swatch & 0xFFFFFF, 0xC8C8C8u);
        const QRect ink = Ink(img, swatch);
        int darkest = 255, lightest = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x) {
                darkest = std::min(darkest, qGray(img.pixel(x, y)));
                lightest = std::max(lightest, qGray(img.pixel(x, y)));
            }
        const double contrast = Luminance(qGray(swatch)) / Luminance(darkest);
        QVERIFY2(contrast >= 2.5 && contrast < 7, qPrintable(QString::number(contrast)));
        QVERIFY(lightest > qGray(swatch));
    }

    void noFocusRectangle()
    {
        QWidget window;
        CColorButton b(&window);
        Setup(b, RGB(0, 128, 0));
        const QImage unfocused = Shot(b);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        b.setFocus();
        QTRY_VERIFY(b.hasFocus());
        QCOMPARE(Shot(b), unfocused);
    }
};

QTEST_MAIN(TestColorButton)
#include "tst_colorbutton.moc"
