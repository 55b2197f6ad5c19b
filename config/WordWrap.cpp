#include "config/WordWrap.h"

#include <QStringList>

namespace {

// A line may end after one of these inside a word: the joints of links and
// mail addresses.
bool IsBreakAfter(QChar ch)
{
    return ch == QLatin1Char('/') || ch == QLatin1Char('@') || ch == QLatin1Char('.') || ch == QLatin1Char('-');
}

// How many characters of word, from its start, go on one line of maxWidth:
// up to the last natural break that fits, else as many as fit (at least one).
int FittingPrefix(const QString& word, const QFontMetrics& fm, int maxWidth)
{
    int fits = 1;
    while (fits < word.size() && fm.horizontalAdvance(word.left(fits + 1)) <= maxWidth)
        ++fits;
    if (fits == word.size())
        return fits;
    for (int n = fits; n > 0; --n)
        if (IsBreakAfter(word[n - 1]))
            return n;
    return fits;
}

// Appends word to lines, starting new lines as needed; a word wider than a
// line is cut at its natural breaks, or between characters where it has none.
void AddWord(QStringList& lines, QString& line, QString word, const QFontMetrics& fm, int maxWidth)
{
    const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (fm.horizontalAdvance(joined) <= maxWidth) {
        line = joined;
        return;
    }
    if (!line.isEmpty())
        lines << line;
    while (fm.horizontalAdvance(word) > maxWidth) {
        const int n = FittingPrefix(word, fm, maxWidth);
        lines << word.left(n);
        word.remove(0, n);
    }
    line = word;
}

} // namespace

QString WrapText(const QString& text, const QFontMetrics& fm, int maxWidth)
{
    QStringList out;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QStringList lines;
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            AddWord(lines, line, word, fm, maxWidth);
        lines << line;
        out << lines.join(QLatin1Char('\n'));
    }
    return out.join(QLatin1Char('\n'));
}
