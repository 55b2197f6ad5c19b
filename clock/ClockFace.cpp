#include "clock/ClockFace.h"
#include "clock/Shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/Clock.h"
#include "platform/Font.h"
#include "platform/Region.h"
#include "platform/RegionSink.h"

namespace {

using platform::CombineMode;
using platform::CombineRgn;
using namespace shapes;

int ClampToInt(long long v)
{
    return int(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Wider frames than this are absurd: they are not worth a finer clip.
constexpr long long kWidestFrame = 1 << 16;

// A frame lies within its width of a shape's edge, so shapes built this far
// beyond the device are framed there as they would be whole.
int FrameMargin(const FaceSettings& s)
{
    long long widest = 0;
    for (long long w : {s.m_nDialWidth, s.m_nSecondsWidth, s.m_nMinuteWidth, s.m_nHourWidth, s.m_nDateWidth})
        widest = std::max(widest, std::min(std::abs(w), kWidestFrame));
    return int(widest) + 2;
}

// The pixels whose centres a polygon of these points can hold.
QRect BoundingBox(const std::vector<QPoint>& points)
{
    if (points.empty())
        return {};
    int left = points.front().x(), right = left, top = points.front().y(), bottom = top;
    for (const QPoint& p : points) {
        left = std::min(left, p.x()), right = std::max(right, p.x());
        top = std::min(top, p.y()), bottom = std::max(bottom, p.y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

int RoundToPixel(double v)
{
    if (std::isnan(v))
        return 0;
    const double f = std::floor(v);
    const double r = (v - f <= 0.5) ? f : std::ceil(v);
    if (r <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (r >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(r);
}

CClockFace::CClockFace(int left, int top, int right, int bottom)
{
    m_rcFace = RECT{left, top, right, bottom};
    m_rcClip = platform::NoClip();
    // In 64 bits, so that no rectangle can overflow the sums.
    m_nCenterX = int(((long long)left + right) / 2);
    m_nCenterY = int(((long long)top + bottom) / 2);
    const long long side = std::min((long long)right - left, (long long)bottom - top);
    m_nRadius = ClampToInt(side / 2 - 2);
}

CClockFace::~CClockFace() = default;

void CClockFace::Draw(platform::RegionSink& target, const FaceSettings& settings)
{
    DrawAt(target, settings, platform::Clock().Now());
}

void CClockFace::DrawAt(platform::RegionSink& target, const FaceSettings& settings, std::time_t time)
{
    // Painted as built: no region outlives its painting.
    Begin(target, settings);
    DrawDial();
    // A face too small to have a radius shows its background alone.
    if (m_nRadius > 0) {
        DrawDate(time);
        DrawHands(time);
    }
    End();
}

QRegion CClockFace::DrawChanged(platform::RegionSink& target, const FaceSettings& settings, std::time_t time,
                                bool whole)
{
    Begin(target, settings);
    Scene scene{m_rcDevice, settings, m_nRadius > 0 && settings.m_bShowDate ? DateText(time, settings) : QString()};
    const bool sameScene = !whole && m_lastScene && *m_lastScene == scene;
    // The hands first: where they were and where they are now decide what
    // has to be painted. In the same scene a hand made from the same points
    // is the last draw's.
    std::vector<Element> hands;
    m_pHands = &hands;
    m_pLastHands = sameScene ? &m_lastHands : nullptr;
    if (m_nRadius > 0)
        DrawHands(time);
    m_pHands = nullptr;
    m_pLastHands = nullptr;
    QRegion area;
    if (!sameScene) {
        area = m_rcDevice;
    } else {
        // The same scene makes the same hands in the same looks: where one
        // moved, every layer is painted again, in bands of rows that are cheap
        // to clip to and to send on. A hand differs where its shape did and,
        // since a pixel is frame by the shape within the frame's width of it,
        // that far around.
        platform::BandCover cover;
        for (std::size_t i = 0; i < hands.size() && i < m_lastHands.size(); ++i) {
            const QRegion& now = hands[i].rgn;
            const QRegion& before = m_lastHands[i].rgn;
            if (now == before)
                continue;
            const long long reach = std::abs((long long)hands[i].width);
            if (reach > kWidestFrame)
                cover.Add(now).Add(before);
            else
                cover.AddDifference(now, before, int(reach));
        }
        area = cover.Region().intersected(m_rcDevice);
    }
    if (!area.isEmpty()) {
        // Each layer in its order, built and painted only as far as the area
        // reaches.
        if (area != QRegion(m_rcDevice))
            m_pArea = &area;
        DrawDial();
        if (m_nRadius > 0)
            DrawDate(time);
        // The hands lie on top, in their order, clipped like the rest: painting
        // a moved hand whole would spare the clipping but, on the X server,
        // costs more in filling than it spares here.
        for (Element& hand : hands)
            PaintElement(hand);
    }
    m_lastHands = std::move(hands);
    m_lastScene = std::move(scene);
    End();
    return area;
}

bool CClockFace::RecallHand(const std::vector<QPoint>& key)
{
    if (!m_pHands || !m_pLastHands)
        return false;
    const std::size_t slot = m_pHands->size();
    if (slot >= m_pLastHands->size() || (*m_pLastHands)[slot].key != key)
        return false;
    m_pHands->push_back((*m_pLastHands)[slot]);
    return true;
}

void CClockFace::PaintHand(const QRegion& rgn, std::vector<QPoint> key, COLORREF fill, COLORREF frame, int width)
{
    if (m_pHands)
        m_pHands->push_back({rgn, fill, frame, width, std::move(key), {}, false});
    else
        PaintRegion(rgn, fill, frame, width);
}

void CClockFace::PaintElement(Element& hand)
{
    if (!m_pTarget || hand.rgn.isEmpty())
        return;
    // A region away from the area shows in it neither its frame nor its fill.
    if (m_pArea && !hand.rgn.boundingRect().intersects(m_pArea->boundingRect()))
        return;
    // A pixel's fill or frame depends on nothing but the whole region, so
    // any area takes its part of them; the inner part is kept with the hand.
    if (hand.width != 0 && !hand.innerMade) {
        hand.inner = platform::InnerRegion(hand.rgn, hand.width, hand.width);
        hand.innerMade = true;
    }
    PaintFramed(hand.rgn, hand.inner, hand.fill, hand.frame, hand.width);
}

void CClockFace::Begin(platform::RegionSink& target, const FaceSettings& settings)
{
    m_pTarget = &target;
    m_pSettings = &settings;
    // Shapes are only built where they can reach the device; the margin keeps
    // frames along the device's edges as they would be without the clip.
    m_rcDevice = QRect(QPoint(), target.Size());
    const int margin = FrameMargin(settings);
    m_rcClip = m_rcDevice.adjusted(-margin, -margin, margin, margin).intersected(platform::NoClip());
    m_pArea = nullptr;
}

void CClockFace::End()
{
    m_pArea = nullptr;
    m_rcClip = platform::NoClip();
    m_pTarget = nullptr;
    m_pSettings = nullptr;
}

void CClockFace::DrawHands(std::time_t time)
{
    const std::tm tm = platform::LocalTime(time);
    DrawHourHand(tm.tm_hour, tm.tm_min, tm.tm_sec);
    DrawMinuteHand(tm.tm_min, tm.tm_sec);
    DrawSecondsHand(tm.tm_sec);
}

QRect CClockFace::BuildClip(const QRect& box, int width) const
{
    if (!m_pArea)
        return m_rcClip;
    QRect meet;
    if (box.intersects(m_pArea->boundingRect()))
        for (const QRect& r : *m_pArea)
            meet |= r & box;
    if (meet.isEmpty())
        return {};
    // Whether a pixel is frame depends only on the shape within the frame's
    // width of it: built this far around, the shape is framed as it is whole.
    const long long reach = std::abs((long long)width);
    if (reach > kWidestFrame)
        return m_rcClip;
    return meet.adjusted(-int(reach), -int(reach), int(reach), int(reach)).intersected(m_rcClip);
}

void CClockFace::Rotate(double& x, double& y, double degrees)
{
    const double halfPi = std::asin(1.0);
    const double k = 1.0 / 90.0;
    const double a = -(halfPi * degrees * k);
    const double s = std::sin(a);
    const double c = std::cos(a);
    const double nx = c * x + s * y;
    const double ny = c * y - s * x;
    x = nx;
    y = ny;
}

std::vector<QPoint> CClockFace::BuildPoints(const ShapeVertex* table, int n, double angle) const
{
    std::vector<QPoint> points;
    if (n <= 0)
        return points;
    points.reserve(std::size_t(n) + 1);
    const double r = m_nRadius;
    for (int i = 0; i < n; ++i) {
        double x = table[i].u * r;
        double y = table[i].v * r - r;
        Rotate(x, y, angle);
        x = x + m_nCenterX;
        y = y + m_nCenterY;
        points.emplace_back(RoundToPixel(x), RoundToPixel(y));
    }
    points.push_back(points.front());
    return points;
}

QRegion CClockFace::MakeDisc(double k) const
{
    const long long e = RoundToPixel(k * m_nRadius);
    return platform::CreateEllipticRgn(ClampToInt(m_nCenterX - e), ClampToInt(m_nCenterY - e),
                                       ClampToInt(m_nCenterX + e), ClampToInt(m_nCenterY + e), m_rcClip);
}

void CClockFace::PaintRegion(const QRegion& rgn, COLORREF fill, COLORREF frame, int width)
{
    if (!m_pTarget || rgn.isEmpty())
        return;
    if (!m_pArea) {
        PaintFramed(rgn, width != 0 ? platform::InnerRegion(rgn, width, width) : QRegion(), fill, frame, width);
        return;
    }
    // Only the part of the area within the region's box can show it.
    const QRect box = rgn.boundingRect();
    const QRect clip = BuildClip(box, width);
    if (clip.isEmpty())
        return;
    const QRegion near = clip.contains(box) ? rgn : rgn.intersected(clip);
    PaintFramed(near, width != 0 ? platform::InnerRegion(near, width, width) : QRegion(), fill, frame, width);
}

void CClockFace::PaintFramed(const QRegion& rgn, const QRegion& inner, COLORREF fill, COLORREF frame, int width)
{
    const auto part = [this](const QRegion& r) { return m_pArea ? r.intersected(*m_pArea) : r; };
    if (width == 0) {
        m_pTarget->FillRegion(part(rgn), fill);
        return;
    }
    m_pTarget->FillRegion(part(rgn), frame);
    m_pTarget->FillRegion(part(inner), fill);
}

QString CClockFace::DateText(std::time_t t, const FaceSettings& settings)
{
    std::string format = " %d ";
    if (settings.m_bShowMonth)
        format = " %b" + format;
    if (settings.m_bShowDay)
        format = " %a" + format;
    if (settings.m_bShowAmPm)
        format = " %p" + format;
    if (settings.m_bFontItalic)
        format += " ";
    const std::tm tm = platform::LocalTime(t);
    char text[256];
    const std::size_t n = std::strftime(text, sizeof text, format.c_str(), &tm);
    return QString::fromLocal8Bit(text, qsizetype(n));
}

void CClockFace::DrawDial()
{
    const FaceSettings& s = *m_pSettings;
    // Within the clip's range, so that the rectangle's width cannot overflow.
    const QRect& c = m_rcClip;
    const QRect face(
        QPoint(std::clamp(m_rcFace.left, c.left(), c.right() + 1), std::clamp(m_rcFace.top, c.top(), c.bottom() + 1)),
        QPoint(std::clamp(m_rcFace.right, c.left(), c.right() + 1) - 1,
               std::clamp(m_rcFace.bottom, c.top(), c.bottom() + 1) - 1));
    m_pTarget->FillRegion(m_pArea ? m_pArea->intersected(face) : QRegion(face), s.m_crDialBackground);
    if (!s.m_bShowDial || m_nRadius <= 0)
        return;
    const COLORREF fill = s.m_crDialFill;
    const COLORREF frame = s.m_crDialFrame;
    const int width = s.m_nDialWidth;
    const auto mark = [&](const ShapeVertex* table, int n, double angle) {
        const std::vector<QPoint> points = BuildPoints(table, n, angle);
        const QRect clip = m_pArea ? BuildClip(BoundingBox(points), width) : m_rcClip;
        if (!clip.isEmpty())
            PaintRegion(platform::CreatePolygonRgn(points, clip), fill, frame, width);
    };

    if (m_nRadius > 150) {
        for (int i = 0; i < 60; ++i)
            if (i % 5 != 0)
                mark(kMinuteTick, Count(kMinuteTick), i * 6.0);
    }
    for (int i = 0; i < 12; ++i)
        if (i % 3 != 0)
            mark(kHourMark, Count(kHourMark), i * 30.0);
    for (int i = 0; i < 4; ++i) {
        // The date line stands at 3 o'clock.
        if (i == 1 && s.m_bShowDate)
            continue;
        mark(kQuarterMark, Count(kQuarterMark), i * 90.0);
    }
}

void CClockFace::DrawDate(std::time_t time)
{
    const FaceSettings& s = *m_pSettings;
    if (!s.m_bShowDate)
        return;
    // Built as far beyond the device as its own frame reaches, so that the
    // other elements' widths do not make it anew.
    const int reach = int(std::min(std::abs((long long)s.m_nDateWidth), kWidestFrame)) + 2;
    const QRect clip = m_rcDevice.adjusted(-reach, -reach, reach, reach).intersected(platform::NoClip());
    DateLine line{DateText(time, s),
                  s.m_strFontFace,
                  s.m_nFontWeight,
                  s.m_bFontItalic,
                  DateFontHeight(m_nRadius),
                  s.m_nDateWidth,
                  s.m_bDateBox,
                  clip,
                  {}};
    if (!m_date || !m_date->MadeFrom(line)) {
        // Built whole, whatever part of the device this draw paints: the
        // part of it near any area is what a build for that area gives.
        m_date.reset();
        platform::OnPassingThread([&] {
            platform::LOGFONT lf;
            lf.lfHeight = line.height;
            lf.lfWeight = line.weight;
            lf.lfItalic = line.italic ? 1 : 0;
            platform::SetFaceName(lf, line.face);
            const QFont font = platform::CreateFontIndirect(lf);

            const QSize extent = platform::GetTextExtent(font, line.text);
            const QPoint at = DatePosition(extent);
            const long long right = (long long)at.x() + extent.width();
            const long long bottom = (long long)at.y() + extent.height();
            line.rgn = platform::TextToRegion(font, line.text, at.x(), at.y(), line.clip);
            if (!line.box) {
                // Take the box away again: the letters alone remain.
                const QRegion box = platform::CreateRectRgn(at.x(), at.y(), ClampToInt(right), ClampToInt(bottom))
                                        .intersected(line.clip);
                CombineRgn(line.rgn, line.rgn, box, CombineMode::Xor);
            }
        });
        m_date = std::move(line);
    }
    // Framed where it is painted: within an area, only the part near it.
    PaintRegion(m_date->rgn, s.m_crDateFill, s.m_crDateFrame, m_date->width);
}

int CClockFace::DateFontHeight(int radius) { return int(0.18 * radius); }

QPoint CClockFace::DatePosition(const QSize& extent) const
{
    const long long x = (long long)m_nCenterX + m_nRadius - m_nRadius / 500 - extent.width() - 3;
    const long long y = (long long)m_nCenterY - extent.height() / 2;
    return QPoint(ClampToInt(x), ClampToInt(y));
}

double CClockFace::HourAngle(int hour, int minute, int second)
{
    const double k = 1.0 / 120.0;
    return (hour % 12) * 30.0 + second * k + minute * 0.5;
}

double CClockFace::MinuteAngle(int minute, int second) { return second * 0.1 + minute * 6.0; }

double CClockFace::SecondsAngle(int second) { return second * 6.0; }

void CClockFace::DrawHourHand(int hour, int minute, int second)
{
    const FaceSettings& s = *m_pSettings;
    const double angle = HourAngle(hour, minute, second);

    const std::vector<QPoint> shape = BuildPoints(kHourHand, Count(kHourHand), angle);
    std::vector<QPoint> window;
    if (m_nRadius > 275)
        window = BuildPoints(kHourWindow, Count(kHourWindow), angle);
    std::vector<QPoint> key = shape;
    key.insert(key.end(), window.begin(), window.end());
    if (RecallHand(key))
        return;
    QRegion hand = platform::CreatePolygonRgn(shape, m_rcClip);
    CombineRgn(hand, hand, MakeDisc(0.05), CombineMode::Or);
    CombineRgn(hand, hand, MakeDisc(0.028), CombineMode::Xor);
    if (!window.empty())
        CombineRgn(hand, hand, platform::CreatePolygonRgn(window, m_rcClip), CombineMode::Xor);
    PaintHand(hand, std::move(key), s.m_crHourFill, s.m_crHourFrame, s.m_nHourWidth);
}

void CClockFace::DrawMinuteHand(int minute, int second)
{
    const FaceSettings& s = *m_pSettings;
    const double angle = MinuteAngle(minute, second);

    std::vector<QPoint> shape = BuildPoints(kMinuteHand, Count(kMinuteHand), angle);
    if (RecallHand(shape))
        return;
    QRegion hand = platform::CreatePolygonRgn(shape, m_rcClip);
    CombineRgn(hand, hand, MakeDisc(0.04), CombineMode::Or);
    CombineRgn(hand, hand, MakeDisc(0.023), CombineMode::Xor);
    PaintHand(hand, std::move(shape), s.m_crMinuteFill, s.m_crMinuteFrame, s.m_nMinuteWidth);
}

void CClockFace::DrawSecondsHand(int second)
{
    const FaceSettings& s = *m_pSettings;
    if (!s.m_bShowSeconds)
        return;
    const double angle = SecondsAngle(second);

    const std::vector<QPoint> shape = BuildPoints(kSecondsHand, Count(kSecondsHand), angle);
    // The ring sits on the hand's exact (unrounded) centre line; only the
    // edges of its boxes are rounded.
    std::vector<QRect> ring;
    if (m_nRadius > 275) {
        const double r = m_nRadius;
        double x = 0;
        double y = 0.27 * r - r;
        Rotate(x, y, angle);
        x = x + m_nCenterX;
        y = y + m_nCenterY;
        for (const double k : {0.05, 0.035}) {
            const int e = RoundToPixel(k * r);
            ring.emplace_back(QPoint(RoundToPixel(x - e), RoundToPixel(y - e)),
                              QPoint(RoundToPixel(x + e), RoundToPixel(y + e)));
        }
    }
    std::vector<QPoint> key = shape;
    for (const QRect& box : ring)
        key.insert(key.end(), {box.topLeft(), box.bottomRight()});
    if (RecallHand(key))
        return;
    QRegion hand = platform::CreatePolygonRgn(shape, m_rcClip);
    CombineRgn(hand, hand, MakeDisc(0.05), CombineMode::Or);
    CombineRgn(hand, hand, MakeDisc(0.028), CombineMode::Xor);
    const CombineMode modes[] = {CombineMode::Or, CombineMode::Xor};
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const QRect& box = ring[i];
        CombineRgn(hand, hand, platform::CreateEllipticRgn(box.left(), box.top(), box.right(), box.bottom(), m_rcClip),
                   modes[i]);
    }
    PaintHand(hand, std::move(key), s.m_crSecondsFill, s.m_crSecondsFrame, s.m_nSecondsWidth);
}
