#pragma once
// What the Geometry, Colors and Misc page tests share: the settings at their
// defaults on a 1024 x 768 screen, a real clock window as the main window
// (never shown, so that only the pages make it draw), the configuration
// dialog with one page selected, colour choosers that answer from a script
// and message boxes that are recorded instead of shown.

#include <memory>

#include <QApplication>
#include <QList>
#include <QMouseEvent>
#include <QSlider>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/ClockApp.h"
#include "config/Choosers.h"
#include "config/ConfigDlg.h"
#include "platform/MessageBox.h"
#include "window/ClockDlg.h"

// One answer of the colour chooser: confirmed with a colour, or cancelled.
struct ChooserAnswer {
    bool ok = false;
    COLORREF color = 0;
};
Q_DECLARE_METATYPE(ChooserAnswer)

class ClockPageFixture {
public:
    // Tab indices of the sheet.
    static constexpr int kGeometry = 0;
    static constexpr int kColors = 1;
    static constexpr int kMisc = 7;

    // setUp runs on the default settings, before the page is first shown.
    template <class Setup>
    ClockPageFixture(int page, Setup setUp)
    {
        theApp.ResetForTests();
        theApp.SetScreenSize(QSize(1024, 768));
        theApp.UseIniFileAt(m_dir.filePath(QStringLiteral("defaults.ini")));
        theApp.LoadSettings();
        setUp();
        theApp.m_bModified = 0;

        clock = std::make_unique<CClockDlg>();
        clock->setGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize, theApp.m_nSize);
        clock->ApplyLayering();
        theApp.m_pMainWnd = clock.get();

        m_oldHandler = platform::SetMessageHandler([this](const QString& text) { messages << text; });
        SetChoosers(std::make_unique<Scripted>(this));

        dlg = std::make_unique<CConfigDlg>();
        dlg->Create(nullptr);
        dlg->GetSheet().SetActivePage(page);
        DropRenderer();
    }

    ~ClockPageFixture()
    {
        dlg.reset();
        theApp.m_pMainWnd = nullptr;
        clock.reset();
        SetChoosers(nullptr);
        platform::SetMessageHandler(std::move(m_oldHandler));
    }

    template <class Page>
    Page* page() const
    {
        return qobject_cast<Page*>(dlg->GetSheet().GetActivePage());
    }

    // The clock keeps its renderer between draws and makes a new one only
    // when it has none: dropping it makes the next draw visible.
    void DropRenderer() { clock->OnSize(); }
    bool Redrawn() const { return clock->m_pFace != nullptr; }

    bool ClockOnTop() const
    {
        if (const QWindow* w = clock->windowHandle())
            return w->flags() & Qt::WindowStaysOnTopHint;
        return clock->windowFlags() & Qt::WindowStaysOnTopHint;
    }

    std::unique_ptr<CClockDlg> clock;
    std::unique_ptr<CConfigDlg> dlg;
    QStringList messages;
    QList<ChooserAnswer> answers;  // taken from the front, one per chooser opened
    QList<COLORREF> asked;         // the colour each chooser opened on

private:
    class Scripted : public IChoosers {
    public:
        explicit Scripted(ClockPageFixture* f) : m_f(f) {}
        bool ChooseColor(COLORREF initial, COLORREF* out) override
        {
            m_f->asked << initial;
            const ChooserAnswer a = m_f->answers.isEmpty() ? ChooserAnswer{} : m_f->answers.takeFirst();
            if (a.ok)
                *out = a.color;
            return a.ok;
        }
        bool ChooseFont(CHOSENFONT&) override { return false; }

    private:
        ClockPageFixture* m_f;
    };

    QTemporaryDir m_dir;
    platform::MessageHandler m_oldHandler;
};

// The slider's thumb, where the style draws it.
inline QRect SliderHandle(const QSlider* slider)
{
    struct Access : QSlider {
        using QSlider::initStyleOption;
    };
    QStyleOptionSlider opt;
    (slider->*&Access::initStyleOption)(&opt);
    return slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
