#include "app/IniFileStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/ProfileText.h"

namespace {

// Reads a file line by line, holding at most the first kMaxLineBytes bytes of
// a line; the rest of a longer line is skipped or handed on in pieces.
class LineReader {
public:
    explicit LineReader(QFile& in) : m_in(in) {}

    bool Next()
    {
        m_head.resize(IniFileStore::kMaxLineBytes + 1);
        const qint64 n = m_in.readLine(m_head.data(), m_head.size());
        if (n <= 0) {
            m_head.clear();
            return false;
        }
        m_head.resize(n);
        m_complete = m_head.endsWith('\n') || m_in.atEnd();
        return true;
    }

    // The line as read, with its line feed when the whole line fitted.
    const QByteArray& Head() const { return m_head; }
    bool Complete() const { return m_complete; }

    // Hands the rest of an over-long line to sink piece by piece. False when
    // sink refused a piece.
    template <typename Sink>
    bool TakeRest(Sink&& sink)
    {
        char chunk[IniFileStore::kMaxLineBytes + 1];
        while (!m_complete) {
            const qint64 n = m_in.readLine(chunk, sizeof chunk);
            if (n <= 0)
                break;
            m_complete = chunk[n - 1] == '\n' || m_in.atEnd();
            if (!sink(QByteArray::fromRawData(chunk, n)))
                return false;
        }
        m_complete = true;
        return true;
    }
    void SkipRest()
    {
        TakeRest([](const QByteArray&) { return true; });
    }

    bool Failed() const { return m_in.error() != QFileDevice::NoError; }

private:
    QFile& m_in;
    QByteArray m_head;
    bool m_complete = true;
};

struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;  // section or key as written; null for a name too long to be ours
    QString value; // entries only, cut to kMaxValueLength
};

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

QByteArrayView Trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && IsBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && IsBlank(v.back()))
        v.chop(1);
    return v;
}

QString CutValue(QString value)
{
    if (value.size() > IniFileStore::kMaxValueLength) {
        qsizetype n = IniFileStore::kMaxValueLength;
        if (value.at(n - 1).isHighSurrogate())
            --n;
        value.truncate(n);
    }
    return value;
}

Line Classify(QByteArrayView raw)
{
    Line line;
    const QByteArrayView t = Trimmed(raw);
    if (t.isEmpty() || t.front() == ';' || t.front() == '#')
        return line;
    if (t.front() == '[') {
        line.kind = Line::Section;
        QByteArrayView name = t.sliced(1);
        const qsizetype close = name.indexOf(']');
        if (close >= 0)
            name.truncate(close);
        name = Trimmed(name);
        if (name.size() <= IniFileStore::kMaxNameLength)
            line.name = QString::fromUtf8(name);
        return line;
    }
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return line;
    const QByteArrayView key = Trimmed(t.first(eq));
    if (key.isEmpty() || key.size() > IniFileStore::kMaxNameLength)
        return line;
    QByteArrayView value = t.sliced(eq + 1);
    // A carriage return inside a line ends the value, as it would end the line
    // for a reader that takes it as a line break.
    const qsizetype cr = value.indexOf('\r');
    if (cr >= 0)
        value.truncate(cr);
    value = Trimmed(value);
    // Four bytes per character at most: enough for a full value, no more.
    value.truncate(qMin(value.size(), 4 * IniFileStore::kMaxValueLength));
    line.kind = Line::Entry;
    line.name = QString::fromUtf8(key);
    line.value = CutValue(QString::fromUtf8(value));
    return line;
}

// An editor's byte order mark before the first line is not part of it.
QByteArrayView Content(const QByteArray& head, bool firstLine)
{
    return firstLine && head.startsWith("\xEF\xBB\xBF") ? QByteArrayView(head).sliced(3) : QByteArrayView(head);
}

// Calls visit(sectionFolded, keyFolded, value) for every entry of a section
// whose name can be ours, in file order, until it returns false. False when
// the file exists but cannot be read.
template <typename Visit>
bool ScanFile(const QString& path, Visit&& visit)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return !in.exists();
    LineReader reader(in);
    QString section; // null outside any usable section
    for (bool first = true; reader.Next(); first = false) {
        const Line line = Classify(Content(reader.Head(), first));
        reader.SkipRest();
        if (line.kind == Line::Section) {
            section = line.name.isNull() ? QString() : line.name.toCaseFolded();
        } else if (line.kind == Line::Entry && !section.isNull()) {
            if (!visit(section, line.name.toCaseFolded(), line.value))
                break;
        }
    }
    return !reader.Failed();
}

