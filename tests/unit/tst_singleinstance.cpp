// One program per user and name: a later start closes the earlier one, starts
// that race leave none, a dead program's socket is no obstacle.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "platform/SingleInstance.h"

using platform::SingleInstance;

namespace {

// Exit codes of a start run as a child process.
enum ChildExit { kClosedOther = 10, kWasClosed = 11, kOther = 12 };

int RunChild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    const SingleInstance::Result result = instance.Start();
    if (result != SingleInstance::Result::Registered)
        return result == SingleInstance::Result::ClosedOther ? kClosedOther : kOther;
    QObject::connect(&instance, &SingleInstance::quitRequested, &app, [] { QCoreApplication::exit(kWasClosed); });
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(kOther); });  // only for a broken run
    return app.exec();
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Away from any clock the developer runs; the children inherit it.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    // Over the socket file of a program that died (bound, never listening),
    // a later start closes the earlier one of its own name only.
    void laterStartClosesTheEarlierOneOfItsNameOnly()
    {
        const QByteArray path = QFile::encodeName(SingleInstance::SocketPath(QStringLiteral("clock-a")));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()) + 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);

        SingleInstance first(QStringLiteral("clock-a"));
        QSignalSpy closed(&first, &SingleInstance::quitRequested);
        QCOMPARE(first.Start(), SingleInstance::Result::Registered);
        SingleInstance copy(QStringLiteral("clock-a-copy"));
        QCOMPARE(copy.Start(), SingleInstance::Result::Registered);
        SingleInstance second(QStringLiteral("clock-a"));
        QCOMPARE(second.Start(), SingleInstance::Result::ClosedOther);
        QVERIFY(closed.wait(10000));
    }

    void racingStartsLeaveNone()
    {
        QProcess a, b;
        const QStringList args{QStringLiteral("--start-as-child"), QStringLiteral("clock-race")};
        a.start(QCoreApplication::applicationFilePath(), args);
        b.start(QCoreApplication::applicationFilePath(), args);
        QVERIFY(a.waitForFinished(120000) && b.waitForFinished(120000));
        QCOMPARE(QSet<int>({a.exitCode(), b.exitCode()}), QSet<int>({kClosedOther, kWasClosed}));
    }

private:
    QTemporaryDir m_runtime;
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--start-as-child") == 0)
        return RunChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
