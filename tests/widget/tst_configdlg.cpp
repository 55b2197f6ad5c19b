// The configuration dialog: its tabs, page set-up, and the ways out.

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ClockApp.h"
#include "app/ProfileStore.h"
#include "config/Choosers.h"
#include "config/ConfigDlg.h"
#include "config/PropertySheet.h"
#include "res/Templates.h"
#include "window/ClockDlg.h"

namespace {

class CountingPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;
    int inits = 0;
    int activations = 0;
    BOOL OnInitDialog() override { return ++inits; }
    BOOL OnSetActive() override { return ++activations; }
};

int StoredHourWidth() { return theApp.Store().GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), -1); }

} // namespace

class TestConfigDlg : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_nIni = 0;

    // A fresh, empty settings file for each test.
    void FreshStore()
    {
        theApp.UseIniFileAt(m_dir.filePath(QStringLiteral("vitrodial%1.ini").arg(++m_nIni)));
        theApp.m_bModified = 0;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
        theApp.SetScreenSize(QSize(1024, 768));
        FreshStore();
        theApp.LoadSettings();
    }

    void tabsInOrderGeometryFirst()
    {
        CConfigDlg dlg;
        QVERIFY(dlg.Create(nullptr));
        const QTabWidget* tabs = dlg.GetSheet().GetTabControl();
        QStringList texts;
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
        QCOMPARE(texts, (QStringList{"Geometry", "Colors", "Dial", "Seconds", "Minute", "Hour", "Date", "Misc."}));
        QCOMPARE(dlg.GetSheet().GetActiveIndex(), 0);
    }

    void initOnceActivateEveryTime()
    {
        CPropertySheet sheet;
        auto* first = new CountingPage(res::IDD_PAGE_HOUR);
        auto* second = new CountingPage(res::IDD_PAGE_HOUR);
        sheet.AddPage(first);
        sheet.AddPage(second);
        QVERIFY(sheet.Create(nullptr));
        for (int i : {1, 0, 1, 1, 0})
            sheet.GetTabControl()->tabBar()->setCurrentIndex(i);
        // inits and activations of the first, then of the second page
        QCOMPARE((QList<int>{first->inits, first->activations, second->inits, second->activations}),
                 (QList<int>{1, 3, 1, 2}));
    }

    // Focus on "Dismiss", on the tab strip, or on the page's first control,
    // which Tab from the strip reaches with no stop between.
    void keysSwitchPages_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("to");
        QTest::newRow("Ctrl+Tab wraps to the first") << 7 << "page" << QKeySequence("Ctrl+Tab") << 0;
        QTest::newRow("Ctrl+Shift+Tab wraps to the last") << 0 << "Dismiss" << QKeySequence("Ctrl+Shift+Tab") << 7;
        QTest::newRow("Ctrl+Page Down on a slider") << 1 << "page" << QKeySequence("Ctrl+PgDown") << 2;
        QTest::newRow("Ctrl+Page Up") << 3 << "strip" << QKeySequence("Ctrl+PgUp") << 2;
        QTest::newRow("Right on the strip") << 2 << "strip" << QKeySequence("Right") << 3;
    }
    void keysSwitchPages()
    {
        QFETCH(int, from);
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        QFETCH(int, to);
        CConfigDlg dlg;
        QVERIFY(dlg.Create(nullptr) && QTest::qWaitForWindowActive(&dlg));
        CPropertySheet& sheet = dlg.GetSheet();
        sheet.SetActivePage(from);
        QWidget* start = focus == "Dismiss" ? dlg.GetDlgItem(res::IDOK) : sheet.GetTabControl()->tabBar();
        start->setFocus();
        if (focus == "page")
            QTest::keyClick(start, Qt::Key_Tab);
        QVERIFY(focus != "page" || sheet.GetActivePage()->isAncestorOf(QApplication::focusWidget()));
        QTest::keySequence(QApplication::focusWidget(), keys);
        QCOMPARE(sheet.GetActiveIndex(), to);
        QVERIFY(QApplication::focusWidget()->isVisible());
    }

    // OK on a stored face that is not installed keeps it, not the face shown instead.
    void fontChooserKeepsAFaceNotInstalled()
    {
        CFontChooser chooser(CHOSENFONT{QStringLiteral("No Such Face"), 400, 1});
        chooser.accept();
        QCOMPARE(chooser.Chosen().strFaceName, QStringLiteral("No Such Face"));
    }

    void dismissSavesOnlyWhenModified_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("windowManager");
        QTest::newRow("unchanged") << false << false;
        QTest::newRow("changed") << true << false;
        QTest::newRow("window manager close") << true << true;
    }
    void dismissSavesOnlyWhenModified()
    {
        QFETCH(bool, modified);
        QFETCH(bool, windowManager);
        FreshStore();
        QPointer<CConfigDlg> dlg = new CConfigDlg;
        dlg->Create(nullptr);
        theApp.m_nHourWidth = 7;
        theApp.m_bModified = modified ? 1 : 0;
        if (windowManager)
            QVERIFY(!dlg->close());
        else
            qobject_cast<QAbstractButton*>(dlg->GetDlgItem(res::IDOK))->click();
        QVERIFY(dlg && !dlg->isVisible());
        QCOMPARE(StoredHourWidth(), modified ? 7 : -1);
        delete dlg.data();
    }

    void closeVitrodialSavesThenEndsTheClock()
    {
        FreshStore();
        theApp.m_bTrayIcon = 0;  // the clock opens the dialog at once
        CClockDlg clock;
        theApp.m_pMainWnd = &clock;
        bool savedFirst = false;
        QTimer::singleShot(0, &clock, [&] {
            theApp.m_nHourWidth = 9;
            theApp.m_bModified = 1;
            qobject_cast<QAbstractButton*>(clock.m_pConfigDlg->GetDlgItem(res::IDC_CLOSE_CLOCK))->click();
            savedFirst = StoredHourWidth() == 9;
        });
        clock.DoModal();  // returns only when the run ends
        theApp.m_pMainWnd = nullptr;
        QVERIFY(savedFirst);
        QCOMPARE(clock.m_pConfigDlg, nullptr);
    }
};

QTEST_MAIN(TestConfigDlg)
#include "tst_configdlg.moc"
