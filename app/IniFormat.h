#pragma once
// The profile file format as it lies on disk: opening a settings file without
// ever waiting on it, splitting it into lines in its own encoding (UTF-8, or
// UTF-16 after a byte order mark) and line ends (LF, CR LF or CR alone), and
// what each line means.
//
// Lines are read up to a fixed length; the rest of a longer line can be skipped
// or handed on as it is stored, so that memory stays bounded for any file.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QFile;
class QIODevice;

namespace ini {

// Bytes of a line that are looked at; the rest of a longer line is skipped
// when reading and copied unchanged when saving.
constexpr qsizetype kMaxLineBytes = 4096;
// Characters of a value that are kept.
constexpr qsizetype kMaxValueLength = 1024;
// Longer section or key names cannot be ours and are passed over.
constexpr qsizetype kMaxNameLength = 256;

enum class Opened {
    Yes,
    Absent,   // nothing at the path
    NotAFile, // a folder, FIFO, device or socket: never a settings file
    Unreadable,
};

// Opens the settings file at path for reading. Only a regular file is opened,
// and the opening itself cannot block (a FIFO put in its place meanwhile is
// noticed after the open and refused). A symbolic link is followed only when
// it and its target are this user's and its folder is writable by this user
// alone; any other link counts as absent. why, when given, takes the reason
// of Unreadable.
Opened OpenForReading(const QString& path, QFile& file, QString* why = nullptr);

enum class Encoding { Utf8, Utf16LE, Utf16BE };

// The lines of a settings file, in the encoding its byte order mark names.
class LineReader {
public:
    explicit LineReader(QIODevice& in);

    Encoding TextEncoding() const { return m_encoding; }
    // The byte order mark as stored; empty when there is none.
    QByteArray Bom() const { return m_bom; }

    // Moves to the next line; false at the end of the file.
    bool Next();
    // The line's first bytes decoded to UTF-8, without its line end.
    QByteArrayView Text() const
    {
        return m_encoding == Encoding::Utf8 ? QByteArrayView(m_raw).first(m_textBytes) : QByteArrayView(m_text);
    }
    // The same bytes as stored, with the line end when the whole line fitted.
    QByteArrayView Raw() const { return m_raw; }
    // Whether the whole line has been read (always so after SkipRest or TakeRest).
    bool Complete() const { return m_complete; }
    // The line end as text ("\n", "\r\n" or "\r"); empty for a last line without one.
    QByteArray LineEnd() const;

    // Hands the rest of a long line, as stored, to sink piece by piece. False
    // when sink refused a piece.
    template <typename Sink> bool TakeRest(Sink&& sink)
    {
        while (!m_complete) {
            const qsizetype n = Scan(kChunk);
            if (n == 0)
                break;
            const bool ok = sink(QByteArrayView(m_buffer).sliced(m_pos, n));
            m_pos += n;
            m_complete = m_lineEndUnits > 0 || AtEnd();
            if (!ok)
                return false;
        }
        m_complete = true;
        return true;
    }
    void SkipRest()
    {
        TakeRest([](QByteArrayView) { return true; });
    }

    bool Failed() const { return m_failed; }
    // Why reading failed.
    QString Error() const;

private:
    static constexpr qsizetype kChunk = 16 * 1024;

    bool Ensure(qsizetype n);
    bool AtEnd();
    char16_t Unit(qsizetype offset) const;
    qsizetype Scan(qsizetype limit);

    QIODevice& m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;

    Encoding m_encoding = Encoding::Utf8;
    qsizetype m_unit = 1;
    QByteArray m_bom;

    QByteArray m_raw;
    qsizetype m_textBytes = 0;
    QByteArray m_text; // UTF-16 lines only
    bool m_complete = true;
    int m_lineEndUnits = 0; // 0 none, 1 LF or CR, 2 CR LF
    bool m_lineEndIsLf = false;
};

// Text made into the bytes of a file in the given encoding (without a byte order mark).
QByteArray Encode(QByteArrayView utf8, Encoding encoding);

struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;  // section or key as written; null for a name too long to be ours
    QString value; // entries only: trimmed, one pair of double quotes dropped, cut to kMaxValueLength
};

// What a line (its text, without the line end) is.
Line Classify(QByteArrayView text);

// Whether a line is empty or only blanks.
bool IsBlankLine(QByteArrayView text);

// A value as it must be written so that Classify reads it back unchanged:
// on one line, and in double quotes when blanks at its ends or a pair of
// quotes around it would otherwise be lost.
QString StoredForm(QString value);

} // namespace ini
