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
};

QTEST_MAIN(TestLayered)
#include "tst_layered.moc"