// A value on one line: line breaks would start lines of their own.
QString OneLine(QString value)
{
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

IniFileStore::IniFileStore(const QString& path) : m_path(path) {}

IniFileStore::PendingKey* IniFileStore::PendingSection::Find(const QString& foldedKey)
{
    for (PendingKey& k : keys) {
        if (k.folded == foldedKey)
            return &k;
    }
    return nullptr;
}

bool IniFileStore::PendingSection::HasUndone() const
{
    for (const PendingKey& k : keys) {
        if (!k.done)
            return true;
    }
    return false;
}

int IniFileStore::GetProfileInt(const QString& section, const QString& key, int def)
{
    const std::optional<QString> text = Lookup(section, key);
    return text ? profile::ParseInt(*text, def) : def;
}

QString IniFileStore::GetProfileString(const QString& section, const QString& key, const QString& def)
{
    return Lookup(section, key).value_or(def);
}

void IniFileStore::WriteProfileInt(const QString& section, const QString& key, int value)
{
    WriteProfileString(section, key, QString::number(value));
}

void IniFileStore::WriteProfileString(const QString& section, const QString& key, const QString& value)
{
    const QString sectionFolded = section.toCaseFolded();
    PendingSection* target = nullptr;
    for (PendingSection& s : m_pending) {
        if (s.folded == sectionFolded)
            target = &s;
    }
    if (!target) {
        m_pending.push_back(PendingSection{section, sectionFolded, {}, false});
        target = &m_pending.back();
    }
    const QString keyFolded = key.toCaseFolded();
    if (PendingKey* k = target->Find(keyFolded))
        k->value = OneLine(value);
    else
        target->keys.push_back(PendingKey{key, keyFolded, OneLine(value), false});

    if (!m_writing)
        Commit();
}

void IniFileStore::BeginRead()
{
    m_reading = true;
    m_cacheFilled = false;
}

void IniFileStore::EndRead()
{
    m_reading = false;
    m_cacheFilled = false;
    m_cacheOverflow = false;
    m_cache.clear();
    m_cache.squeeze();
}

void IniFileStore::BeginWrite()
{
    m_writing = true;
}

bool IniFileStore::Commit()
{
    m_writing = false;
    std::vector<PendingSection> pending;
    pending.swap(m_pending);
    if (pending.empty())
        return true;
    const bool ok = WriteFile(pending);
    // What was read before may be stale now.
    m_cacheFilled = false;
    m_cacheOverflow = false;
    m_cache.clear();
    return ok;
}

std::optional<QString> IniFileStore::Lookup(const QString& section, const QString& key)
{
    const Id id(section.toCaseFolded(), key.toCaseFolded());
    if (m_reading) {
        if (!m_cacheFilled)
            FillCache();
        const auto it = m_cache.constFind(id);
        if (it != m_cache.constEnd())
            return *it;
        if (!m_cacheOverflow)
            return std::nullopt;
    }
    return ScanFor(id);
}

std::optional<QString> IniFileStore::ScanFor(const Id& id) const
{
    std::optional<QString> found;
    ScanFile(m_path, [&](const QString& section, const QString& key, const QString& value) {
        if (section == id.first && key == id.second) {
            found = value;
            return false;
        }
        return true;
    });
    return found;
}

void IniFileStore::FillCache()
{
    m_cache.clear();
    m_cacheOverflow = false;
    ScanFile(m_path, [&](const QString& section, const QString& key, const QString& value) {
        const Id id(section, key);
        if (!m_cache.contains(id)) {
            if (m_cache.size() >= kMaxCachedEntries) {
                m_cacheOverflow = true;
                return false;
            }
            m_cache.insert(id, value);
        }
        return true;
    });
    m_cacheFilled = true;
}

bool IniFileStore::WriteOut(QIODevice& out, const QByteArray& bytes)
{
    return out.write(bytes) == bytes.size();
}

bool IniFileStore::WriteFile(std::vector<PendingSection>& pending)
{
    QFile in(m_path);
    const bool exists = QFileInfo::exists(m_path);
    // A file that cannot be read cannot be carried over; better not to replace it.
    if (exists && !in.open(QIODevice::ReadOnly))
        return false;

    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return false;

    bool ok = true;
    bool endsWithNewline = true;
    QByteArray eol = "\n";
    const auto write = [&](const QByteArray& bytes) {
        if (bytes.isEmpty() || !ok)
            return ok;
        ok = WriteOut(out, bytes);
        endsWithNewline = bytes.endsWith('\n');
        return ok;
    };
    const auto writeEntry = [&](const PendingKey& k) {
        if (!endsWithNewline)
            write(eol);
        write(k.key.toUtf8() + '=' + k.value.toUtf8() + eol);
    };

    PendingSection* current = nullptr;
    // Blank lines at the end of a section that still lacks keys are held back,
    // so that added keys follow the section's last entry, not the gap after it.
    QByteArray blanks;
    const auto flushBlanks = [&] {
        write(blanks);
        blanks.clear();
    };
    const auto finishSection = [&] {
        if (current) {
            for (PendingKey& k : current->keys) {
                if (!k.done)
                    writeEntry(k);
                k.done = true;
            }
        }
        flushBlanks();
    };
    const auto findSection = [&](const QString& name) -> PendingSection* {
        if (name.isNull())
            return nullptr;
        const QString folded = name.toCaseFolded();
        for (PendingSection& s : pending) {
            if (s.folded == folded)
                return &s;
        }
        return nullptr;
    };

    if (exists) {
        LineReader reader(in);
        for (bool first = true; ok && reader.Next(); first = false) {
            const QByteArray& head = reader.Head();
            if (first && head.endsWith("\r\n"))
                eol = "\r\n";

            const Line line = Classify(Content(head, first));
            PendingKey* key = nullptr;
            if (current && line.kind == Line::Entry) {
                key = current->Find(line.name.toCaseFolded());
                if (key && key->done)
                    key = nullptr;
            }
            if (line.kind == Line::Section) {
                finishSection();
                current = findSection(line.name);
                if (current)
                    current->seen = true;
                write(head);
                reader.TakeRest(write);
            } else if (key) {
                flushBlanks();
                writeEntry(*key);
                key->done = true;
                reader.SkipRest();
            } else if (current && current->HasUndone() && reader.Complete()
                       && Trimmed(head).isEmpty() && blanks.size() < 65536) {
                blanks += head;
            } else {
                flushBlanks();
                write(head);
                reader.TakeRest(write);
            }
        }
        if (reader.Failed())
            ok = false;
    }
    finishSection();

    for (PendingSection& s : pending) {
        if (s.seen)
            continue;
        if (!endsWithNewline)
            write(eol);
        write('[' + s.name.toUtf8() + ']' + eol);
        for (PendingKey& k : s.keys)
            writeEntry(k);
    }

    if (!ok) {
        out.cancelWriting(); // the temporary file goes, the old file stays
        return false;
    }
    return out.commit();
}
