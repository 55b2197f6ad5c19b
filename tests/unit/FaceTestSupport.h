#pragma once
// Shared by the renderer's tests: a distinct colour for every element, and
// faces or single drawers rendered onto a known colour.

#include <clocale>
#include <ctime>

#include <QDateTime>
#include <QImage>
#include <QPainter>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"

namespace facetest {

enum : COLORREF {
    kUnder = 0x00FF00,  // the image before anything is drawn
    kBackground = 0x101010, kDialFill = 0x202020, kDialFrame = 0x303030,
    kHourFill = 0x404040, kHourFrame = 0x505050, kSecondsFrame = 0x909090,
    kDateFill = 0xA0A0A0, kDateFrame = 0xB0B0B0,
};

// The zone and locale the tests expect, whoever runs them.
inline void UseUtcAndCLocale()
{
    qputenv("TZ", "UTC");
    tzset();
    std::setlocale(LC_ALL, "C");
}

inline std::time_t Utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC).toSecsSinceEpoch();
}

inline void SetFaceSettings()
{
    CClockApp& a = theApp;
    a.m_crClear = 0xFFFFFF;
    a.m_crDialBackground = kBackground;
    a.m_crDialFill = kDialFill; a.m_crDialFrame = kDialFrame;
    a.m_crHourFill = kHourFill; a.m_crHourFrame = kHourFrame;
    a.m_crMinuteFill = 0x606060; a.m_crMinuteFrame = 0x707070;
    a.m_crSecondsFill = 0x808080; a.m_crSecondsFrame = kSecondsFrame;
    a.m_crDateFill = kDateFill; a.m_crDateFrame = kDateFrame;
    a.m_strFontFace = QStringLiteral("Impact");
    a.m_nFontWeight = 400;
    a.m_nDialWidth = a.m_nSecondsWidth = a.m_nMinuteWidth = a.m_nHourWidth = a.m_nDateWidth = 2;
    a.m_bFontItalic = a.m_bShowDay = a.m_bShowAmPm = a.m_bShowDate = a.m_bShowSeconds = a.m_bShowDial = 1;
    a.m_bShowMonth = a.m_bDateBox = 0;
}

class OpenFace : public CClockFace {
public:
    using CClockFace::CClockFace;
    using CClockFace::DrawDate;
    using CClockFace::DrawDial;
    using CClockFace::DrawHourHand;
    using CClockFace::DrawSecondsHand;
};

// What `draw` paints with a size x size face on an image of kUnder.
template <typename Draw>
QImage RenderWith(int size, Draw draw)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(ToQRgb(kUnder));
    QPainter dc(&image);
    OpenFace face(0, 0, size, size);
    face.m_pDC = &dc;
    draw(face);
    face.m_pDC = nullptr;
    return image;
}

inline COLORREF At(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

} // namespace facetest
