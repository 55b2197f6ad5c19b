// The configuration dialog's frame: the sheet and its tabs, pages built on
// their first selection, the placement, and the ways out (Dismiss, the window
// manager's close, Escape, Close Vitrodial).

#include <QAbstractButton>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ClockApp.h"
#include "app/ProfileStore.h"
#include "config/ColorButton.h"
#include "config/ConfigDlg.h"
#include "config/HyperLink.h"
#include "config/PropertySheet.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"
#include "window/ClockDlg.h"

namespace {

class CountingPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;
    int inits = 0;
    int activations = 0;
    bool builtAtInit = false;
    BOOL OnInitDialog() override
    {
        ++inits;
        builtAtInit = GetDlgItem(1040) != nullptr;
        return 1;
    }
    BOOL OnSetActive() override
    {
        ++activations;
        return 1;
    }
};

int StoredHourWidth() { return theApp.Store().GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), -1); }

} // namespace

class TestConfigDlg : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_nIni = 0;

    // A fresh, empty settings file for each test.
    QString FreshStore()
    {
        const QString path = m_dir.filePath(QStringLiteral("vitrodial%1.ini").arg(++m_nIni));
        theApp.UseIniFileAt(path);
        theApp.m_bModified = 0;
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
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
        for (int i = 0; i < tabs->count(); ++i)
            QCOMPARE(dlg.GetSheet().GetPage(i)->IsBuilt(), i == 0);
    }

    void initOnceActivateEveryTime()
    {
        QWidget parent;
        CountingPage first(res::IDD_PAGE_HOUR), second(res::IDD_PAGE_HOUR);
        {
            CPropertySheet sheet;
            sheet.AddPage(&first);
            sheet.AddPage(&second);
            QVERIFY(sheet.Create(&parent));
            QCOMPARE(first.inits, 1);
            QCOMPARE(first.activations, 1);
            QCOMPARE(second.inits, 0);
            for (int i : {1, 0, 1, 1, 0}) {
                sheet.GetTabControl()->tabBar()->setCurrentIndex(i);
            }
            QCOMPARE(first.inits, 1);
            QCOMPARE(second.inits, 1);
            QCOMPARE(first.activations, 3);
            QCOMPARE(second.activations, 2);
            first.setParent(nullptr);
            second.setParent(nullptr);
        }
    }

    void dismissSavesOnlyWhenModified_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::newRow("unchanged") << false;
        QTest::newRow("changed") << true;
    }
    void dismissSavesOnlyWhenModified()
    {
        QFETCH(bool, modified);
        const QString path = FreshStore();
        CConfigDlg dlg;
        dlg.Create(nullptr);
        theApp.m_nHourWidth = 7;
        theApp.m_bModified = modified ? 1 : 0;
        qobject_cast<QAbstractButton*>(dlg.GetDlgItem(res::IDOK))->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(QFile::exists(path), modified);
        QCOMPARE(StoredHourWidth(), modified ? 7 : -1);
        QCOMPARE(theApp.m_bModified, 0);
    }

    void closingOrEscapeActAsDismiss_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("window manager close") << false;
        QTest::newRow("Escape") << true;
    }
    void closingOrEscapeActAsDismiss()
    {
        QFETCH(bool, escape);
        FreshStore();
        QPointer<CConfigDlg> dlg = new CConfigDlg;
        dlg->Create(nullptr);
        dlg->GetSheet().SetActivePage(3);
        theApp.m_nHourWidth = 5;
        theApp.m_bModified = 1;
        if (escape)
            QTest::keyClick(dlg.data(), Qt::Key_Escape);
        else
            QVERIFY(!dlg->close());
        QVERIFY(dlg);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(StoredHourWidth(), 5);

        // Shown again as it was left.
        dlg->show();
        QCOMPARE(dlg->GetSheet().GetActiveIndex(), 3);
        delete dlg.data();
    }

    void closeVitrodialSavesAndEndsTheClock()
    {
        FreshStore();
        theApp.m_bTrayIcon = 0;  // the clock opens the dialog at once
        CClockDlg clock;
        theApp.m_pMainWnd = &clock;
        bool hiddenAndGone = false;
        QTimer::singleShot(0, &clock, [&] {
            CConfigDlg* dlg = clock.m_pConfigDlg;
            QVERIFY(dlg && dlg->isVisible());
            theApp.m_nHourWidth = 9;
            theApp.m_bModified = 1;
            qobject_cast<QAbstractButton*>(dlg->GetDlgItem(res::IDC_CLOSE_CLOCK))->click();
            // The window goes, the object stays for the clock to delete.
            hiddenAndGone = clock.m_pConfigDlg == dlg && !dlg->isVisible()
                && !dlg->testAttribute(Qt::WA_WState_Created);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, &clock, &CClockDlg::PostQuitMessage);
        watchdog.start(60000);
        clock.DoModal();
        QVERIFY(watchdog.isActive());
        theApp.m_pMainWnd = nullptr;
        QVERIFY(hiddenAndGone);
        QCOMPARE(clock.m_pConfigDlg, nullptr);
        QCOMPARE(StoredHourWidth(), 9);
    }
};

QTEST_MAIN(TestConfigDlg)
#include "tst_configdlg.moc"
