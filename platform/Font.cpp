#include "platform/Font.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

#include <malloc.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QThread>

#include "platform/Region.h"
#include "platform/Text.h"

namespace platform {
namespace {

// Beyond this the glyph outlines would be larger than any screen; bigger
// requests are drawn at this size instead of asking the font engine for them.
constexpr int kMaxPixelSize = 16384;
// The size a height of 0 ("any size") stands for.
constexpr int kDefaultPixelSize = 12;

int CellHeight(QFont& font, int pixelSize)
{
    font.setPixelSize(pixelSize);
    const QFontMetrics fm(font);
    return fm.ascent() + fm.descent();
}

// Whether the font the system chose for the face is a symbol font standing in
// for a face that is not installed. The original platform never maps a text
// request onto a symbol font unless that font is named; fontconfig does, e.g.
// a missing "Impact" counts as "fantasy", which a dingbats font may claim.
bool IsSymbolStandIn(const QFont& font, const QString& face)
{
    const QString family = QFontInfo(font).family(); // "Name" or "Name [foundry]"
    const qsizetype foundry = family.indexOf(QLatin1String(" ["));
    if (QStringView(family).left(foundry < 0 ? family.size() : foundry).compare(face, Qt::CaseInsensitive) == 0)
        return false;
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol);
}

// Whether laying out the text in the font, with the system's fallback fonts,
// gives no missing-glyph box.
bool DrawsAll(const QFont& font, const QString& text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        if (run.glyphIndexes().contains(0))
            return false;
    return true;
}

// The runs of text the font draws only as missing-glyph boxes, each with a
// variant of the font that has the glyphs; empty when the font draws it all.
// The system falls back by family and then takes the requested style of it,
// so an italic request gets oblique faces that may lack a script the upright
// face of the same family has: the variants give up italic, then weight.
QList<QTextLayout::FormatRange> Fallbacks(const QFont& font, const QString& text)
{
    QList<QTextLayout::FormatRange> ranges;
    if (text.isEmpty() || DrawsAll(font, text))
        return ranges;
    QFont upright = font;
    upright.setItalic(false);
    QFont regular = upright;
    regular.setWeight(QFont::Normal);
    const QFont* lastPick = nullptr;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString c = text.mid(i, n);
        const QFont* pick = nullptr;
        if (!DrawsAll(font, c))
            for (const QFont* candidate : {&upright, &regular})
                if (*candidate != font && DrawsAll(*candidate, c)) {
                    pick = candidate;
                    break;
                }
        if (pick && pick == lastPick) { // lastPick is only set for the character before
            ranges.back().length += int(n);
        } else if (pick) {
            QTextLayout::FormatRange range;
            range.start = int(i), range.length = int(n);
            range.format.setFont(*pick);
            ranges.append(range);
        }
        lastPick = pick;
        i += n;
    }
    return ranges;
}

// Lays the text out in one line, the ranges in their fonts.
void LayOut(QTextLayout& layout, const QFont& font, const QString& text, const QList<QTextLayout::FormatRange>& ranges)
{
    layout.setText(text);
    layout.setFont(font);
    layout.setFormats(ranges);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
}

} // namespace

void SetFaceName(LOGFONT& lf, const QString& face)
{
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    const QByteArray bytes = CutText(face, LF_FACESIZE - 1, LF_FACESIZE - 1).toUtf8();
    std::memcpy(lf.lfFaceName, bytes.constData(), std::size_t(bytes.size()));
}

QFont CreateFontIndirect(const LOGFONT& lf)
{
    QFont font;
    const std::size_t len = strnlen(lf.lfFaceName, LF_FACESIZE);
    const QString face = QString::fromUtf8(lf.lfFaceName, qsizetype(len));
    if (!face.isEmpty())
        font.setFamilies({face});
    font.setWeight(QFont::Weight(lf.lfWeight == 0 ? 400 : std::clamp(lf.lfWeight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    // The original platform neither kerns nor hints text drawn into a path.
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    if (!face.isEmpty() && IsSymbolStandIn(font, face))
        font.setFamilies({QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});

    if (lf.lfHeight < 0) {
        // A negative height is the em height.
        font.setPixelSize(int(std::min<long long>(-(long long)lf.lfHeight, kMaxPixelSize)));
        return font;
    }
    const int cell = lf.lfHeight == 0 ? kDefaultPixelSize : std::min(lf.lfHeight, kMaxPixelSize);
    // Guess the em size from the ratio at the cell height, then settle on the
    // largest size whose cell still fits.
    const int atCell = CellHeight(font, cell);
    int size = atCell > 0 ? std::max(1, int((long long)cell * cell / atCell)) : cell;
    for (int i = 0; i < 64 && size > 1 && CellHeight(font, size) > cell; ++i)
        --size;
    for (int i = 0; i < 64 && size < kMaxPixelSize && CellHeight(font, size + 1) <= cell; ++i)
        ++size;
    font.setPixelSize(size);
    return font;
}

QSize GetTextExtent(const QFont& font, const QString& text)
{
    const QFontMetrics fm(font);
    const QList<QTextLayout::FormatRange> ranges = Fallbacks(font, text);
    if (ranges.isEmpty())
        return QSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent());
    QTextLayout layout;
    LayOut(layout, font, text, ranges);
    return QSize(qRound(layout.lineAt(0).horizontalAdvance()), fm.ascent() + fm.descent());
}

QRect TextBounds(const QFont& font, const QSize& extent, int x, int y)
{
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    const long long em = std::max(pixels, extent.height()) + 2LL;
    const QRect& all = NoClip();
    const auto clamp = [](long long v, int lo, int hi) { return int(std::clamp<long long>(v, lo, hi)); };
    return QRect(QPoint(clamp(x - em, all.left(), all.right()), clamp(y - em, all.top(), all.bottom())),
                 QPoint(clamp(x + extent.width() + em, all.left(), all.right()),
                        clamp(y + extent.height() + em, all.top(), all.bottom())));
}

QRegion TextToRegion(const QFont& font, const QString& text, int x, int y, const QRect& clip, const QRegion* within)
{
    const QSize extent = GetTextExtent(font, text);
    if (!clip.intersects(TextBounds(font, extent, x, y)))
        return QRegion();
    const QFontMetrics fm(font);
    QPainterPath path;
    path.addRect(QRectF(x, y, extent.width(), extent.height()));
    const QList<QTextLayout::FormatRange> ranges = Fallbacks(font, text);
    if (ranges.isEmpty()) {
        path.addText(QPointF(x, double(y) + fm.ascent()), font, text);
    } else {
        QTextLayout layout;
        LayOut(layout, font, text, ranges);
        // On the font's baseline, though a fallback may make the line taller.
        const QPointF origin(x, double(y) + fm.ascent() - layout.lineAt(0).ascent());
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QRawFont raw = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
                path.addPath(raw.pathForGlyph(glyphs[i]).translated(origin + positions[i]));
        }
    }
    std::vector<std::vector<QPointF>> polygons;
    for (const QPolygonF& polygon : path.toSubpathPolygons())
        polygons.emplace_back(polygon.begin(), polygon.end());
    return CreatePolyPolygonRgn(polygons, clip, within);
}

void OnPassingThread(const std::function<void()>& work)
{
    bool ran = false;
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        ran = true;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    thread->start();
    thread->wait();
    // A thread that could not start leaves the work to this one; a failure
    // goes on from here, as from work done here.
    if (!ran)
        work();
    if (failure)
        std::rethrow_exception(failure);
    // What the thread freed lies between what the process keeps: the whole
    // pages of it go back to the system.
    malloc_trim(0);
}

} // namespace platform
