#pragma once
// The renderer: turns the current local time and the settings into filled and
// framed regions. It is handed the settings and its target at every draw and
// builds every region anew, but for the date line's and the hands', which it
// keeps for as long as everything they are made from stays the same; between
// draws it keeps besides only what it needs to know which pixels a new draw
// can change.

#include <ctime>
#include <optional>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

#include "clock/FaceSettings.h"
#include "platform/WinTypes.h"

namespace platform {
class RegionSink;
}

// A vertex of a shape table, in units of the radius: u to the right of the
// centre line, v from the 12 o'clock rim towards the centre.
struct ShapeVertex {
    double u;
    double v;
};

// floor(v) when the fraction is at most one half, ceil(v) otherwise: halves go down.
int RoundToPixel(double v);

class CClockFace {
public:
    CClockFace(int left, int top, int right, int bottom);
    virtual ~CClockFace();

    // Draws the whole face for the current local time into the target.
    void Draw(platform::RegionSink& target, const FaceSettings& settings);
    // Same, for a given time; Draw reads the clock once and calls this.
    void DrawAt(platform::RegionSink& target, const FaceSettings& settings, std::time_t time);
    // Draws the face for the time into a target that holds this face's last
    // draw (unless `whole`), painting only where pixels can differ from it:
    // where a hand's shape changed and its frame's width around, or
    // everything after a change of settings, date text or device size.
    // Returns that area, a few rectangles in device pixels.
    QRegion DrawChanged(platform::RegionSink& target, const FaceSettings& settings, std::time_t time, bool whole);

    // The hands' angles in degrees clockwise from 12 o'clock; the hour and
    // minute hands move on with every second.
    static double HourAngle(int hour, int minute, int second);
    static double MinuteAngle(int minute, int second);
    static double SecondsAngle(int second);

    // Turns (x, y), relative to the centre, clockwise on the screen.
    static void Rotate(double& x, double& y, double degrees);

    // The shape's polygon: n vertices placed, turned, moved and rounded, plus a
    // closing copy of the first.
    std::vector<QPoint> BuildPoints(const ShapeVertex* table, int n, double angle) const;
    // A disc about the face centre with the radius RoundToPixel(k * r).
    QRegion MakeDisc(double k) const;
    void PaintRegion(const QRegion& rgn, COLORREF fill, COLORREF frame, int width);

    // The date line's text for the local time of t, as the settings shape it.
    static QString DateText(std::time_t t, const FaceSettings& settings);
    // The date font's cell height for a face of this radius.
    static int DateFontHeight(int radius);
    // Top-left corner of a date text of this extent: right-aligned just inside
    // the rim at 3 o'clock, centred vertically.
    QPoint DatePosition(const QSize& extent) const;

    RECT m_rcFace;
    int m_nCenterX = 0;
    int m_nCenterY = 0;
    int m_nRadius = 0;

protected:
    void DrawDial();
    void DrawDate(std::time_t time);
    void DrawHourHand(int hour, int minute, int second);
    void DrawMinuteHand(int minute, int second);
    void DrawSecondsHand(int second);

private:
    // A hand's region with its look: built first, painted last, and kept to
    // see where the next draw differs and, made from the same points in the
    // same scene, to be taken as it is with its frame.
    struct Element {
        QRegion rgn;
        COLORREF fill;
        COLORREF frame;
        int width;
        std::vector<QPoint> key; // every rounded point the region was made from
        QRegion inner;           // within the frame, made on its first painting
        bool innerMade;
    };
    // Where a draw starts and ends: the target, the clip, no area.
    void Begin(platform::RegionSink& target, const FaceSettings& settings);
    void End();
    void DrawHands(std::time_t time);
    // While the hands are collected in an unchanged scene: takes the last
    // draw's hand in this place if it was made from the same points.
    bool RecallHand(const std::vector<QPoint>& key);
    // A hand built from the points in `key`: collected, or painted.
    void PaintHand(const QRegion& rgn, std::vector<QPoint> key, COLORREF fill, COLORREF frame, int width);
    void PaintElement(Element& hand);
    // The region in the frame's colour, then the inner part in the fill's;
    // with a width of 0 the region in the fill's. Only the area's part while
    // an area is painted.
    void PaintFramed(const QRegion& rgn, const QRegion& inner, COLORREF fill, COLORREF frame, int width);
    // Where an element lying within `box`, framed `width` deep, is built: the
    // whole clip, or while only an area is painted, the part of the area it
    // can show in widened by its frame's reach; empty when it cannot show.
    QRect BuildClip(const QRect& box, int width) const;
    // Everything besides the hands' shapes that decides the pixels: the
    // device, the settings, whatever they are, and the date's text.
    struct Scene {
        QRect device;
        FaceSettings settings;
        QString date;

        friend bool operator==(const Scene& a, const Scene& b)
        {
            return a.device == b.device && a.settings == b.settings && a.date == b.date;
        }
    };

    // The target and the settings while drawing.
    platform::RegionSink* m_pTarget = nullptr;
    const FaceSettings* m_pSettings = nullptr;
    // Where shapes are built while drawing: the device and a margin wider than
    // any frame. Outside a draw nothing is clipped.
    QRect m_rcClip;
    QRect m_rcDevice;
    // While only part of the device is painted: that part.
    const QRegion* m_pArea = nullptr;
    // While the hands are built first: they are collected here, not painted.
    std::vector<Element>* m_pHands = nullptr;
    // While they are, in the scene of the last draw: its hands.
    const std::vector<Element>* m_pLastHands = nullptr;
    // The hands and the scene of the last DrawChanged: what its device holds.
    std::vector<Element> m_lastHands;
    std::optional<Scene> m_lastScene;

    // The date line's region with all it is made from: tracing
    // the letters is most of a frame's work, and the line changes at most
    // twice a day. The face's rectangle is fixed, and the clip stands for the
    // device.
    struct DateLine {
        QString text;
        QString face;
        int weight;
        BOOL italic;
        int height;
        int width;
        BOOL box;
        QRect clip;
        QRegion rgn;

        bool MadeFrom(const DateLine& o) const
        {
            return text == o.text && face == o.face && weight == o.weight && italic == o.italic && height == o.height
                   && width == o.width && box == o.box && clip == o.clip;
        }
    };
    std::optional<DateLine> m_date;
};
