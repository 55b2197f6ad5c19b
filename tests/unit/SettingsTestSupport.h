#pragma once
// Shared by the settings tests: the stored keys with their members, and file
// contents in every form a settings file can have.

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QStringList>

#include "app/ClockApp.h"

namespace testsupport {

// The stored keys, in the order a save writes them: 4 to 15 are colours, 16 a text.
inline const QStringList kKeys =
    QStringLiteral(
        "Geometry/Left Geometry/Top Geometry/Size Color/Opacity Color/Clear Dial/Background Dial/Frame Dial/Fill "
        "Seconds/Frame Seconds/Fill Minute/Frame Minute/Fill Hour/Frame Hour/Fill Date/Frame Date/Fill Font/Face "
        "Font/Italic Font/Weight Dial/Width Seconds/Width Minute/Width Hour/Width Date/Width Seconds/Show Date/Show "
        "Date/Month Date/Day Date/AMPM Dial/Show Misc/TopMost Date/Box Misc/IniFile Misc/TrayIcon")
        .split(u' ');

// The members behind kKeys, in the same order, as text (colours in hex).
inline QStringList Values(const CClockApp& a)
{
    QStringList v;
    for (int n : {a.m_nLeft, a.m_nTop, a.m_nSize, a.m_nOpacity})
        v << QString::number(n);
    for (COLORREF c :
         {a.m_crClear, a.m_crDialBackground, a.m_crDialFrame, a.m_crDialFill, a.m_crSecondsFrame, a.m_crSecondsFill,
          a.m_crMinuteFrame, a.m_crMinuteFill, a.m_crHourFrame, a.m_crHourFill, a.m_crDateFrame, a.m_crDateFill})
        v << QString::number(c, 16);
    v << a.m_strFontFace;
    for (int n : {a.m_bFontItalic, a.m_nFontWeight, a.m_nDialWidth, a.m_nSecondsWidth, a.m_nMinuteWidth, a.m_nHourWidth,
                  a.m_nDateWidth, a.m_bShowSeconds, a.m_bShowDate, a.m_bShowMonth, a.m_bShowDay, a.m_bShowAmPm,
                  a.m_bShowDial, a.m_bTopMost, a.m_bDateBox, a.m_bIniFile, a.m_bTrayIcon})
        v << QString::number(n);
    return v;
}

// Empty for what is not a regular file (a FIFO would block).
inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Text (with "\n" line ends) in a file's form: "UTF-16LE", "UTF-16BE" or UTF-8
// ("BOM" for one), with "CR LF" or "CR" line ends, else LF.
inline QByteArray InForm(QString text, const QString& form)
{
    text.replace(u'\n', form.contains("CR LF") ? "\r\n" : form.contains("CR") ? "\r" : "\n");
    QStringEncoder encode(form.startsWith("UTF-16BE") ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    if (form.startsWith("UTF-16"))
        return (form.startsWith("UTF-16LE") ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(encode(text));
    return (form.contains("BOM") ? "\xEF\xBB\xBF" : "") + text.toUtf8();
}

} // namespace testsupport
