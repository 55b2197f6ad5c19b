// One program per user and name: where the channel lives (a folder private to
// the user, a path that fits), and a later start closing the earlier one over
// whatever it finds at the channel's path.

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
    void Put(const QString& kind, const QString& path)
    {
        const QByteArray file = QFile::encodeName(path);
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
        // Away from any clock the developer runs.
        m_root = m_dir.filePath(QString::number(QRandomGenerator::global()->generate()));
        QVERIFY(QDir().mkdir(m_root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                && QDir(m_root).mkdir("tmp"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_root));
        qputenv("TMPDIR", QFile::encodeName(m_root + "/tmp"));
    }

    // The runtime folder only when it is the user's alone and short enough,
    // else a folder of our own in the temporary folder, never one that anyone
    // else made or could enter; the socket's path always fits.
    void channelFolderIsPrivate_data()
    {
        QTest::addColumn<QString>("runtime"); // what XDG_RUNTIME_DIR names ("": unset)
        QTest::addColumn<QString>("own");     // what lies where our own folder goes
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* runtime, const char* own, const char* expected) {
            QTest::newRow(name) << QString(runtime) << QString(own) << QString(expected);
        };
        row("runtime", "private", "", "runtime");
        row("runtime unset", "", "", "own");
        row("runtime too long", "long", "", "own");
        row("runtime open to others", "open", "", "own");
        row("runtime a link", "link", "", "own");
        row("own folder open to others", "", "open", "elsewhere");
        row("own folder a link", "", "link", "elsewhere");
        row("own folder another user's", "", "foreign", "elsewhere");
        row("own folder a file", "", "file", "elsewhere");
    }
    void channelFolderIsPrivate()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, own);
        QFETCH(QString, expected);
        if (own == "foreign" && ::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        const QString set = m_root + (runtime == "long" ? '/' + QString(200, 'r') : QStringLiteral("/set"));
        const QString ownFolder = m_root + QStringLiteral("/tmp/vitrodial-%1").arg(::geteuid());
        Put(runtime, set);
        Put(own, ownFolder);
        qputenv("XDG_RUNTIME_DIR", runtime.isEmpty() ? QByteArray() : QFile::encodeName(set));

        const QString folder = SingleInstance::Folder();
        QCOMPARE(folder == set, expected == "runtime");
        QCOMPARE(folder == ownFolder, expected == "own");
        QVERIFY(folder.isEmpty() || Mode(folder) == (S_IFDIR | 0700));
        QVERIFY(QFile::encodeName(SingleInstance::SocketPath(QString(80, 'n'))).size() < 108);
    }

    // A later start closes the earlier one, over a dead program's socket or
    // whatever took the socket's place while the earlier one ran.
    void laterStartClosesTheEarlierOne_data()
    {
        QTest::addColumn<QString>("found");
        QTest::addColumn<bool>("whileRunning");
        QTest::newRow("dead program's socket") << "socket" << false;
        QTest::newRow("socket removed") << "" << true;
        QTest::newRow("socket replaced by a file") << "file" << true;
        QTest::newRow("socket replaced by a folder") << "private" << true;
    }
    void laterStartClosesTheEarlierOne()
    {
        QFETCH(QString, found);
        QFETCH(bool, whileRunning);
        const QString path = SingleInstance::SocketPath(QStringLiteral("clock"));
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
