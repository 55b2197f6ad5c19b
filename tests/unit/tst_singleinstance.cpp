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
enum ChildExit { kClosedOther = 10, kWasClosed = 11, kNobodyCame = 12, kFailed = 13 };

int RunChild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    switch (instance.Start()) {
    case SingleInstance::Result::ClosedOther:
        return kClosedOther;
    case SingleInstance::Result::Failed:
        return kFailed;
    case SingleInstance::Result::Registered:
        break;
    }
    QObject::connect(&instance, &SingleInstance::quitRequested, &app, [] { QCoreApplication::exit(kWasClosed); });
    // Only a bound for a broken run, never reached when the other start comes.
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(kNobodyCame); });
    return app.exec();
}

// A socket file left behind by a program that died: bound, never listening.
bool LeaveDeadSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()) + 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void laterStartClosesTheEarlierOne();
    void otherNamesAreOtherPrograms();
    void deadProgramsSocketIsReplaced();
    void racingStartsLeaveNone();

private:
    QTemporaryDir m_runtime;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    // Away from any clock the developer runs; the children inherit it.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void TestSingleInstance::laterStartClosesTheEarlierOne()
{
    SingleInstance first(QStringLiteral("clock-a"));
    QCOMPARE(first.Start(), SingleInstance::Result::Registered);
    QSignalSpy closed(&first, &SingleInstance::quitRequested);

    SingleInstance second(QStringLiteral("clock-a"));
    QCOMPARE(second.Start(), SingleInstance::Result::ClosedOther);
    QVERIFY(closed.wait(10000));
    QCOMPARE(closed.count(), 1);
}

void TestSingleInstance::otherNamesAreOtherPrograms()
{
    SingleInstance a(QStringLiteral("clock-b"));
    SingleInstance copy(QStringLiteral("clock-b-copy"));
    QSignalSpy closed(&a, &SingleInstance::quitRequested);
    QCOMPARE(a.Start(), SingleInstance::Result::Registered);
    QCOMPARE(copy.Start(), SingleInstance::Result::Registered);
    QCoreApplication::processEvents();
    QCOMPARE(closed.count(), 0);
}

void TestSingleInstance::deadProgramsSocketIsReplaced()
{
    const QString name = QStringLiteral("clock-c");
    QVERIFY(LeaveDeadSocket(SingleInstance::SocketPath(name)));
    SingleInstance instance(name);
    QCOMPARE(instance.Start(), SingleInstance::Result::Registered);

    SingleInstance later(name);
    QCOMPARE(later.Start(), SingleInstance::Result::ClosedOther);
}

void TestSingleInstance::racingStartsLeaveNone()
{
    QProcess a;
    QProcess b;
    const QStringList args{ QStringLiteral("--start-as-child"), QStringLiteral("clock-race") };
    a.start(QCoreApplication::applicationFilePath(), args);
    b.start(QCoreApplication::applicationFilePath(), args);
    QVERIFY(a.waitForFinished(120000));
    QVERIFY(b.waitForFinished(120000));
    QList<int> codes{ a.exitCode(), b.exitCode() };
    std::sort(codes.begin(), codes.end());
    QCOMPARE(codes, (QList<int>{ kClosedOther, kWasClosed }));
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--start-as-child") == 0)
        return RunChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
