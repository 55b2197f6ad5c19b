// The Misc page on a real clock window: stay on top, the tray icon, and the
// switches between the .ini file and the per-user store.

#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "PageTestSupport.h"
#include "app/IniFileStore.h"
#include "app/RegistryStore.h"
#include "config/PageMisc.h"

using namespace pagetest;

class TestPageMisc : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_nRun = 0;
    QString m_strName;

    // A program name per test, so that each has its own .ini file and
    // per-user store.
    CPageMisc* Open(Bench& bench, bool iniFile, const QString& folder)
    {
        m_strName = QStringLiteral("vitrodial-%1").arg(++m_nRun);
        theApp.SetModulePath(folder + u'/' + m_strName);
        iniFile ? theApp.UseIniFile() : theApp.UseRegistry();
        theApp.m_bIniFile = iniFile;
        return bench.Open<CPageMisc>(kMisc);
    }
    int Stored(bool ini, const char* section, const char* key) const
    {
        const auto read = [&](IProfileStore&& store) {
            return store.GetProfileInt(QString::fromLatin1(section), QString::fromLatin1(key), -1);
        };
        return ini ? read(IniFileStore(m_dir.filePath(m_strName + QStringLiteral(".ini"))))
                   : read(RegistryStore(QStringLiteral("Tessaline"), m_strName));
    }
    static QAbstractButton* Registry(CPageMisc* page) { return Item<QAbstractButton>(page, 1009); }

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
            // Only 0 and 1 are switched; a hand-edited value stays.
            QTest::addRow("%s unchecking 2", what) << tray << 2 << 2;
        }
    }
    void switches()
    {
        QFETCH(bool, tray);
        QFETCH(int, before);
        QFETCH(int, after);
        Bench bench;
        (tray ? theApp.m_bTrayIcon : theApp.m_bTopMost) = before;
        CPageMisc* page = Open(bench, true, m_dir.path());
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
            const QWindow* w = bench.clock.windowHandle();
            QCOMPARE(bool((w ? w->flags() : bench.clock.windowFlags()) & Qt::WindowStaysOnTopHint), after != 0);
        }
        QCOMPARE(theApp.m_bModified, before != after ? 1 : 0);
    }

    // The store left records everything, the switch included; the next save
    // fills the new one.
    void storeSwitch_data()
    {
        QTest::addColumn<bool>("toIni");
        QTest::newRow("registry to .ini file") << true;
        QTest::newRow(".ini file to registry") << false;
    }
    void storeSwitch()
    {
        QFETCH(bool, toIni);
        Bench bench;
        theApp.m_nHourWidth = 7;
        CPageMisc* page = Open(bench, !toIni, m_dir.path());
        QTest::mouseClick(toIni ? page->m_radioIniFile : Registry(page), Qt::LeftButton);
        QCOMPARE(Stored(!toIni, "Misc", "IniFile"), int(toIni));
        QCOMPARE(Stored(!toIni, "Hour", "Width"), 7);
        QCOMPARE(theApp.m_bIniFile, int(toIni));
        QCOMPARE(theApp.m_bModified, 1);
        theApp.SaveSettings();
        QCOMPARE(Stored(toIni, "Hour", "Width"), 7);
    }

    void iniFileThatCannotBeMade()
    {
        Bench bench;
        CPageMisc* page = Open(bench, false, m_dir.filePath(QStringLiteral("no such folder")));
        QTest::mouseClick(page->m_radioIniFile, Qt::LeftButton);
        QCOMPARE(bench.messages, QStringList{"Error: Unable to setup .INI file"});
        QCOMPARE(theApp.m_bIniFile, 0);
        QCOMPARE(theApp.RegistryKey(), QStringLiteral("Tessaline"));
        QVERIFY(Registry(page)->isChecked());
        QVERIFY(!page->m_radioIniFile->isChecked());
    }
};

QTEST_MAIN(TestPageMisc)
#include "tst_pagemisc.moc"
