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
    const auto n = [](qint64 v) { return QString::number(v); };
    const auto c = [](COLORREF v) { return QString::number(v, 16); };
    return {n(a.m_nLeft),         n(a.m_nTop),          n(a.m_nSize),
            n(a.m_nOpacity),      c(a.m_crClear),       c(a.m_crDialBackground),
            c(a.m_crDialFrame),   c(a.m_crDialFill),    c(a.m_crSecondsFrame),
            c(a.m_crSecondsFill), c(a.m_crMinuteFrame), c(a.m_crMinuteFill),
            c(a.m_crHourFrame),   c(a.m_crHourFill),    c(a.m_crDateFrame),
            c(a.m_crDateFill),    a.m_strFontFace,      n(a.m_bFontItalic),
            n(a.m_nFontWeight),   n(a.m_nDialWidth),    n(a.m_nSecondsWidth),
            n(a.m_nMinuteWidth),  n(a.m_nHourWidth),    n(a.m_nDateWidth),
            n(a.m_bShowSeconds),  n(a.m_bShowDate),     n(a.m_bShowMonth),
            n(a.m_bShowDay),      n(a.m_bShowAmPm),     n(a.m_bShowDial),
            n(a.m_bTopMost),      n(a.m_bDateBox),      n(a.m_bIniFile),
            n(a.m_bTrayIcon)};
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
