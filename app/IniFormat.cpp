#include "app/IniFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Text.h"

namespace ini {

namespace {

QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

Opened Failed(QString* why)
{
    if (errno == ENOENT || errno == ENOTDIR)
        return Opened::Absent;
    if (why)
        *why = SystemError();
    return Opened::Unreadable;
}

// A link is read through only when nobody else could have made or turned it:
// it is this user's, in a folder that only this user (or the system) can
// write, and it leads to this user's own file. Any other link may have been
// planted to make the program read, and then write, a file of the planter's
// choosing.
bool IsTrustedLink(int folder, const struct stat& link, const struct stat& target)
{
    struct stat dir {};
    const uid_t me = ::geteuid();
    return link.st_uid == me && target.st_uid == me && ::fstat(folder, &dir) == 0
           && (dir.st_uid == me || dir.st_uid == 0) && (dir.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Closes a descriptor on every way out.
struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// One try of OpenForReading; nullopt when the file was replaced between the
// look and the opening.
std::optional<Opened> TryOpen(const QString& path, QFile& file, QString* why)
{
    const QFileInfo info(path);
    // The name is looked up in its folder, opened once, so that every check
    // below is about the same folder.
    const FdCloser folder{
        ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd < 0)
        return Failed(why);
    const QByteArray name = QFile::encodeName(info.fileName());
    struct stat link {
    }, st{};
    if (::fstatat(folder.fd, name.constData(), &link, AT_SYMLINK_NOFOLLOW) != 0)
        return Failed(why);
    const bool isLink = S_ISLNK(link.st_mode);
    // Looked at before opening, so that no device is ever opened...
    if (isLink && ::fstatat(folder.fd, name.constData(), &st, 0) != 0)
        return errno == ENOENT || errno == ELOOP ? Opened::Absent : Failed(why);
    if (!isLink)
        st = link;
    if (!S_ISREG(st.st_mode))
        return Opened::NotAFile;
    if (isLink && !IsTrustedLink(folder.fd, link, st))
        return Opened::Absent;
    // ...and again after, for what was put in its place meanwhile; without
    // O_NONBLOCK, opening a FIFO would wait for a writer. A file that became
    // a link meanwhile is not followed.
    const int fd =
        ::openat(folder.fd, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (isLink ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return errno == ELOOP ? Opened::Absent : Failed(why);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino) {
        ::close(fd);
        return std::nullopt;
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        if (why)
            *why = file.errorString();
        ::close(fd);
        return Opened::Unreadable;
    }
    return Opened::Yes;
}

} // namespace

Opened OpenForReading(const QString& path, QFile& file, QString* why)
{
    // A save replacing the file at the same moment is waited out; a file that
    // keeps changing is not taken for one.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (const std::optional<Opened> opened = TryOpen(path, file, why))
            return *opened;
    }
    return Opened::NotAFile;
}

namespace {

bool IsBlank(char c) { return platform::IsBlank(QLatin1Char(c)); }

QByteArrayView Trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && IsBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && IsBlank(v.back()))
        v.chop(1);
    return v;
}

bool IsQuoted(QByteArrayView v) { return v.size() >= 2 && v.front() == '"' && v.back() == '"'; }

// Text of a line: a byte order mark in it is a character like any other
// (QString::fromUtf8 would drop one that starts the text, so that a name
// beginning with it would match the name without it).
QString FromUtf8(QByteArrayView utf8)
{
    QStringDecoder decode(QStringDecoder::Utf8,
                          QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decode(utf8);
}

QStringConverter::Encoding Utf16Of(Encoding encoding)
{
    return encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
}

} // namespace

LineReader::LineReader(QIODevice& in) : m_in(in)
{
    Ensure(3);
    const QByteArrayView start = QByteArrayView(m_buffer).sliced(m_pos);
    if (start.startsWith("\xEF\xBB\xBF")) {
        m_bom = "\xEF\xBB\xBF";
    } else if (start.startsWith("\xFF\xFE")) {
        m_bom = "\xFF\xFE";
        m_encoding = Encoding::Utf16LE;
    } else if (start.startsWith("\xFE\xFF")) {
        m_bom = "\xFE\xFF";
        m_encoding = Encoding::Utf16BE;
    }
    m_unit = m_encoding == Encoding::Utf8 ? 1 : 2;
    m_pos += m_bom.size();
}

bool LineReader::Ensure(qsizetype n)
{
    while (m_buffer.size() - m_pos < n && !m_eof) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
        const qsizetype had = m_buffer.size();
        m_buffer.resize(had + kChunk);
        const qint64 got = m_in.read(m_buffer.data() + had, kChunk);
        m_buffer.resize(had + qMax<qint64>(got, 0));
        m_failed = m_failed || got < 0;
        m_eof = got <= 0;
    }
    return m_buffer.size() - m_pos >= n;
}

bool LineReader::AtEnd() { return !Ensure(1); }

char16_t LineReader::Unit(qsizetype offset) const
{
    const auto* p = reinterpret_cast<const uchar*>(m_buffer.constData() + m_pos + offset);
    switch (m_encoding) {
    case Encoding::Utf8:
        break;
    case Encoding::Utf16LE:
        return char16_t(p[0] | p[1] << 8);
    case Encoding::Utf16BE:
        return char16_t(p[0] << 8 | p[1]);
    }
    return p[0];
}

// The bytes of the current line among the next `limit`, with its line end if
// that lies among them.
qsizetype LineReader::Scan(qsizetype limit)
{
    m_lineEndUnits = 0;
    limit -= limit % m_unit;
    Ensure(limit);
    const qsizetype available = qMin(limit, m_buffer.size() - m_pos);
    const qsizetype whole = available - available % m_unit;
    qsizetype end = -1;
    if (m_unit == 1) {
        const char* p = m_buffer.constData() + m_pos;
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(whole)));
        const auto* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(lf ? lf - p : whole)));
        end = cr ? cr - p : lf ? lf - p : -1;
    } else {
        for (qsizetype i = 0; i < whole && end < 0; i += m_unit) {
            if (Unit(i) == '\n' || Unit(i) == '\r')
                end = i;
        }
    }
    if (end < 0)
        return available;
    m_lineEndIsLf = Unit(end) == '\n';
    m_lineEndUnits = 1;
    if (!m_lineEndIsLf && Ensure(end + 2 * m_unit) && Unit(end + m_unit) == '\n')
        m_lineEndUnits = 2;
    return end + m_lineEndUnits * m_unit;
}

