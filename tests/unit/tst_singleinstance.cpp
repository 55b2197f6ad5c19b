// One program per user and name: where the channel lives (a folder private to
// the user, a path that fits), and a later start closing the earlier one over
// whatever it finds at the channel's path.

#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/SingleInstance.h"

using platform::SingleInstance;

namespace {

mode_t Mode(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // private to the user, a fresh one for each test

    // What can lie at a path: nothing, a dead program's socket, a file, a link
    // to a private folder, or a folder: private, "open" to all, "foreign".
    // Missing folders on the way are made as the channel's folder makes them.
    void Put(const QString& kind, const QString& path)
    {
        const QByteArray file = QFile::encodeName(path);
        for (qsizetype end = file.indexOf('/', 1); !kind.isEmpty() && end > 0; end = file.indexOf('/', end + 1))
            ::mkdir(file.left(end).constData(), 0700);
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, file.constData(), sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(kind.isEmpty()
                || (kind == "socket" ? ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
                    : kind == "file" ? QFile(path).open(QIODevice::WriteOnly)
                    : kind == "link" ? QFile::link(m_root, path)
                                     : ::mkdir(file, 0700) == 0 && ::chmod(file, kind == "open" ? 0777 : 0700) == 0
                                           && (kind != "foreign" || ::chown(file, 65534, 65534) == 0)));
        ::close(fd);
    }

private slots:
    void init()
    {
        // Away from any clock the developer runs, and from the user's home.
        m_root = m_dir.filePath(QString::number(QRandomGenerator::global()->generate()));
        QVERIFY(QDir().mkdir(m_root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                && QDir(m_root).mkdir("tmp") && QDir(m_root).mkdir("home"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_root));
        qputenv("TMPDIR", QFile::encodeName(m_root + "/tmp"));
        qputenv("HOME", QFile::encodeName(m_root + "/home"));
        qunsetenv("XDG_STATE_HOME");
    }

    // The runtime folder only when it is the user's alone, else a folder of
    // our own in the home, never one that anyone else made or could enter,
    // nor one in the temporary folder, which anyone may make first.
    void channelFolderIsPrivate_data()
    {
        QTest::addColumn<QString>("runtime");   // what XDG_RUNTIME_DIR names ("": unset)
        QTest::addColumn<QString>("stateHome"); // XDG_STATE_HOME: "" unset, "absolute", "relative"
        QTest::addColumn<QString>("state");     // what lies where the state folder goes
        QTest::addColumn<QString>("cache");     // what lies at ~/.cache/vitrodial
        QTest::addColumn<QString>("expected");  // "runtime", "state", "cache" or "" (none)
        const auto row = [](const char* name, const char* runtime, const char* stateHome, const char* state,
                            const char* cache, const char* expected) {
            QTest::newRow(name) << QString(runtime) << QString(stateHome) << QString(state) << QString(cache)
                                << QString(expected);
        };
        row("runtime", "private", "", "", "", "runtime");
        row("runtime too long for an address", "long", "", "", "", "runtime");
        row("runtime unset", "", "", "", "", "state");
        row("runtime open to others", "open", "", "", "", "state");
        row("runtime a link", "link", "", "", "", "state");
        row("state home", "", "absolute", "", "", "state");
        row("state home relative", "", "relative", "", "", "state");
        row("state folder another user's", "", "", "foreign", "", "cache");
        row("state home's folder a file", "", "absolute", "file", "", "cache");
        row("cache folder another user's too", "", "", "foreign", "foreign", "");
        row("cache folder a link too", "", "", "file", "link", "");
    }
    void channelFolderIsPrivate()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, stateHome);
        QFETCH(QString, state);
        QFETCH(QString, cache);
        QFETCH(QString, expected);
        if ((state == "foreign" || cache == "foreign") && ::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        const QString set = m_root + (runtime == "long" ? '/' + QString(200, 'r') : QStringLiteral("/set"));
        const QString home = m_root + "/home";
        const QString stateFolder =
            (stateHome == "absolute" ? m_root + "/state" : home + "/.local/state") + "/vitrodial";
        const QString cacheFolder = home + "/.cache/vitrodial";
        // Our own, private folder where the temporary folder's used to be: a
        // lure, as another user could have made it.
        const QString planted = m_root + QStringLiteral("/tmp/vitrodial-%1").arg(::geteuid());
        Put(runtime, set);
        Put(state, stateFolder);
        Put(cache, cacheFolder);
        Put("private", planted);
        if (stateHome == "absolute")
            QVERIFY(QDir().mkpath(m_root + "/state"));
        qputenv("XDG_RUNTIME_DIR", runtime.isEmpty() ? QByteArray() : QFile::encodeName(set));
        qputenv("XDG_STATE_HOME", stateHome == "absolute" ? QFile::encodeName(m_root + "/state")
                                  : stateHome.isEmpty()   ? QByteArray()
                                                          : QByteArray("relative/state"));

        const QString folder = SingleInstance::Folder();
        QCOMPARE(folder, expected == "runtime" ? set
                         : expected == "state" ? stateFolder
                         : expected == "cache" ? cacheFolder
                                               : QString());
        QVERIFY(folder.isEmpty() || Mode(folder) == (S_IFDIR | 0700));
        // The folders made on the way are the user's alone as well.
        for (QString up = QFileInfo(folder).path(); folder.startsWith(home) && up != home; up = QFileInfo(up).path())
            QCOMPARE(Mode(up), mode_t(S_IFDIR | 0700));
    }

    // The clock asked to quit has handled the request (taken its window off
    // the screen) before the asking start has the answer: the start after
    // that one can never show its clock beside this one.
    void quitIsHandledBeforeTheAnswer()
    {
        SingleInstance clock(QStringLiteral("clock"));
        QCOMPARE(clock.Start(), SingleInstance::Result::Registered);
        const QByteArray path = QFile::encodeName(SingleInstance::SocketPath(QStringLiteral("clock")));
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        QCOMPARE(::send(fd, "quit\n", 5, MSG_NOSIGNAL), ssize_t(5));

        char answer[16];
        QByteArray early = "unhandled";
        connect(&clock, &SingleInstance::quitRequested, [&] {
            const ssize_t got = ::recv(fd, answer, sizeof answer, MSG_DONTWAIT);
            early = QByteArray(answer, int(qMax<ssize_t>(got, 0)));
        });
        QTRY_VERIFY(early != "unhandled");
        QCOMPARE(early, QByteArray());
        pollfd ready{fd, POLLIN, 0};
        QCOMPARE(::poll(&ready, 1, 10000), 1);
        QCOMPARE(QByteArray(answer, int(::recv(fd, answer, sizeof answer, 0))), QByteArray("closing\n"));
        ::close(fd);
    }

    // A start that cannot take the lock in time, or finds no lock of ours
    // there, fails without a channel and without asking anyone to quit.
    void startWithoutTheLockFails_data()
    {
        QTest::addColumn<QString>("lock"); // "held" by another start, or what lies at its path
        QTest::newRow("held by another start") << "held";
        QTest::newRow("a folder") << "private";
    }
    void startWithoutTheLockFails()
    {
        QFETCH(QString, lock);
        const QString path = SingleInstance::SocketPath(QStringLiteral("clock"));
        QFile held(path + ".lock");
        if (lock == "held")
            QVERIFY(held.open(QIODevice::ReadWrite) && ::flock(held.handle(), LOCK_EX | LOCK_NB) == 0);
        else
            Put(lock, held.fileName());

        SingleInstance start(QStringLiteral("clock"));
        start.SetLockWait(50);
        QSignalSpy failed(&start, &SingleInstance::failed);
        QCOMPARE(start.Start(), SingleInstance::Result::Failed);
        QCOMPARE(failed.count(), 1);
        QVERIFY2(failed.at(0).at(0).toString().contains(held.fileName()), qPrintable(failed.at(0).at(0).toString()));
        QVERIFY(!QFileInfo::exists(path));
    }

    // A later start closes the earlier one, over a dead program's socket or
    // whatever took the socket's place while the earlier one ran, and through
    // a folder too deep for a socket address.
    void laterStartClosesTheEarlierOne_data()
    {
        QTest::addColumn<QString>("found");
        QTest::addColumn<bool>("whileRunning");
        QTest::addColumn<bool>("deep"); // no runtime folder, a home deeper than an address
        QTest::newRow("dead program's socket") << "socket" << false << false;
        QTest::newRow("socket removed") << "" << true << false;
        QTest::newRow("socket replaced by a file") << "file" << true << false;
        QTest::newRow("socket replaced by a folder") << "private" << true << false;
        QTest::newRow("deep home") << "" << false << true;
    }
    void laterStartClosesTheEarlierOne()
    {
        QFETCH(QString, found);
        QFETCH(bool, whileRunning);
        QFETCH(bool, deep);
        if (deep) {
            const QString home = m_root + "/home/" + QString(60, 'd') + '/' + QString(60, 'e');
            QVERIFY(QDir().mkpath(home));
            qputenv("HOME", QFile::encodeName(home));
            qunsetenv("XDG_RUNTIME_DIR");
        }
        const QString path = SingleInstance::SocketPath(QStringLiteral("clock"));
        QVERIFY(!deep || QFile::encodeName(path).size() > 108);
        SingleInstance first(QStringLiteral("clock"));
        QSignalSpy closed(&first, &SingleInstance::quitRequested);
        Put(whileRunning ? QString() : found, path);
        QCOMPARE(first.Start(), SingleInstance::Result::Registered);
        if (whileRunning) {
            QVERIFY(QFile::remove(path));
            Put(found, path);
            QTRY_VERIFY(S_ISSOCK(Mode(path)));
        }

        // The later start runs in a process of its own, so that this one answers.
        QProcess later;
        QSignalSpy ended(&later, &QProcess::finished);
        later.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--start-as-child"), QStringLiteral("clock")});
        QVERIFY(ended.wait(90000));
        QCOMPARE(later.exitCode(), int(SingleInstance::Result::ClosedOther));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!QFileInfo::exists(path)); // it left the channel before it answered
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--start-as-child") == 0)
        return int(SingleInstance(QString::fromLocal8Bit(argv[2])).Start());
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
