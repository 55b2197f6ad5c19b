// The Misc page on a real clock window: stay on top and the tray icon in both
// directions, and the switches between the .ini file and the per-user store,
// including a folder where no .ini file can be made.

#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "PageTestSupport.h"
#include "app/IniFileStore.h"
#include "app/RegistryStore.h"
#include "config/PageMisc.h"

using namespace pagetest;

namespace {

const QString kMaker = QStringLiteral("Tessaline");

int Stored(IProfileStore&& store, const char* section, const char* key)
{
    return store.GetProfileInt(QString::fromLatin1(section), QString::fromLatin1(key), -1);
}

} // namespace

class TestPageMisc : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_nRun = 0;
    QString m_strName;
    QString m_strIniPath;

    // A program of its own name per test, so that each test has its own .ini
    // file and its own per-user store; the page opened on settings from setUp.
    template <class Setup>
    CPageMisc* Open(Bench& bench, const QString& folder, Setup setUp)
    {
        m_strName = QStringLiteral("vitrodial-%1").arg(++m_nRun);
        m_strIniPath = folder + u'/' + m_strName + QStringLiteral(".ini");
        theApp.SetModulePath(folder + u'/' + m_strName);
        setUp();
        return bench.Open<CPageMisc>(Bench::kMisc);
    }
    static QAbstractButton* Registry(CPageMisc* page)
    {
        return qobject_cast<QAbstractButton*>(page->GetDlgItem(1009));
    }

private slots:
    void switches_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        for (bool tray : {false, true}) {
            const char* what = tray ? "tray icon" : "stay on top";
            QTest::addRow("%s checking", what) << tray << 0 << 1;
            QTest::addRow("%s unchecking", what) << tray << 1 << 0;
            // Only 0 and 1 are switched; another value stays as it is.
            QTest::addRow("%s unchecking 2", what) << tray << 2 << 2;
        }
    }
    void switches()
    {
        QFETCH(bool, tray);
        QFETCH(int, before);
        QFETCH(int, after);
        Bench bench;
        CPageMisc* page = Open(bench, m_dir.path(), [&] { (tray ? theApp.m_bTrayIcon : theApp.m_bTopMost) = before; });
        if (tray) {
            if (before)
                bench.clock.AddTrayIcon();
            QTest::mouseClick(page->m_chkTrayIcon, Qt::LeftButton);
            QCOMPARE(theApp.m_bTrayIcon, after);
            QCOMPARE(bench.clock.TrayIconShown(), after != 0);
        } else {
            bench.clock.SetTopMost(before != 0);
            QTest::mouseClick(page->m_chkTopMost, Qt::LeftButton);
            QCOMPARE(theApp.m_bTopMost, after);
            QCOMPARE(bench.ClockOnTop(), after != 0);
        }
        QCOMPARE(theApp.m_bModified, before != after ? 1 : 0);
    }

    void registryToIniFile()
    {
        Bench bench;
        CPageMisc* page = Open(bench, m_dir.path(), [] {
            theApp.UseRegistry();
            theApp.m_bIniFile = 0;
            theApp.m_nHourWidth = 7;
        });
        QTest::mouseClick(page->m_radioIniFile, Qt::LeftButton);
        // The per-user store records everything, the switch included ...
        QCOMPARE(Stored(RegistryStore(kMaker, m_strName), "Misc", "IniFile"), 1);
        QCOMPARE(Stored(RegistryStore(kMaker, m_strName), "Hour", "Width"), 7);
        QCOMPARE(theApp.m_bIniFile, 1);
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(theApp.RegistryKey().isEmpty());
        // ... and the next save fills the .ini file.
        theApp.SaveSettings();
        QCOMPARE(Stored(IniFileStore(m_strIniPath), "Hour", "Width"), 7);
    }

    void iniFileToRegistry()
    {
        Bench bench;
        CPageMisc* page = Open(bench, m_dir.path(), [] {
            theApp.UseIniFile();
            theApp.m_bIniFile = 1;
            theApp.m_nHourWidth = 6;
        });
        QTest::mouseClick(Registry(page), Qt::LeftButton);
        QCOMPARE(Stored(IniFileStore(m_strIniPath), "Misc", "IniFile"), 0);
        QCOMPARE(Stored(IniFileStore(m_strIniPath), "Hour", "Width"), 6);
        QCOMPARE(theApp.m_bIniFile, 0);
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(theApp.RegistryKey(), kMaker);
        theApp.SaveSettings();
        QCOMPARE(Stored(RegistryStore(kMaker, m_strName), "Hour", "Width"), 6);
    }

    void iniFileThatCannotBeMade()
    {
        Bench bench;
        CPageMisc* page = Open(bench, m_dir.filePath(QStringLiteral("no such folder")), [] {
            theApp.UseRegistry();
            theApp.m_bIniFile = 0;
        });
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QTest::mouseClick(page->m_radioIniFile, Qt::LeftButton);
            QCOMPARE(bench.messages, QStringList(attempt, QStringLiteral("Error: Unable to setup .INI file")));
            QCOMPARE(theApp.m_bIniFile, 0);
            QCOMPARE(theApp.RegistryKey(), kMaker);
            // The buttons show the store in force again.
            QVERIFY(Registry(page)->isChecked());
            QVERIFY(!page->m_radioIniFile->isChecked());
        }
        // Clicking the store in force does nothing.
        theApp.m_bModified = 0;
        QTest::mouseClick(Registry(page), Qt::LeftButton);
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(bench.messages.size(), 2);
    }
};

QTEST_MAIN(TestPageMisc)
#include "tst_pagemisc.moc"
