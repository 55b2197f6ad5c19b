#include "config/Choosers.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>

#include "platform/Font.h"

namespace {

// The chooser's initial size, as the original asked for it: a cell 24 pixels high.
constexpr int kChooserFontHeight = 24;

class DesktopChoosers : public IChoosers {
public:
    bool ChooseColor(COLORREF initial, COLORREF* out) override
    {
        // The custom colours are QColorDialog's own, shared by every chooser
        // of the process and not saved.
        const QColor chosen = QColorDialog::getColor(ToQColor(initial), QApplication::activeWindow());
        if (!chosen.isValid())
            return false;
        *out = FromQColor(chosen);
        return true;
    }

    bool ChooseFont(CHOSENFONT& font) override
    {
        platform::LOGFONT lf;
        platform::SetFaceName(lf, font.strFaceName);
        lf.lfHeight = kChooserFontHeight;
        lf.lfWeight = font.lfWeight;
        lf.lfItalic = font.lfItalic;
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, platform::CreateFontIndirect(lf),
                                                  QApplication::activeWindow(), QString(),
                                                  QFontDialog::ScalableFonts);
        if (!ok)
            return false;
        const QStringList families = chosen.families();
        font.strFaceName = families.isEmpty() ? chosen.family() : families.first();
        font.lfWeight = chosen.weight();
        font.lfItalic = chosen.italic() ? 1 : 0;
        return true;
    }
};

std::unique_ptr<IChoosers>& Replacement()
{
    static std::unique_ptr<IChoosers> choosers;
    return choosers;
}

} // namespace

IChoosers& Choosers()
{
    static DesktopChoosers desktop;
    if (IChoosers* replaced = Replacement().get())
        return *replaced;
    return desktop;
}

std::unique_ptr<IChoosers> SetChoosers(std::unique_ptr<IChoosers> choosers)
{
    std::unique_ptr<IChoosers> previous = std::move(Replacement());
    Replacement() = std::move(choosers);
    return previous;
}
