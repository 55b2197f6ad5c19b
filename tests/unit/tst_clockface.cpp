// The renderer: geometry and rounding, the shapes' pixels, the date line, what
// each element shows on rendered faces, painting only where a face changed,
// and any settings and sizes without a crash.

#include <climits>
#include <clocale>
#include <cmath>

#include <QDateTime>
#include <QImage>
#include <QTest>

#include "app/ClockApp.h"
#include "app/SettingsTable.h"
#include "clock/ClockFace.h"
#include "clock/Shapes.h"
#include "platform/Font.h"
#include "platform/RegionSink.h"

using namespace shapes;

namespace {

enum : COLORREF {
    kBackground = 0x101010,
    kDialFill = 0x202020,
    kDialFrame = 0x303030,
    kHourFill = 0x404040,
    kHourFrame = 0x505050,
    kSecondsFrame = 0x909090,
    kDateFill = 0xA0A0A0,
    kDateFrame = 0xB0B0B0
};

std::time_t Utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC).toSecsSinceEpoch();
}

// The whole face of this size at the time.
QImage Face(const FaceSettings& settings, int size, std::time_t t, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, size, format);
    platform::ImageSink sink(image);
    CClockFace(0, 0, size, size).DrawAt(sink, settings, t);
    return image;
}

COLORREF At(const QImage& image, QPoint p)
{
    const QRgb c = image.pixel(p);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// The pixel at distance (1 - v) * r from the centre, at the angle.
QPoint OnAxis(const CClockFace& face, double v, double angle)
{
    double x = 0, y = v * face.m_nRadius - face.m_nRadius;
    CClockFace::Rotate(x, y, angle);
    return QPoint(int(std::floor(x + face.m_nCenterX)), int(std::floor(y + face.m_nCenterY)));
}

// Another value the stored setting may hold, as loading would keep it.
void ChangeAlone(CClockApp& app, const settings::Setting& setting)
{
    if (const auto* text = std::get_if<settings::TextMember>(&setting.member)) {
        QString& face = app.*(*text);
        face = face == QLatin1String("DejaVu Serif") ? QStringLiteral("DejaVu Sans") : QStringLiteral("DejaVu Serif");
    } else if (const auto* color = std::get_if<settings::ColorMember>(&setting.member)) {
        app.*(*color) ^= 0x808080;
    } else {
        int& value = app.*std::get<settings::IntMember>(setting.member);
        if (setting.check == settings::LoadCheck::Width)
            value = (value + 3) % (settings::kMaxWidth + 1);
        else
            value = value == 0 || value == 1 ? 1 - value : value * 2;
    }
}

bool DialNear(const QImage& image, QPoint p)
{
    for (const QPoint d : {QPoint(0, 0), QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)})
        if (const COLORREF c = At(image, p + d); c == kDialFill || c == kDialFrame)
            return true;
    return false;
}

} // namespace

class TestClockFace : public QObject {
    Q_OBJECT

