#pragma once
// Shared by the page tests: first-start settings in a file of their own, the
// real clock window as theApp's main window at a time the test moves on,
// choosers that answer as told, recorded message boxes, and the page under
// test either in a small sheet or in the configuration dialog.

#include <ctime>
#include <memory>
#include <optional>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "config/Choosers.h"
#include "config/ConfigDlg.h"
#include "config/PageDate.h"
#include "config/PageDial.h"
#include "config/PageHour.h"
#include "config/PageMin.h"
#include "config/PageSecs.h"
#include "config/PropertySheet.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "res/Templates.h"
#include "window/ClockDlg.h"

namespace pagetest {

// What the stub choosers answer (nullopt: cancelled) and what they opened on.
struct ChooserScript {
    std::optional<COLORREF> color;
    std::optional<CHOSENFONT> font;
    QList<COLORREF> colorOpenedOn;
    QList<CHOSENFONT> fontOpenedOn;
};

class StubChoosers final : public IChoosers {
public:
    explicit StubChoosers(ChooserScript& script) : m_script(script) {}
    bool ChooseColor(COLORREF initial, COLORREF* out) override
    {
        m_script.colorOpenedOn << initial;
        if (m_script.color)
            *out = *m_script.color;
        return m_script.color.has_value();
    }
    bool ChooseFont(CHOSENFONT& font) override
    {
        m_script.fontOpenedOn << font;
        if (m_script.font)
            font = *m_script.font;
        return m_script.font.has_value();
    }

private:
    ChooserScript& m_script;
};

class SteppedClock final : public platform::IClock {
public:
    std::time_t Now() const override { return now; }
    long long NowMs() const override { return (long long)now * 1000; }
    std::time_t now = 1099822110;  // a Sunday morning, 10:08:30 UTC
};

// Settings, time, choosers, messages and the clock window of one test.
class Bench {
public:
    // Tab indices of the configuration dialog.
    static constexpr int kGeometry = 0, kColors = 1, kMisc = 7;

    // setUp runs on the first-start settings (1024 x 768 screen), before any
    // page is shown.
    template <class Setup>
    explicit Bench(Setup setUp)
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
        theApp.ResetForTests();
        theApp.SetScreenSize(QSize(1024, 768));
        theApp.UseIniFileAt(m_dir.filePath(QStringLiteral("vitrodial.ini")));
        theApp.LoadSettings();
        setUp();
        platform::SetClock(m_time);
        SetChoosers(std::make_unique<StubChoosers>(choosers));
        m_oldHandler = platform::SetMessageHandler([this](const QString& text) { messages << text; });
        clock.setGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize, theApp.m_nSize);
        clock.ApplyLayering();
        theApp.m_pMainWnd = &clock;
        clock.DrawClock();
        Arm();
    }
    Bench() : Bench([] {}) {}
    ~Bench()
    {
        dlg.reset();
        theApp.m_pMainWnd = nullptr;
        SetChoosers(nullptr);
        platform::SetClock(nullptr);
        platform::SetMessageHandler(std::move(m_oldHandler));
    }

    // The configuration dialog with one page selected.
    template <class Page>
    Page* Open(int page)
    {
        dlg = std::make_unique<CConfigDlg>();
        dlg->Create(nullptr);
        dlg->GetSheet().SetActivePage(page);
        DropRenderer();
        theApp.m_bModified = 0;
        return qobject_cast<Page*>(dlg->GetSheet().GetActivePage());
    }
    void Reselect(int other, int page)
    {
        dlg->GetSheet().SetActivePage(other);
        dlg->GetSheet().SetActivePage(page);
    }

    // Moves the time on, so that any redraw from now on changes the face, and
    // clears the settings-changed flag.
    void Arm()
    {
        m_time->now += 10 * 60 + 7;
        m_shown = clock.Surface().Current().copy();
        theApp.m_bModified = 0;
    }
    const QImage& Shown() const { return clock.Surface().Current(); }
    bool Redrawn() const { return Shown() != m_shown; }
    // Redrawn since Arm, with the settings as they are now.
    bool ShowsSettings() const
    {
        QImage expected(Shown().size(), QImage::Format_RGB32);
        CClockFace face(0, 0, expected.width(), expected.height());
        QPainter painter(&expected);
        face.DrawAt(&painter, m_time->now);
        painter.end();
        return Shown() == expected;
    }
    // The clock keeps its renderer between draws and makes a new one only
    // when it has none: dropping it makes the next draw visible.
    void DropRenderer() { clock.OnSize(); }
    bool FaceMade() const { return clock.m_pFace != nullptr; }
    bool ClockOnTop() const
    {
        if (const QWindow* w = clock.windowHandle())
            return w->flags() & Qt::WindowStaysOnTopHint;
        return clock.windowFlags() & Qt::WindowStaysOnTopHint;
    }

    ChooserScript choosers;
    QStringList messages;

