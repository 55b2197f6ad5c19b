#pragma once
// The outlines of the dial marks and the hands, drawn as if they pointed at
// 12 o'clock, in units of the radius (u to the right of the centre line, v
// from the rim towards the centre).

#include "clock/ClockFace.h"

namespace shapes {

// Mark outlines, pointing at 12 o'clock from the rim.
inline constexpr ShapeVertex kMinuteTick[] = {{0, 0}, {-0.007, 0.01}, {0, 0.03}, {0.007, 0.01}};
inline constexpr ShapeVertex kHourMark[] = {{0, 0},    {0.02, 0.01},  {0.02, 0.04},
                                            {0, 0.06}, {-0.02, 0.04}, {-0.02, 0.01}};
inline constexpr ShapeVertex kQuarterMark[] = {{0, 0},    {0.025, 0.01},  {0.025, 0.05},
                                               {0, 0.09}, {-0.025, 0.05}, {-0.025, 0.01}};

// Hands, pointing at 12 o'clock; v beyond 1 lies past the centre.
inline constexpr ShapeVertex kHourHand[] = {{0, 0.15},     {0.08, 0.45},  {0.03, 0.48}, {0.03, 0.97},
                                            {-0.03, 0.97}, {-0.03, 0.48}, {-0.08, 0.45}};
inline constexpr ShapeVertex kHourWindow[] = {{0, 0.2}, {0.06, 0.44}, {0, 0.48}, {-0.06, 0.44}};
inline constexpr ShapeVertex kMinuteHand[] = {{0, 0.06}, {0.02, 0.15}, {0.02, 1.1},
                                              {0, 1.15}, {-0.02, 1.1}, {-0.02, 0.15}};
inline constexpr ShapeVertex kSecondsHand[] = {{0, 0.03}, {0.01, 0.2},   {0.01, 1.1},    {0.025, 1.15}, {0.025, 1.2},
                                               {0, 1.25}, {-0.025, 1.2}, {-0.025, 1.15}, {-0.01, 1.1},  {-0.01, 0.2}};

// The number of vertices of a table.
template <int N> constexpr int Count(const ShapeVertex (&)[N]) { return N; }

} // namespace shapes