    FaceSettings m_settings;

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
        std::setlocale(LC_ALL, "C");
    }
    void init()
    {
        FaceSettings& a = m_settings = FaceSettings();
        a.m_crDialBackground = kBackground, a.m_crDialFill = kDialFill, a.m_crDialFrame = kDialFrame;
        a.m_crHourFill = kHourFill, a.m_crHourFrame = kHourFrame, a.m_crSecondsFrame = kSecondsFrame;
        a.m_crDateFill = kDateFill, a.m_crDateFrame = kDateFrame, a.m_strFontFace = QStringLiteral("Impact");
        a.m_nFontWeight = 400, a.m_nDialWidth = a.m_nSecondsWidth = a.m_nMinuteWidth = a.m_nHourWidth = 2;
        a.m_bFontItalic = a.m_bShowDay = a.m_bShowAmPm = a.m_bShowDate = a.m_bShowSeconds = a.m_bShowDial = 1;
        a.m_bShowMonth = a.m_bDateBox = 0, a.m_nDateWidth = 2;
    }

    void geometry()
    {
        const CClockFace square(0, 0, 200, 200), wide(0, 0, 201, 151);
        QCOMPARE(QList<int>({square.m_nCenterX, square.m_nCenterY, square.m_nRadius}), QList<int>({100, 100, 98}));
        QCOMPARE(QList<int>({wide.m_nCenterX, wide.m_nCenterY, wide.m_nRadius}), QList<int>({100, 75, 73}));
        for (const auto& [value, pixel] :
             {std::pair(12.5, 12), std::pair(12.50001, 13), std::pair(-0.5, -1), std::pair(-0.4, 0)})
            QCOMPARE(RoundToPixel(value), pixel);
        // The date's cell height, and its box right-aligned inside the rim, one
        // more pixel in from a radius of 500 on.
        QCOMPARE(QList<int>({CClockFace::DateFontHeight(98), CClockFace::DateFontHeight(500)}), QList<int>({17, 90}));
        QCOMPARE(square.DatePosition({60, 17}), QPoint(135, 92));
        QCOMPARE(CClockFace(0, 0, 1004, 1004).DatePosition({61, 18}), QPoint(937, 493));
        // The shapes' vertices, placed, turned and rounded.
        using Points = std::vector<QPoint>;
        const auto at = [](int size, const auto& table, double angle) {
            return CClockFace(0, 0, size, size).BuildPoints(table, Count(table), angle);
        };
        QCOMPARE(at(204, kQuarterMark, 0),
                 (Points{{102, 2}, {104, 3}, {104, 7}, {102, 11}, {99, 7}, {99, 3}, {102, 2}}));
        QCOMPARE(at(204, kHourMark, 30),
                 (Points{{152, 15}, {153, 17}, {152, 20}, {149, 21}, {148, 18}, {150, 15}, {152, 15}}));
        QCOMPARE(at(404, kMinuteTick, 6), (Points{{223, 3}, {221, 5}, {222, 9}, {224, 5}, {223, 3}}));
        QCOMPARE(at(204, kHourHand, 0),
                 (Points{{102, 17}, {110, 47}, {105, 50}, {105, 99}, {99, 99}, {99, 50}, {94, 47}, {102, 17}}));
        QCOMPARE(at(204, kMinuteHand, 0),
                 (Points{{102, 8}, {104, 17}, {104, 112}, {102, 117}, {100, 112}, {100, 17}, {102, 8}}));
        QCOMPARE(at(204, kSecondsHand, 0), (Points{{102, 5},
                                                   {103, 22},
                                                   {103, 112},
                                                   {104, 117},
                                                   {104, 122},
                                                   {102, 127},
                                                   {99, 122},
                                                   {99, 117},
                                                   {101, 112},
                                                   {101, 22},
                                                   {102, 5}}));
    }

    // Ticks from a radius of 151 on, the hour hand's window and the seconds
    // hand's ring from 276 on; the quarter mark at 3 o'clock makes way for the
    // date. At 03:00:05 no hand hides a mark looked at. On a 204 face the hour
    // hand's shaft covers rows 99 to 104, framed two pixels deep, and the hubs'
    // holes show the background.
    void handsAndMarks()
    {
        for (const auto& [size, showDate, ticks, large] :
             {std::tuple(204, false, 0, false), std::tuple(305, true, 0, false), std::tuple(306, false, 48, false),
              std::tuple(555, true, 48, false), std::tuple(556, true, 48, true)}) {
            m_settings.m_bShowDate = showDate;
            const CClockFace face(0, 0, size, size);
            const QImage image = Face(m_settings, size, Utc(2023, 9, 6, 3, 0, 5));
            int found = 0;
            for (int i = 0; i < 60; ++i)
                found += i % 5 != 0 && DialNear(image, OnAxis(face, 0.012, i * 6.0));
            QCOMPARE(found, ticks);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(DialNear(image, OnAxis(face, 0.045, i * 90.0)), i != 1 || !showDate);
            QCOMPARE(At(image, OnAxis(face, 0.4, 90)), large ? kBackground : COLORREF(kHourFill));
            const QPoint ring = OnAxis(face, 0.27, 30) - QPoint(RoundToPixel(0.05 * face.m_nRadius) - 1, 0);
            QCOMPARE(At(image, ring) == kSecondsFrame, large);
            const COLORREF column[] = {kBackground, kHourFrame, kHourFrame, kHourFill,
                                       kHourFill,   kHourFrame, kHourFrame, kBackground};
            for (int i = 0; i < 8 && size == 204; ++i)
                QCOMPARE(At(image, {130, 98 + i}), column[i]);
            QCOMPARE(At(image, {size / 2, size / 2}), kBackground);
        }
        // Between whole hours the hour hand has gone on by its share of the
        // minutes and seconds: half way to four at 03:30, a quarter and a bit
        // on from eleven at 23:15:30.
        const CClockFace face(0, 0, 204, 204);
        for (const auto& [hour, minute, second, angle] :
             {std::tuple(3, 30, 0, 105.0), std::tuple(23, 15, 30, 337.75), std::tuple(9, 20, 30, 280.25)}) {
            const QImage image = Face(m_settings, 204, Utc(2023, 9, 6, hour, minute, second));
            QCOMPARE(At(image, OnAxis(face, 0.4, angle)), COLORREF(kHourFill));
            QCOMPARE(At(image, OnAxis(face, 0.4, angle + 12)) == kHourFill, false);
            QCOMPARE(At(image, OnAxis(face, 0.4, angle - 12)) == kHourFill, false);
        }
        // An image of fewer bits a pixel gets the same face.
        const std::time_t t = Utc(2023, 9, 6, 3, 0, 5);
        QCOMPARE(Face(m_settings, 204, t, QImage::Format_RGB888).convertToFormat(QImage::Format_RGB32),
                 Face(m_settings, 204, t));
    }

    // Weekday 1, month 2, AM/PM 4; italic adds a space for the last letter's lean.
    void date()
    {
        for (const auto& [options, hour, expected] :
             {std::tuple(0, 15, " 06 "), std::tuple(1, 15, " Wed 06 "), std::tuple(2, 15, " Sep 06 "),
              std::tuple(7, 3, " AM Wed Sep 06 ")})
            for (int italic : {0, 1}) {
                m_settings.m_bShowDay = options & 1, m_settings.m_bShowMonth = options & 2,
                m_settings.m_bShowAmPm = options & 4;
                m_settings.m_bFontItalic = italic;
                QCOMPARE(CClockFace::DateText(Utc(2023, 9, 6, hour, 4, 5), m_settings),
                         expected + QString(italic, ' '));
            }

        // The boxed form is the box with the letters cut out, the plain form the
        // letters alone: inside the box exactly one of them paints each pixel. A
        // positive font height is the whole cell: the tallest font that fits it.
        // At nine the hands and their hubs keep left of the box.
        m_settings.m_bShowDial = m_settings.m_bShowSeconds = m_settings.m_bShowAmPm = m_settings.m_bShowMonth = 0;
        const std::time_t t = Utc(2023, 9, 6, 9, 0, 0);
        platform::LOGFONT lf;
        lf.lfHeight = CClockFace::DateFontHeight(200), lf.lfItalic = 1;
        platform::SetFaceName(lf, m_settings.m_strFontFace);
        const QFont font = platform::CreateFontIndirect(lf);
        const QSize extent = platform::GetTextExtent(font, CClockFace::DateText(t, m_settings));
        QVERIFY(extent.height() <= lf.lfHeight && extent.height() >= lf.lfHeight - 2);
        // Leaning letters reach out of their box, never out of the bounds a
        // clipped draw goes by.
        const QSize leaning = platform::GetTextExtent(font, QStringLiteral("jf"));
        const QRect ink = platform::TextToRegion(font, QStringLiteral("jf"), 9, 9).boundingRect();
        QVERIFY(!QRect(QPoint(9, 9), leaning).contains(ink) && platform::TextBounds(font, leaning, 9, 9).contains(ink));
        const QRect box(CClockFace(0, 0, 404, 404).DatePosition(extent), extent);
        QVERIFY(box.left() > 214);
        m_settings.m_bDateBox = 1;
        const QImage boxed = Face(m_settings, 404, t);
        m_settings.m_bDateBox = 0;
        const QImage letters = Face(m_settings, 404, t);
        int fill = 0;
        for (int y = 0; y < 404; ++y)
            for (int x = 214; x < 404; ++x) {
                const bool inBoxed = At(boxed, {x, y}) != kBackground, inLetters = At(letters, {x, y}) != kBackground;
                QVERIFY(box.contains(x, y) ? inBoxed != inLetters : inBoxed == inLetters);
                fill += At(letters, {x, y}) == kDateFill;
            }
        QVERIFY(fill > 0);
        // The box is outlined; the trailing spaces leave it filled.
        QCOMPARE(At(boxed, box.topLeft()), COLORREF(kDateFrame));
        QCOMPARE(At(boxed, {box.right() - 3, box.center().y()}), COLORREF(kDateFill));

        // A locale's month name in a script the italic face lacks is drawn by a
        // face that has it, with about the upright face's ink, not as boxes.
        const QString month = QString::fromUtf8("\u064a\u0646\u0627\u064a\u0631");
        platform::LOGFONT upright = lf;
        upright.lfItalic = 0;
        const auto inkOf = [](const QFont& f, const QString& s) {
            int n = 0;
            for (const QRect& r :
                 platform::TextToRegion(f, s, 9, 9).xored(QRect({9, 9}, platform::GetTextExtent(f, s))))
                n += r.width() * r.height();
            return n;
        };
        const int italicInk = inkOf(font, month), uprightInk = inkOf(platform::CreateFontIndirect(upright), month);
        QVERIFY(italicInk != inkOf(font, QString(month.size(), QChar(0xFFFF))));
        QVERIFY2(italicInk > uprightInk / 2 && italicInk < uprightInk * 2, qPrintable(QString::number(italicInk)));
    }

    // Painting only where the hands moved gives the face drawn whole by a new
    // face, as the hands cross the date and the hub, the date turns (day and
    // AM/PM) and settings change, with absurd settings too; a draw for the
    // same time touches no pixel.
    void drawChangedEqualsWholeDraw()
    {
        for (int size : {120, 306, 604, 760})
            for (int variant : {0, 1, 2, 3, 4, 5}) {
                init();
                FaceSettings& a = m_settings;
                if (variant == 1)
                    a.m_bDateBox = a.m_bShowMonth = 1, a.m_nHourWidth = a.m_nMinuteWidth = a.m_nSecondsWidth = 5;
                if (variant == 2)
                    a.m_bShowSeconds = a.m_bShowDial = a.m_bShowDate = 0;
                if (variant == 3)
                    a.m_nHourWidth = 0, a.m_nMinuteWidth = -3, a.m_nDialWidth = INT_MIN, a.m_crSecondsFill = 0;
                // Frames wider than the rows the changed area comes in.
                if (variant == 5)
                    a.m_nHourWidth = 12, a.m_nMinuteWidth = 6, a.m_nSecondsWidth = 17, a.m_nDialWidth = 6,
                    a.m_nDateWidth = 11, a.m_bDateBox = 1;
                if (variant == 4)
                    a.m_nSecondsWidth = a.m_nDateWidth = INT_MAX, a.m_nFontWeight = 1000000000,
                    a.m_strFontFace = QString(10000, QLatin1Char('W')), a.m_crHourFill = 0xFFFFFFFF;
                QImage drawn(size, size, QImage::Format_RGB32);
                platform::ImageSink sink(drawn);
                CClockFace face(0, 0, size, size);
                std::time_t t = Utc(2023, 9, 6, 23, 59, 57);
                face.DrawChanged(sink, a, t, true);
                // 0 repeats the time; -1 changes a setting instead.
                for (int step : {1, 0, 1, 1, 13, 1, 1, 14 * 60, 60, 1, -1, 12 * 3600, 1, 28, 1}) {
                    if (step < 0)
                        a.m_crDateFill = kHourFill, a.m_nHourWidth = 3, a.m_nFontWeight += 300;
                    t += std::max(step, 0);
                    const QRegion area = face.DrawChanged(sink, a, t, false);
                    QVERIFY2(drawn == Face(m_settings, size, t),
                             qPrintable(QStringLiteral("%1/%2").arg(size).arg(variant)));
                    QVERIFY(step != 0 || area.isEmpty());
                }
                // Faces of absurd rectangles draw without a crash.
                for (const QRect& r : {QRect(QPoint(0, 0), QPoint(4, 4)), QRect(QPoint(50, 50), QPoint(-50, -50)),
                                       QRect(QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX))})
                    if (size == 120)
                        CClockFace(r.left(), r.top(), r.right(), r.bottom()).DrawChanged(sink, a, t, false);
            }
    }
    // Every stored setting changed alone, the time kept: the next partial
    // draw onto the last frame is the face drawn whole, and the pixels change
    // exactly when a setting the face is given did.
    void everySettingRedrawsWhatItChanges()
    {
        const int size = 604; // every element shows, the seconds hand with a fill
        const std::time_t t = Utc(2023, 9, 27, 16, 7, 45);
        for (const settings::Setting& setting : settings::kSettings) {
            CClockApp app;
            app.SetScreenSize(QSize(1280, 1024));
            app.UseIniFileAt(QStringLiteral("/dev/null"));
            app.LoadSettings();
            QImage drawn(size, size, QImage::Format_RGB32);
            platform::ImageSink sink(drawn);
            CClockFace face(0, 0, size, size);
            const FaceSettings before = FaceSettings::Of(app);
            face.DrawChanged(sink, before, t, true);
            const QImage last = drawn;
            ChangeAlone(app, setting);
            const FaceSettings after = FaceSettings::Of(app);
            face.DrawChanged(sink, after, t, false);
            const QImage whole = Face(after, size, t);
            QVERIFY2(drawn == whole, setting.key);
            QVERIFY2((whole != last) == (after != before), setting.key);
        }
    }
};

QTEST_MAIN(TestClockFace)
#include "tst_clockface.moc"