bool LineReader::Next()
{
    SkipRest();
    m_raw.resize(0);
    m_textBytes = 0;
    if (AtEnd())
        return false;
    const qsizetype n = Scan(kMaxLineBytes * m_unit);
    // Copied into the same buffer line after line, without a new allocation.
    m_raw.resize(n);
    std::memcpy(m_raw.data(), m_buffer.constData() + m_pos, std::size_t(n));
    m_pos += n;
    m_complete = m_lineEndUnits > 0 || AtEnd();
    m_textBytes = n - m_lineEndUnits * m_unit;
    const QByteArrayView text = QByteArrayView(m_raw).first(m_textBytes);
    if (m_encoding != Encoding::Utf8) {
        // A byte order mark inside the file is a character like any other.
        QStringDecoder decode(Utf16Of(m_encoding),
                              QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        m_text = QString(decode(text)).toUtf8();
    }
    return true;
}

QString LineReader::Error() const { return m_in.errorString(); }

QByteArray LineReader::LineEnd() const
{
    if (m_lineEndUnits == 0)
        return QByteArray();
    return m_lineEndUnits == 2 ? "\r\n" : m_lineEndIsLf ? "\n" : "\r";
}

QByteArray Encode(QByteArrayView utf8, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return utf8.toByteArray();
    QStringEncoder encode(Utf16Of(encoding), QStringEncoder::Flag::Stateless);
    return encode(FromUtf8(utf8));
}

Line Classify(QByteArrayView text)
{
    Line line;
    const QByteArrayView t = Trimmed(text);
    if (t.isEmpty() || t.front() == ';' || t.front() == '#')
        return line;
    if (t.front() == '[') {
        line.kind = Line::Section;
        QByteArrayView name = t.sliced(1);
        const qsizetype close = name.indexOf(']');
        if (close >= 0)
            name.truncate(close);
        name = Trimmed(name);
        if (name.size() <= kMaxNameLength)
            line.name = FromUtf8(name);
        return line;
    }
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return line;
    const QByteArrayView key = Trimmed(t.first(eq));
    if (key.isEmpty() || key.size() > kMaxNameLength)
        return line;
    QByteArrayView value = Trimmed(t.sliced(eq + 1));
    if (IsQuoted(value))
        value = value.sliced(1, value.size() - 2);
    // Four bytes per character at most: enough for a full value, no more.
    value.truncate(qMin(value.size(), 4 * kMaxValueLength));
    line.kind = Line::Entry;
    line.name = FromUtf8(key);
    line.value = FromUtf8(value);
    if (line.value.size() > kMaxValueLength)
        line.value = platform::CutText(line.value, kMaxValueLength);
    return line;
}

bool IsBlankLine(QByteArrayView text) { return Trimmed(text).isEmpty(); }

QString StoredForm(QString value)
{
    // Line breaks would start lines of their own.
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    const bool quoted = value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
    if (!value.isEmpty() && (quoted || platform::IsBlank(value.front()) || platform::IsBlank(value.back())))
        return u'"' + value + u'"';
    return value;
}

} // namespace ini