private:
    QTemporaryDir m_dir;
    std::shared_ptr<SteppedClock> m_time = std::make_shared<SteppedClock>();
    platform::MessageHandler m_oldHandler;
    QImage m_shown;

public:
    CClockDlg clock;
    std::unique_ptr<CConfigDlg> dlg;
};

inline std::unique_ptr<CPropertyPage> MakePage(int templateId)
{
    switch (templateId) {
    case res::IDD_PAGE_HOUR: return std::make_unique<CPageHour>();
    case res::IDD_PAGE_MIN: return std::make_unique<CPageMin>();
    case res::IDD_PAGE_SECS: return std::make_unique<CPageSecs>();
    case res::IDD_PAGE_DIAL: return std::make_unique<CPageDial>();
    case res::IDD_PAGE_DATE: return std::make_unique<CPageDate>();
    }
    return nullptr;
}

// The page under test, selected first in a shown sheet; a second page to
// switch to and back.
class Sheet {
public:
    explicit Sheet(int templateId) : m_page(MakePage(templateId))
    {
        m_sheet.AddPage(m_page.get());
        m_sheet.AddPage(&m_other);
        m_sheet.Create(&m_host);
        m_host.resize(m_sheet.size());
        m_host.show();
        if (!QTest::qWaitForWindowExposed(&m_host))
            QTest::qFail("the sheet was never shown", __FILE__, __LINE__);
    }

    CPropertyPage& Page() const { return *m_page; }
    template <class T>
    T* Item(int id) const
    {
        return qobject_cast<T*>(m_page->GetDlgItem(id));
    }
    void Reselect()
    {
        m_sheet.SetActivePage(1);
        m_sheet.SetActivePage(0);
    }

private:
    // Destroyed in reverse: the pages leave the sheet before it goes.
    QWidget m_host;
    CPropertySheet m_sheet;
    std::unique_ptr<CPropertyPage> m_page;
    CPropertyPage m_other{res::IDD_PAGE_GEOM};
};

inline QRect SliderThumb(const QSlider* slider)
{
    struct Access : QSlider {
        using QSlider::initStyleOption;
    };
    QStyleOptionSlider opt;
    (slider->*&Access::initStyleOption)(&opt);
    return slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
}

// A left-button mouse event as the window system delivers it.
inline void Mouse(QWidget* w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The controls of the page's template, by id, whose enabled state differs
// from "enabled unless listed in greyed".
inline QList<int> WronglyEnabled(const Sheet& sheet, const QList<int>& greyed)
{
    QList<int> wrong;
    const res::DialogTemplate* t = res::FindDialogTemplate(sheet.Page().TemplateId());
    for (std::size_t i = 0; i < t->count; ++i) {
        const int id = t->controls[i].id;
        if (QWidget* w = sheet.Page().GetDlgItem(id); w && w->isEnabled() == greyed.contains(id))
            wrong << id;
    }
    return wrong;
}

} // namespace pagetest
