// The Misc page on a real clock window: the controls as the settings left
// them, the links, stay on top and the tray icon in both directions, and the
// switches between the .ini file and the per-user store, including a folder
// where no .ini file can be made.

#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "ClockPageFixture.h"
#include "app/IniFileStore.h"
#include "app/RegistryStore.h"
#include "config/HyperLink.h"
#include "config/PageMisc.h"

namespace {

const QString kMaker = QStringLiteral("Tessaline");

int StoredIniFlag(IProfileStore&& store)
{
    return store.GetProfileInt(QStringLiteral("Misc"), QStringLiteral("IniFile"), -1);
}

int StoredHourWidth(IProfileStore&& store)
{
    return store.GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), -1);
}

} // namespace

class TestPageMisc : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_nRun = 0;
    std::unique_ptr<ClockPageFixture> m_f;
    QString m_strModulePath;
    QString m_strIniPath;

    template <class Setup>
    CPageMisc* Open(Setup setUp)
    {
        m_f = std::make_unique<ClockPageFixture>(ClockPageFixture::kMisc, [&] {
            if (!m_strModulePath.isEmpty())
                theApp.SetModulePath(m_strModulePath);
            setUp();
        });
        return m_f->page<CPageMisc>();
    }
    QAbstractButton* Registry() { return qobject_cast<QAbstractButton*>(m_f->page<CPageMisc>()->GetDlgItem(1009)); }

    // A program of its own name per test, so that each test has its own .ini
    // file and its own per-user store.
    QString UseProgramIn(const QString& folder)
    {
        const QString name = QStringLiteral("vitrodial-%1").arg(++m_nRun);
        m_strModulePath = folder + u'/' + name;
        m_strIniPath = folder + u'/' + name + QStringLiteral(".ini");
        return name;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
    }

    void cleanup()
    {
        m_f.reset();
        m_strModulePath.clear();
    }

    void controlsFollowTheSettings_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("0") << 0;
        QTest::newRow("1") << 1;
        QTest::newRow("2, from a hand-edited store") << 2;
    }
    void controlsFollowTheSettings()
    {
        QFETCH(int, value);
        CPageMisc* page = Open([&] {
            theApp.m_bTopMost = value;
            theApp.m_bTrayIcon = value;
            theApp.m_bIniFile = value;
        });
        QCOMPARE(page->m_chkTopMost->isChecked(), value != 0);
        QCOMPARE(page->m_chkTrayIcon->isChecked(), value != 0);
        QCOMPARE(page->m_radioIniFile->isChecked(), value != 0);
        QCOMPARE(Registry()->isChecked(), value == 0);
        QCOMPARE(theApp.m_bModified, 0);
    }

    void links()
    {
        CPageMisc* page = Open([] {});
        QCOMPARE(page->m_linkVersion->GetURL(), QStringLiteral("https://tessaline.example/vitrodial/"));
        QCOMPARE(page->m_linkContact->GetURL(), QStringLiteral("mailto:vitrodial@tessaline.example"));
        QCOMPARE(page->m_linkContact->GetURL(), QStringLiteral("mailto:") + page->m_linkContact->text());
        QCOMPARE(page->m_linkVersion->text(), QStringLiteral("Vitrodial Version 2004.11"));
    }

    void everyOptionIsReachedWithTab()
    {
        CPageMisc* page = Open([] {});
        page->m_chkTopMost->setFocus();
        QList<QWidget*> seen;
        for (int i = 0; i < 4; ++i) {
            seen << m_f->dlg->focusWidget();
            QTest::keyClick(m_f->dlg->focusWidget(), Qt::Key_Tab);
        }
        QVERIFY(seen.contains(page->m_chkTopMost));
        QVERIFY(seen.contains(page->m_radioIniFile) || seen.contains(Registry()));
        QVERIFY(seen.contains(page->m_chkTrayIcon));
    }

    void stayOnTop_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("checking") << 0 << 1;
        QTest::newRow("unchecking") << 1 << 0;
        // Only 0 and 1 are switched; another value stays as it is.
        QTest::newRow("unchecking 2") << 2 << 2;
    }
    void stayOnTop()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        CPageMisc* page = Open([&] { theApp.m_bTopMost = before; });
        m_f->clock->SetTopMost(before != 0);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        QTest::mouseClick(page->m_chkTopMost, Qt::LeftButton);
        QCOMPARE(theApp.m_bTopMost, after);
        QCOMPARE(m_f->ClockOnTop(), after != 0);
        QCOMPARE(theApp.m_bModified, before != after ? 1 : 0);
        if (before == 1 && after == 0) {
            // The dialog comes back in front of the clock.
            QVERIFY(QTest::qWaitForWindowActive(m_f->dlg.get()));
        } else {
            QCoreApplication::processEvents();
            QCOMPARE(QApplication::activeWindow(), &other);
        }
    }

    void trayIcon_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("checking") << 0 << 1;
        QTest::newRow("unchecking") << 1 << 0;
        QTest::newRow("unchecking 2") << 2 << 2;
    }
    void trayIcon()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        CPageMisc* page = Open([&] { theApp.m_bTrayIcon = before; });
        if (before)
            m_f->clock->AddTrayIcon();
        QCOMPARE(m_f->clock->TrayIconShown(), before != 0);
        // The keyboard toggles the box as a click does.
        QTest::keyClick(page->m_chkTrayIcon, Qt::Key_Space);
        QCOMPARE(page->m_chkTrayIcon->isChecked(), before == 0);
        QCOMPARE(theApp.m_bTrayIcon, after);
        QCOMPARE(m_f->clock->TrayIconShown(), after != 0);
        QCOMPARE(theApp.m_bModified, before != after ? 1 : 0);
    }

    void registryToIniFile()
    {
        const QString name = UseProgramIn(m_dir.path());
        CPageMisc* page = Open([] {
            theApp.UseRegistry();
            theApp.m_bIniFile = 0;
            theApp.m_nHourWidth = 7;
        });
        QTest::mouseClick(page->m_radioIniFile, Qt::LeftButton);

        // The per-user store records everything, the switch included ...
        QCOMPARE(StoredIniFlag(RegistryStore(kMaker, name)), 1);
        QCOMPARE(StoredHourWidth(RegistryStore(kMaker, name)), 7);
        QVERIFY(!QFile::exists(m_strIniPath));
        QCOMPARE(theApp.m_bIniFile, 1);
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(theApp.RegistryKey().isEmpty());
        QVERIFY(page->m_radioIniFile->isChecked());
        QVERIFY(m_f->messages.isEmpty());

        // ... and the next save fills the .ini file.
        theApp.SaveSettings();
        QCOMPARE(StoredIniFlag(IniFileStore(m_strIniPath)), 1);
        QCOMPARE(StoredHourWidth(IniFileStore(m_strIniPath)), 7);
    }

    void iniFileToRegistry()
    {
        const QString name = UseProgramIn(m_dir.path());
        CPageMisc* page = Open([] {
            theApp.UseIniFile();
            theApp.m_bIniFile = 1;
            theApp.m_nHourWidth = 6;
        });
        QCOMPARE(theApp.ProfileName(), m_strIniPath);
        QTest::mouseClick(Registry(), Qt::LeftButton);

        QCOMPARE(StoredIniFlag(IniFileStore(m_strIniPath)), 0);
        QCOMPARE(StoredHourWidth(IniFileStore(m_strIniPath)), 6);
        QCOMPARE(StoredIniFlag(RegistryStore(kMaker, name)), -1);
        QCOMPARE(theApp.m_bIniFile, 0);
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(theApp.RegistryKey(), kMaker);
        QVERIFY(!page->m_radioIniFile->isChecked());

        theApp.SaveSettings();
        QCOMPARE(StoredIniFlag(RegistryStore(kMaker, name)), 0);
        QCOMPARE(StoredHourWidth(RegistryStore(kMaker, name)), 6);
    }

    void clickingTheStoreInForceDoesNothing_data()
    {
        QTest::addColumn<int>("iniFlag");
        QTest::addColumn<bool>("clickIni");
        QTest::newRow("INI File") << 1 << true;
        QTest::newRow("Windows Registry") << 0 << false;
        // Only a flag of exactly 1 is switched back to the registry.
        QTest::newRow("Windows Registry with a flag of 2") << 2 << false;
    }
    void clickingTheStoreInForceDoesNothing()
    {
        QFETCH(int, iniFlag);
        QFETCH(bool, clickIni);
        const QString name = UseProgramIn(m_dir.path());
        CPageMisc* page = Open([&] {
            if (iniFlag)
                theApp.UseIniFile();
            else
                theApp.UseRegistry();
            theApp.m_bIniFile = iniFlag;
        });
        const QString location = theApp.Store().Location();
        QTest::mouseClick(clickIni ? static_cast<QAbstractButton*>(page->m_radioIniFile) : Registry(),
                          Qt::LeftButton);
        QCOMPARE(theApp.m_bIniFile, iniFlag);
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(theApp.Store().Location(), location);
        QVERIFY(!QFile::exists(m_strIniPath));
        QCOMPARE(StoredIniFlag(RegistryStore(kMaker, name)), -1);
    }

    void iniFileThatCannotBeMade()
    {
        const QString name = UseProgramIn(m_dir.filePath(QStringLiteral("no such folder")));
        CPageMisc* page = Open([] {
            theApp.UseRegistry();
            theApp.m_bIniFile = 0;
        });
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QTest::mouseClick(page->m_radioIniFile, Qt::LeftButton);
            QCOMPARE(m_f->messages, QStringList(attempt, QStringLiteral("Error: Unable to setup .INI file")));
            QCOMPARE(theApp.m_bIniFile, 0);
            QCOMPARE(theApp.RegistryKey(), kMaker);
            // The buttons show the store in force again.
            QVERIFY(Registry()->isChecked());
            QVERIFY(!page->m_radioIniFile->isChecked());
        }
        // The switch was recorded before it failed; the next save puts it right.
        QCOMPARE(StoredIniFlag(RegistryStore(kMaker, name)), 1);
        theApp.SaveSettings();
        QCOMPARE(StoredIniFlag(RegistryStore(kMaker, name)), 0);

        QTest::mouseClick(Registry(), Qt::LeftButton);
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(m_f->messages.size(), 2);
    }
};

QTEST_MAIN(TestPageMisc)
#include "tst_pagemisc.moc"
