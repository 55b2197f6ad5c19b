#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QThread>

namespace platform {
namespace {

// A start waits its turn behind every start before it, and for the answer of
// the clock it closes, which may still be starting on a loaded machine.
constexpr int kLockWaitMs = 120000;
constexpr int kAnswerWaitMs = 20000;
constexpr int kRepairLockWaitMs = 2000;
constexpr int kPollMs = 10;
const QByteArray kQuit = "quit\n";
const QByteArray kClosing = "closing\n";
// Longer than any request: a peer sending more is not one of our starts.
constexpr int kMaxRequest = 64;

QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Only a process of our own user may ask us to quit, or be asked.
bool PeerIsSameUser(qintptr fd)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    return fd >= 0 && ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::geteuid();
}

// A folder only this user can reach: a directory itself (not a link to one),
// owned by the user, with no access for anyone else.
bool IsPrivateFolder(const QString& folder)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
           && (st.st_mode & 0777) == 0700;
}

// "vitrodial-" and 16 hex digits: short whatever the name, distinct per name and user.
QString SocketName(const QString& name)
{
    const QByteArray key = name.toUtf8() + '\0' + QByteArray::number(::geteuid());
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).left(8).toHex();
    return QStringLiteral("vitrodial-") + QString::fromLatin1(hash);
}

bool Fits(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(SocketName(QString())));
    return std::size_t(path.size()) < sizeof(sockaddr_un::sun_path);
}

// The lock that takes starts one at a time: an advisory lock on a file beside
// the socket, which the system releases when its holder ends, however it ends.
class ChannelLock {
public:
    ~ChannelLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool Acquire(const QString& path, int timeoutMs, QString* why)
    {
        const QByteArray file = QFile::encodeName(path);
        m_fd = ::open(file.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat st {};
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
            *why = QStringLiteral("cannot open the lock %1: %2").arg(path, SystemError());
            return false;
        }
        // Someone else's lock is never trusted, nor anything but a file.
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
            *why = QStringLiteral("the lock %1 is not this user's file").arg(path);
            return false;
        }
        const QDeadlineTimer deadline(timeoutMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                *why = QStringLiteral("cannot take the lock %1: %2").arg(path, SystemError());
                return false;
            }
            QThread::msleep(kPollMs);
        }
        return true;
    }

private:
    int m_fd = -1;
};

