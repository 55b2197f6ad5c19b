#include "config/Choosers.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

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
        CFontChooser chooser(font, QApplication::activeWindow());
        if (chooser.exec() != QDialog::Accepted)
            return false;
        font = chooser.Chosen();
        return true;
    }
};

QString FamilyOf(const QFont& font)
{
    const QStringList families = font.families();
    return families.isEmpty() ? font.family() : families.first();
}

} // namespace

CFontChooser::CFontChooser(const CHOSENFONT& stored, QWidget* parent) : QFontDialog(parent), m_stored(stored)
{
    setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::ScalableFonts);
    platform::LOGFONT lf;
    platform::SetFaceName(lf, stored.strFaceName);
    lf.lfHeight = kChooserFontHeight;
    lf.lfWeight = stored.lfWeight;
    lf.lfItalic = stored.lfItalic;
    QFont font = platform::CreateFontIndirect(lf);
    if (!QFontDatabase::hasFamily(stored.strFaceName)) {
        // Open on the face the clock really draws with, and say so.
        m_strFallback = QFontInfo(font).family();
        font.setFamily(m_strFallback);
        AddNote(tr("The stored face \"%1\" is not installed; the date is drawn in \"%2\". "
                   "OK keeps \"%1\" unless you pick another face.")
                    .arg(stored.strFaceName, m_strFallback));
    }
    setCurrentFont(font);
    HideUnkeptChoices();
    // Without the size list beside it the sample would shrink below its text.
    if (auto* sample = findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit")))
        sample->setMinimumHeight(2 * QFontMetrics(font).height());
    const QString opened = FamilyOf(currentFont());
    connect(this, &QFontDialog::currentFontChanged, this, [this, opened](const QFont& f) {
        if (FamilyOf(f) != opened)
            m_bFacePicked = true;
    });
}

CHOSENFONT CFontChooser::Chosen() const
{
    const QFont font = selectedFont();
    CHOSENFONT chosen = m_stored;
    if (m_strFallback.isEmpty() || m_bFacePicked)
        chosen.strFaceName = FamilyOf(font);
    chosen.lfWeight = font.weight();
    chosen.lfItalic = font.italic() ? 1 : 0;
    return chosen;
}

void CFontChooser::HideUnkeptChoices()
{
    // The date keeps neither a size (it follows the face's) nor effects nor a
    // writing system: their parts of the dialog go.
    QList<QWidget*> unkept;
    for (QGroupBox* group : findChildren<QGroupBox*>())
        if (!group->findChildren<QCheckBox*>().isEmpty())
            unkept << group;
    for (QComboBox* combo : findChildren<QComboBox*>(Qt::FindDirectChildrenOnly))
        unkept << combo;
    // The size is the one entry field that takes numbers; its list follows it.
    QWidget* sizeEdit = nullptr;
    for (QObject* child : children()) {
        auto* edit = qobject_cast<QLineEdit*>(child);
        if (edit && edit->validator()) {
            sizeEdit = edit;
            unkept << edit;
        } else if (auto* list = qobject_cast<QListView*>(child); list && sizeEdit) {
            unkept << list;
            break;
        }
    }
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (unkept.contains(label->buddy()))
            unkept << label;
    for (QWidget* w : unkept)
        w->hide();
}

void CFontChooser::AddNote(const QString& text)
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* buttons = findChild<QDialogButtonBox*>();
    if (!grid || !buttons)
        return;
    auto* note = new QLabel(text, this);
    note->setWordWrap(true);
    // Above the buttons, across the whole dialog.
    grid->removeWidget(buttons);
    grid->addWidget(note, grid->rowCount(), 0, 1, grid->columnCount());
    grid->addWidget(buttons, grid->rowCount(), 0, 1, grid->columnCount());
}

namespace {

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
