// What the desktop receives: the clear colour transparent, every other pixel
// at the window's opacity, nothing outside the window's circle.

#include <QRandomGenerator>
#include <QTest>

#include "clock/LayeredImage.h"
#include "platform/Region.h"

namespace {

constexpr COLORREF kClear = 0x00FFFF;  // yellow

// Runs of the clear colour and of repeated colours, as a face has them, and
// an odd width, so that rows end between blocks of pixels.
QImage Face(int width, int height)
{
    QImage face(width, height, QImage::Format_RGB32);
    QRandomGenerator random(42);
    QRgb colour = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const quint32 pick = random.bounded(10u);
            colour = pick < 3 ? ToQRgb(kClear) : pick < 7 ? 0xFF000000u | random.bounded(0x1000000u) : colour;
            face.setPixel(x, y, colour);
        }
    return face;
}

QRgb Expected(QRgb p, bool inCircle, int opacity)
{
    if (!inCircle || (p | 0xFF000000u) == ToQRgb(kClear))
        return 0;
    return qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), opacity & 0xFF));
}

} // namespace

class TestLayered : public QObject {
    Q_OBJECT
private slots:
    void alphaRules()
    {
        const QImage face = Face(61, 47);
        const QRegion circle = platform::CreateEllipticRgn(0, 0, face.width(), face.height());
        for (int opacity : {0, 1, 128, 255, 256, 384, -1}) {
            const QImage layered = ToLayered(face, kClear, opacity);
            QCOMPARE(layered.format(), QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < face.height(); ++y)
                for (int x = 0; x < face.width(); ++x)
                    QCOMPARE(layered.pixel(x, y), Expected(face.pixel(x, y), circle.contains(QPoint(x, y)), opacity));
        }
    }

    void everyChannelAtEveryAlphaRoundsExactly()
    {
        QImage face(256, 3, QImage::Format_RGB32);  // the middle row lies nearly all in the circle
        face.fill(ToQRgb(kClear));
        for (int v = 0; v < 256; ++v)
            face.setPixel(v, 1, qRgb(v, 255 - v, v / 2));
        const auto span = platform::EllipseRowSpan(0, 0, 256, 3, 1);
        QVERIFY(span.second - span.first > 200);
        for (int a = 0; a < 256; ++a) {
            const QImage out = ToLayered(face, kClear, a);
            for (int x = span.first; x < span.second; ++x)
                QCOMPARE(out.pixel(x, 1), Expected(face.pixel(x, 1), true, a));
        }
    }

    void faceAlphaIsIgnored()
    {
        QImage face(8, 8, QImage::Format_ARGB32);
        face.fill(qRgba(255, 255, 0, 0));  // the clear colour, alpha 0
        face.setPixel(4, 4, qRgba(0, 0, 255, 17));
        const QImage out = ToLayered(face, kClear, 255);
        QCOMPARE(out.pixel(3, 3), 0u);
        QCOMPARE(out.pixel(4, 4), qRgba(0, 0, 255, 255));
    }

    void intoAPreparedImageAndOnlyWithinTheRectangle()
    {
        const QImage face = Face(64, 64);
        const QImage whole = ToLayered(face, kClear, 200);
        QImage out(64, 64, QImage::Format_ARGB32_Premultiplied);
        const uchar* bits = out.constBits();
        out.fill(0x12345678u);
        const QRect rect(10, 20, 23, 17);
        ToLayered(face, out, kClear, 200, rect);
        QCOMPARE(out.constBits(), bits);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                QCOMPARE(out.pixel(x, y), rect.contains(x, y) ? whole.pixel(x, y) : 0x12345678u);
        ToLayered(face, out, kClear, 200);
        QCOMPARE(out, whole);
        QVERIFY(ToLayered(QImage(), kClear, 128).isNull());
    }
};

QTEST_MAIN(TestLayered)
#include "tst_layered.moc"