// A socket that closes with its owner.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void Reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// The running instance at path, connected (a socket that is not -1); none
// when nothing answers there. A listener whose queue is full is waited for.
int Connect(Fd& socket, const QString& path, const QDeadlineTimer& deadline)
{
    const QByteArray file = QFile::encodeName(path);
    sockaddr_un address{};
    if (std::size_t(file.size()) >= sizeof address.sun_path)
        return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, file.constData(), std::size_t(file.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    socket.Reset(fd);
    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return fd;
        if ((errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            return -1;
        QThread::msleep(kPollMs);
    }
}

// Waits until fd can be read or the deadline passes; false at the deadline.
bool WaitReadable(int fd, const QDeadlineTimer& deadline)
{
    pollfd poll{fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&poll, 1, int(qMax<qint64>(deadline.remainingTime(), 0)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// A connection of a start to this instance, closed with it, and what it sent.
class Peer : public QSocketNotifier {
public:
    Peer(int fd, QObject* parent) : QSocketNotifier(qintptr(fd), QSocketNotifier::Read, parent) {}
    ~Peer() override { ::close(int(socket())); }
    void Close()
    {
        setEnabled(false);
        deleteLater();
    }
    QByteArray m_received;
};

// Makes way for the socket: whatever a dead program, or anyone with access to
// the user's private folder, left at its path goes, as long as it is a file
// of any kind or an empty folder.
bool ClearPath(const QString& path, QString* why)
{
    const QByteArray file = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(file.constData(), &st) != 0 && errno == ENOENT)
        return true;
    if ((S_ISDIR(st.st_mode) ? ::rmdir(file.constData()) : ::unlink(file.constData())) == 0 || errno == ENOENT)
        return true;
    *why = QStringLiteral("cannot remove %1: %2").arg(path, SystemError());
    return false;
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , m_strName(name)
    , m_strPath(SocketPath(name))
{
}

SingleInstance::~SingleInstance() { Stop(); }

QString SingleInstance::Folder()
{
    // Cleaned: a trailing slash would make lstat follow a link.
    const QString runtime = QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && Fits(runtime) && IsPrivateFolder(runtime))
        return runtime;
    const QString own = QStringLiteral("vitrodial-%1").arg(::geteuid());
    for (const QString& temp : {QDir::tempPath(), QStringLiteral("/tmp")}) {
        const QString folder = QDir(temp).filePath(own);
        if (!Fits(folder))
            continue;
        // Made by us: only the umask may have taken bits away. Made by anyone
        // else, or not a folder: refused.
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
            ::chmod(QFile::encodeName(folder).constData(), 0700);
        if (IsPrivateFolder(folder))
            return folder;
    }
    return {};
}

QString SingleInstance::SocketPath(const QString& name)
{
    const QString folder = Folder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(SocketName(name));
}

SingleInstance::Result SingleInstance::Fail(const QString& why)
{
    emit failed(why);
    return Result::Failed;
}

SingleInstance::Result SingleInstance::Start()
{
    if (m_strPath.isEmpty())
        return Fail(QStringLiteral("no folder private to this user for the single-instance socket"));
    // Asking and registering form one step, one start at a time.
    ChannelLock lock;
    QString why;
    if (!lock.Acquire(m_strPath + QStringLiteral(".lock"), kLockWaitMs, &why))
        return Fail(why);

    const QDeadlineTimer deadline(kAnswerWaitMs);
    while (!deadline.hasExpired()) {
        Fd socket;
        const int fd = Connect(socket, m_strPath, deadline);
        if (fd < 0)
            break;
        if (!PeerIsSameUser(fd))
            return Fail(QStringLiteral("the socket %1 belongs to another user").arg(m_strPath));
        ::send(fd, kQuit.constData(), std::size_t(kQuit.size()), MSG_NOSIGNAL);
        QByteArray answer;
        char chunk[kMaxRequest];
        ssize_t got = 0;
        // Until a whole line, the end of the connection or the deadline.
        while (!answer.endsWith('\n') && answer.size() < kMaxRequest && WaitReadable(fd, deadline)
               && ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0 || (got < 0 && errno == EINTR)))
            answer.append(chunk, int(qMax<ssize_t>(got, 0)));
        // Without an answer in time the clock still has the request.
        if (answer == kClosing || deadline.hasExpired())
            return Result::ClosedOther;
        // It went without answering: its run had ended. Once it has left the
        // channel, this start becomes the clock.
        QThread::msleep(kPollMs);
    }
    if (!Listen(&why))
        return Fail(why);
    Watch();
    return Result::Registered;
}

bool SingleInstance::Listen(QString* why)
{
    if (!ClearPath(m_strPath, why))
        return false;
    const QByteArray path = QFile::encodeName(m_strPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    struct stat st {};
    // The socket file is made for the user alone (the folder already is).
    if (fd < 0 || ::fchmod(fd, 0600) != 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(fd, SOMAXCONN) != 0 || ::lstat(path.constData(), &st) != 0) {
        *why = QStringLiteral("cannot listen at %1: %2").arg(m_strPath, SystemError());
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_fdListen = fd;
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_pNotifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &SingleInstance::OnConnection);
    return true;
}

bool SingleInstance::IsOurSocket() const
{
    struct stat st {};
    return m_fdListen >= 0 && ::lstat(QFile::encodeName(m_strPath).constData(), &st) == 0 && S_ISSOCK(st.st_mode)
           && st.st_dev == m_dev && st.st_ino == m_ino;
}

void SingleInstance::Stop()
{
    // Called from the watcher's and the notifier's own signals: they go later.
    if (m_pWatch) {
        m_pWatch->deleteLater();
        m_pWatch = nullptr;
    }
    if (m_fdListen < 0)
        return;
    // Only our own socket file is removed, before the socket closes: a start
    // that connects in between is reset and tries again.
    if (IsOurSocket())
        ::unlink(QFile::encodeName(m_strPath).constData());
    m_pNotifier->setEnabled(false);
    m_pNotifier->deleteLater();
    m_pNotifier = nullptr;
    ::close(m_fdListen);
    m_fdListen = -1;
}

void SingleInstance::Watch()
{
    m_pWatch = new QFileSystemWatcher({QFileInfo(m_strPath).path()}, this);
    connect(m_pWatch, &QFileSystemWatcher::directoryChanged, this, &SingleInstance::CheckChannel);
}

void SingleInstance::CheckChannel()
{
    if (m_fdListen < 0 || IsOurSocket())
        return;
    // The folder itself may have gone (a cleaner of the temporary folder).
    const QString path = SocketPath(m_strName);
    ChannelLock lock;
    QString why;
    if (path.isEmpty() || !lock.Acquire(path + QStringLiteral(".lock"), kRepairLockWaitMs, &why)) {
        Stop();
        emit failed(path.isEmpty() ? QStringLiteral("the single-instance folder is gone") : why);
        return;
    }
    Fd socket;
    if (Connect(socket, path, QDeadlineTimer(kAnswerWaitMs)) >= 0) {
        // A later start found the channel broken and took it: it is the clock.
        Stop();
        emit quitRequested();
        return;
    }
    Stop();
    m_strPath = path;
    if (!Listen(&why)) {
        emit failed(why);
        return;
    }
    Watch();
}

void SingleInstance::OnConnection()
{
    while (m_fdListen >= 0) {
        const int fd = ::accept4(m_fdListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (!PeerIsSameUser(fd)) {
            ::close(fd);
            continue;
        }
        auto* peer = new Peer(fd, this);
        connect(peer, &QSocketNotifier::activated, this, [this, peer] { OnRequest(peer); });
        // The request may have come with the connection.
        OnRequest(peer);
    }
}

void SingleInstance::OnRequest(QSocketNotifier* notifier)
{
    auto* peer = static_cast<Peer*>(notifier);
    const int fd = int(peer->socket());
    char chunk[kMaxRequest];
    ssize_t got = 0;
    while (peer->m_received.size() < kMaxRequest && (got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
        peer->m_received.append(chunk, int(got));
    const bool ended = got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    const int end = peer->m_received.indexOf('\n');
    // An instance already leaving does not answer: the start tries again.
    if (end >= 0 && m_fdListen >= 0 && peer->m_received.left(end + 1) == kQuit) {
        // Off the channel before answering: once the asking start has the
        // answer, the next start finds no instance here rather than this one
        // closing.
        Stop();
        ::send(fd, kClosing.constData(), std::size_t(kClosing.size()), MSG_NOSIGNAL);
        peer->Close();
        emit quitRequested();
        return;
    }
    if (ended || end >= 0 || peer->m_received.size() >= kMaxRequest)
        peer->Close();
}

} // namespace platform
