#include "app/IniFileStore.h"

#include <QFile>

#include "app/IniFormat.h"
#include "app/ProfileText.h"

namespace {

// Calls visit(sectionFolded, keyFolded, value) for every entry of a section
// whose name can be ours, in file order, until it returns false. False when
// the file exists but cannot be read; anything but a regular file is absent.
template <typename Visit> bool ScanFile(const QString& path, Visit&& visit)
{
    QFile in;
    switch (ini::OpenForReading(path, in)) {
    case ini::Opened::Yes:
        break;
    case ini::Opened::Absent:
    case ini::Opened::NotAFile:
        return true;
    case ini::Opened::Unreadable:
        return false;
    }
    ini::LineReader reader(in);
    QString section; // null outside any usable section
    while (reader.Next()) {
        ini::Line line = ini::Classify(reader.Text());
        if (line.kind == ini::Line::Section) {
            section = line.name.isNull() ? QString() : std::move(line.name).toCaseFolded();
        } else if (line.kind == ini::Line::Entry && !section.isNull()) {
            if (!visit(section, std::move(line.name).toCaseFolded(), line.value))
                break;
        }
    }
    return !reader.Failed();
}

// One save: the old file's lines copied to its replacement with the pending
// keys put in. A key that is there is replaced where it stands, a missing key
// joins the end of its section (before the blank lines that close it), and a
// missing section is appended. New text takes the file's encoding and the
// line end its lines have.
class IniRewrite {
public:
    IniRewrite(std::vector<ini::PendingSection>& pending, FileReplacement& out) : m_pending(pending), m_out(out) {}

    void CopyOldFile(ini::LineReader& in)
    {
        m_encoding = in.TextEncoding();
        WriteStored(in.Bom());
        while (m_ok && in.Next()) {
            const ini::Line line = ini::Classify(in.Text());
            if (line.kind == ini::Line::Section)
                EnterSection(line, in);
            else if (ini::PendingKey* key = PendingEntry(line))
                ReplaceEntry(*key, in);
            else if (ClosesSectionWithKeysToAdd(in))
                HoldBlank(in);
            else
                CopyLine(in);
            if (m_lineEnd.isEmpty())
                m_lineEnd = in.LineEnd();
        }
        FinishSection();
    }

    void AppendMissingSections()
    {
        for (ini::PendingSection& s : m_pending) {
            if (s.seen)
                continue;
            StartNewLine();
            WriteText('[' + s.name.toUtf8() + ']' + LineEnd());
            for (ini::PendingKey& k : s.keys)
                WriteEntry(k, LineEnd());
        }
    }

private:
    // Blank lines held back at most, for a file full of them.
    static constexpr qsizetype kMaxHeldBlanks = 64 * 1024;

    QByteArray LineEnd() const { return m_lineEnd.isEmpty() ? QByteArray("\n") : m_lineEnd; }

    ini::PendingKey* PendingEntry(const ini::Line& line)
    {
        if (!m_section || line.kind != ini::Line::Entry)
            return nullptr;
        ini::PendingKey* key = m_section->Find(line.name.toCaseFolded());
        return key && !key->done ? key : nullptr;
    }

    bool ClosesSectionWithKeysToAdd(const ini::LineReader& in) const
    {
        return m_section && m_section->HasUndone() && in.Complete() && ini::IsBlankLine(in.Text())
               && m_heldBlanks.size() < kMaxHeldBlanks;
    }

    void EnterSection(const ini::Line& line, ini::LineReader& in)
    {
        FinishSection();
        const QString folded = line.name.toCaseFolded();
        for (ini::PendingSection& s : m_pending) {
            if (!line.name.isNull() && s.folded == folded)
                m_section = &s;
        }
        if (m_section)
            m_section->seen = true;
        CopyLine(in);
    }

    void ReplaceEntry(ini::PendingKey& key, ini::LineReader& in)
    {
        WriteHeldBlanks();
        in.SkipRest();
        const QByteArray end = in.LineEnd();
        WriteEntry(key, end.isEmpty() ? LineEnd() : end);
    }

    void CopyLine(ini::LineReader& in)
    {
        WriteHeldBlanks();
        WriteStored(in.Raw());
        in.TakeRest([this](QByteArrayView bytes) { return WriteStored(bytes); });
        m_atLineStart = !in.LineEnd().isEmpty();
    }

