#include "platform/SingleInstance.h"

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace platform {
namespace {

constexpr int kWaitMs = 2000;
const QByteArray kQuit = "quit\n";

// Only a process of our own user may ask us to quit, or be asked.
bool PeerIsSameUser(qintptr fd)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    return fd >= 0 && ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0
        && cred.uid == ::getuid();
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , m_strPath(SocketPath(name))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::SocketPath(const QString& name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = !runtime.isEmpty() && QFileInfo(runtime).isDir() ? runtime : QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("%1-%2.socket").arg(name).arg(::getuid()));
}

SingleInstance::Result SingleInstance::Start()
{
    // Check and registration form one step: a start that races with another
    // waits here and then finds the other's socket.
    QLockFile lock(m_strPath + QStringLiteral(".lock"));
    if (!lock.tryLock(4 * kWaitMs))
        return Result::Failed;

    if (AskToQuit())
        return Result::ClosedOther;

    // Nobody answered: what is left is the socket of a program that died.
    QLocalServer::removeServer(m_strPath);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_strPath))
        return Result::Failed;
    connect(server.get(), &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    m_pServer = std::move(server);
    return Result::Registered;
}

bool SingleInstance::AskToQuit()
{
    QLocalSocket socket;
    socket.connectToServer(m_strPath);
    if (!socket.waitForConnected(kWaitMs) || !PeerIsSameUser(socket.socketDescriptor()))
        return false;
    socket.write(kQuit);
    const bool sent = socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::OnConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!PeerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == kQuit)
                emit quitRequested();
        });
        // The request may have arrived with the connection.
        if (socket->canReadLine() && socket->readLine() == kQuit)
            emit quitRequested();
    }
}

} // namespace platform
