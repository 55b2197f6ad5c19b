#pragma once
// The settings the renderer reads, handed to it at every draw as one value.

#include <cmath>

#include <QString>

#include "platform/WinTypes.h"

// X(type, member) for every setting the face reads, named as the application
// names it. The members, their comparison and their copying from the
// application's settings are all made from this one list, so a setting added
// here takes part in each of them: above all in the comparison that tells the
// face to draw everything anew.
#define VITRODIAL_FACE_SETTINGS(X)                                                                                     \
    X(COLORREF, m_crDialBackground)                                                                                    \
    X(COLORREF, m_crDialFrame)                                                                                         \
    X(COLORREF, m_crDialFill)                                                                                          \
    X(COLORREF, m_crSecondsFrame)                                                                                      \
    X(COLORREF, m_crSecondsFill)                                                                                       \
    X(COLORREF, m_crMinuteFrame)                                                                                       \
    X(COLORREF, m_crMinuteFill)                                                                                        \
    X(COLORREF, m_crHourFrame)                                                                                         \
    X(COLORREF, m_crHourFill)                                                                                          \
    X(COLORREF, m_crDateFrame)                                                                                         \
    X(COLORREF, m_crDateFill)                                                                                          \
    X(QString, m_strFontFace)                                                                                          \
    X(BOOL, m_bFontItalic)                                                                                             \
    X(int, m_nFontWeight)                                                                                              \
    X(int, m_nDialWidth)                                                                                               \
    X(int, m_nSecondsWidth)                                                                                            \
    X(int, m_nMinuteWidth)                                                                                             \
    X(int, m_nHourWidth)                                                                                               \
    X(int, m_nDateWidth)                                                                                               \
    X(BOOL, m_bShowDay)                                                                                                \
    X(BOOL, m_bShowMonth)                                                                                              \
    X(BOOL, m_bShowAmPm)                                                                                               \
    X(BOOL, m_bShowDate)                                                                                               \
    X(BOOL, m_bShowSeconds)                                                                                            \
    X(BOOL, m_bShowDial)                                                                                               \
    X(BOOL, m_bDateBox)

struct FaceSettings {
#define VITRODIAL_FACE_MEMBER(type, member) type member{};
    VITRODIAL_FACE_SETTINGS(VITRODIAL_FACE_MEMBER)
#undef VITRODIAL_FACE_MEMBER

    // The same members of another object, such as the application's settings.
    template <typename Settings> static FaceSettings Of(const Settings& from)
    {
        FaceSettings settings;
#define VITRODIAL_FACE_COPY(type, member) settings.member = from.member;
        VITRODIAL_FACE_SETTINGS(VITRODIAL_FACE_COPY)
#undef VITRODIAL_FACE_COPY
        return settings;
    }

    // Thicknesses are logical pixels, like the clock's size: at a device
    // pixel ratio they are as many times as many device pixels, rounded, so
    // the clock looks the same at every scale, only sharper.
    void ScaleWidths(double ratio)
    {
        for (int* width : {&m_nDialWidth, &m_nSecondsWidth, &m_nMinuteWidth, &m_nHourWidth, &m_nDateWidth})
            *width = int(std::lround(*width * ratio));
    }

    friend bool operator==(const FaceSettings& a, const FaceSettings& b)
    {
#define VITRODIAL_FACE_SAME(type, member) &&a.member == b.member
        return true VITRODIAL_FACE_SETTINGS(VITRODIAL_FACE_SAME);
#undef VITRODIAL_FACE_SAME
    }
    friend bool operator!=(const FaceSettings& a, const FaceSettings& b) { return !(a == b); }
};