    // Adds the section's missing keys after its last line that is not blank.
    void FinishSection()
    {
        if (m_section) {
            for (ini::PendingKey& k : m_section->keys) {
                if (!k.done)
                    WriteEntry(k, LineEnd());
            }
        }
        WriteHeldBlanks();
        m_section = nullptr;
    }

    void HoldBlank(const ini::LineReader& in)
    {
        m_heldBlanks.append(in.Raw());
        m_heldEndsLine = !in.LineEnd().isEmpty();
    }

    void WriteHeldBlanks()
    {
        if (m_heldBlanks.isEmpty())
            return;
        WriteStored(m_heldBlanks);
        m_heldBlanks.clear();
        m_atLineStart = m_heldEndsLine;
    }

    void WriteEntry(ini::PendingKey& key, const QByteArray& end)
    {
        StartNewLine();
        WriteText(key.key.toUtf8() + '=' + ini::StoredForm(key.value).toUtf8() + end);
        key.done = true;
    }

    // A last line without a line end gets one before anything follows it.
    void StartNewLine()
    {
        if (!m_atLineStart)
            WriteText(LineEnd());
        m_atLineStart = true;
    }

    void WriteText(const QByteArray& utf8)
    {
        // After a UTF-16 file that ended on half a character, new text starts on a whole one.
        if (m_encoding != ini::Encoding::Utf8 && m_written % 2)
            WriteStored(QByteArrayView("", 1));
        WriteStored(ini::Encode(utf8, m_encoding));
    }

    bool WriteStored(QByteArrayView bytes)
    {
        m_ok = m_ok && (bytes.isEmpty() || m_out.Write(bytes));
        m_written += bytes.size();
        return m_ok;
    }

    std::vector<ini::PendingSection>& m_pending;
    FileReplacement& m_out;
    bool m_ok = true;
    qint64 m_written = 0;
    ini::Encoding m_encoding = ini::Encoding::Utf8;
    QByteArray m_lineEnd; // the first line end of the old file
    bool m_atLineStart = true;
    ini::PendingSection* m_section = nullptr;
    QByteArray m_heldBlanks;
    bool m_heldEndsLine = true;
};

} // namespace

ini::PendingKey* ini::PendingSection::Find(const QString& foldedKey)
{
    for (PendingKey& k : keys) {
        if (k.folded == foldedKey)
            return &k;
    }
    return nullptr;
}

bool ini::PendingSection::HasUndone() const
{
    for (const PendingKey& k : keys) {
        if (!k.done)
            return true;
    }
    return false;
}

IniFileStore::IniFileStore(const QString& path, DiskWriter* disk) : m_path(path), m_disk(disk ? *disk : m_realDisk) {}

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
    ini::PendingSection* target = nullptr;
    for (ini::PendingSection& s : m_pending) {
        if (s.folded == sectionFolded)
            target = &s;
    }
    if (!target) {
        m_pending.push_back(ini::PendingSection{section, sectionFolded, {}, false});
        target = &m_pending.back();
    }
    const QString keyFolded = key.toCaseFolded();
    if (ini::PendingKey* k = target->Find(keyFolded))
        k->value = value;
    else
        target->keys.push_back(ini::PendingKey{key, keyFolded, value, false});

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

void IniFileStore::BeginWrite() { m_writing = true; }

bool IniFileStore::Commit()
{
    m_writing = false;
    std::vector<ini::PendingSection> pending;
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

bool IniFileStore::WriteFile(std::vector<ini::PendingSection>& pending)
{
    FileReplacement::RemoveLeftovers(m_path);
    QFile old;
    const ini::Opened opened = ini::OpenForReading(m_path, old);
    // What cannot be read cannot be carried over; better not to replace it.
    if (opened != ini::Opened::Yes && opened != ini::Opened::Absent)
        return false;

    FileReplacement out(m_path, m_disk);
    if (!out.Open())
        return false;
    IniRewrite rewrite(pending, out);
    if (opened == ini::Opened::Yes) {
        ini::LineReader reader(old);
        rewrite.CopyOldFile(reader);
        if (reader.Failed())
            out.Cancel();
    }
    rewrite.AppendMissingSections();
    return out.Commit();
}
