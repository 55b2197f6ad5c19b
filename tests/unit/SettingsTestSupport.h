#pragma once
// Shared by the settings tests: the stored keys with their members, and file
// contents in every form a settings file can have.

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <memory>

#include "app/ClockApp.h"
#include "app/Disk.h"
#include "app/SettingsTable.h"

namespace testsupport {

// "Section/Key" of every stored setting, in the table's order: the order a save writes them.
inline const QStringList kKeys = [] {
    QStringList keys;
    for (const settings::Setting& s : settings::kSettings)
        keys << QString::fromLatin1(s.section) + u'/' + QString::fromLatin1(s.key);
    return keys;
}();

// The members behind kKeys, named one by one (so that a table entry with the
// wrong member shows), in the same order, as text (colours in hex).
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

// The values of the keys named, as Values gives them.
inline QStringList ValuesOf(const CClockApp& a, const QStringList& keys)
{
    const QStringList all = Values(a);
    QStringList v;
    for (const QString& key : keys)
        v << all.value(kKeys.indexOf(key), QStringLiteral("<no such key>"));
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

// A disk that fails: writing after `writeBytes` bytes (part-way through a
// write if need be) and, with no write budget left at the end, the flush to
// disk; with `failReads`, the first read of every file it opens. It counts the
// files it opened.
struct FailingDisk : Disk {
    explicit FailingDisk(qint64 writeBytes = LLONG_MAX, bool failReads = false)
        : writeBudget(writeBytes)
        , readFails(failReads)
    {
    }

    // A file that gives the error a failing medium gives.
    class File : public QIODevice {
    protected:
        qint64 readData(char*, qint64) override
        {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        qint64 writeData(const char*, qint64) override { return -1; }
    };

    ini::Opened Open(const QString& path, std::unique_ptr<QIODevice>& in, QString* why) override
    {
        ++opened;
        const ini::Opened result = Disk::Open(path, in, why);
        if (result == ini::Opened::Yes && readFails) {
            in = std::make_unique<File>();
            in->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        }
        return result;
    }
    qint64 Write(int fd, const char* data, qint64 size) override
    {
        const qint64 n = qMin(size, writeBudget);
        writeBudget -= n;
        errno = n > 0 ? errno : ENOSPC;
        return n > 0 ? Disk::Write(fd, data, n) : -1;
    }
    bool Sync(int fd) override { return writeBudget > 0 && Disk::Sync(fd); }

    qint64 writeBudget;
    bool readFails;
    int opened = 0;
};

} // namespace testsupport
