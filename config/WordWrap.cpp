#include "config/WordWrap.h"

#include <QStringList>

namespace {

// Appends word to lines, starting new lines as needed; a word wider than a
// line is cut between characters.
void AddWord(QStringList& lines, QString& line, const QString& word, const QFontMetrics& fm, int maxWidth)
{
    const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (fm.horizontalAdvance(joined) <= maxWidth) {
        line = joined;
        return;
    }
    if (!line.isEmpty())
        lines << line;
    line.clear();
    for (const QChar ch : word) {
        if (!line.isEmpty() && fm.horizontalAdvance(line + ch) > maxWidth) {
            lines << line;
            line.clear();
        }
        line += ch;
    }
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
