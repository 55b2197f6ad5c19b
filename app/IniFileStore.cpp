#include "app/IniFileStore.h"

#include <QIODevice>

#include <memory>

#include "app/IniFormat.h"
#include "app/ProfileText.h"

namespace {

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

IniFileStore::IniFileStore(const QString& path, Disk* disk) : m_path(path), m_disk(disk ? *disk : m_realDisk) {}

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

void IniFileStore::BeginRead(const std::vector<ProfileKey>& keys)
{
    m_reading = true;
    m_cacheFilled = false;
    m_cache.clear();
    for (const ProfileKey& k : keys)
        m_cache.insert(Id(k.section.toCaseFolded(), k.key.toCaseFolded()), std::nullopt);
}

void IniFileStore::EndRead()
{
    m_reading = false;
    m_cacheFilled = false;
    m_cache.clear();
}

void IniFileStore::NoteReadError(const QString& why)
{
    if (m_readError.isEmpty())
        m_readError = why;
}

void IniFileStore::BeginWrite() { m_writing = true; }

bool IniFileStore::Commit()
{
    m_writing = false;
    std::vector<ini::PendingSection> pending;
    pending.swap(m_pending);
    m_saveError.clear();
    if (pending.empty())
        return true;
    if (!m_readError.isEmpty()) {
        m_saveError = QStringLiteral("it could not be read in this run (%1); saving would put the defaults in place "
                                     "of its settings. It is read again at the next start.")
                          .arg(m_readError);
        return false;
    }
    const bool ok = WriteFile(pending);
    // What was read before may be stale now.
    m_cacheFilled = false;
    return ok;
}

std::optional<QString> IniFileStore::Lookup(const QString& section, const QString& key)
{
    const Id id(section.toCaseFolded(), key.toCaseFolded());
    if (m_reading) {
        const auto it = m_cache.constFind(id);
        if (it != m_cache.constEnd()) {
            if (!m_cacheFilled)
                FillCache();
            return *it;
        }
    }
    std::optional<QString> found;
    Scan([&](const QString& s, const QString& k, const QString& value) {
        if (s == id.first && k == id.second) {
            found = value;
            return false;
        }
        return true;
    });
    return found;
}

template <typename Visit> void IniFileStore::Scan(Visit&& visit)
{
    std::unique_ptr<QIODevice> in;
    QString why;
    switch (m_disk.Open(m_path, in, &why)) {
    case ini::Opened::Yes:
        break;
    case ini::Opened::Absent:
    case ini::Opened::NotAFile:
        return;
    case ini::Opened::Unreadable:
        NoteReadError(why);
        return;
    }
    ini::LineReader reader(*in);
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
    if (reader.Failed())
        NoteReadError(reader.Error());
}

void IniFileStore::FillCache()
{
    for (auto& value : m_cache)
        value.reset();
    qsizetype missing = m_cache.size();
    // The first entry of a key wins: the pass ends once every key has one.
    Scan([&](const QString& section, const QString& key, const QString& value) {
        const auto it = m_cache.find(Id(section, key));
        if (it != m_cache.end() && !*it) {
            *it = value;
            --missing;
        }
        return missing > 0;
    });
    m_cacheFilled = true;
}

bool IniFileStore::WriteFile(std::vector<ini::PendingSection>& pending)
{
    FileReplacement::RemoveLeftovers(m_path);
    std::unique_ptr<QIODevice> old;
    QString why;
    switch (m_disk.Open(m_path, old, &why)) {
    case ini::Opened::Yes:
    case ini::Opened::Absent:
        break;
    case ini::Opened::NotAFile:
        m_saveError = QStringLiteral("it is not a regular file");
        return false;
    case ini::Opened::Unreadable:
        // What cannot be read cannot be carried over; better not to replace it.
        m_saveError = QStringLiteral("it cannot be read: ") + why;
        return false;
    }

    FileReplacement out(m_path, m_disk);
    if (out.Open()) {
        IniRewrite rewrite(pending, out);
        if (old) {
            ini::LineReader reader(*old);
            rewrite.CopyOldFile(reader);
            if (reader.Failed())
                out.Cancel(QStringLiteral("it cannot be read: ") + reader.Error());
        }
        rewrite.AppendMissingSections();
    }
    if (out.Commit())
        return true;
    m_saveError = out.Error();
    return false;
}
