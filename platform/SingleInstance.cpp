#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

// The clock a start closes may still be starting on a loaded machine.
constexpr int kAnswerWaitMs = 20000;
constexpr int kRepairLockWaitMs = 2000;
constexpr int kPollMs = 10;
const QByteArray kQuit = "quit\n";
const QByteArray kClosing = "closing\n";
const QByteArray kConfigure = "configure\n";
const QByteArray kConfiguring = "configuring\n";
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

// The user's home: HOME when it names a folder absolutely, else the one of the
// user's account.
QString Home()
{
    const QString home = QDir::cleanPath(qEnvironmentVariable("HOME"));
    if (QDir::isAbsolutePath(home))
        return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    return ::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir
               ? QDir::cleanPath(QFile::decodeName(found->pw_dir))
               : QString();
}

bool IsFolder(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder below base, made with every folder between them that is missing,
// each for the user alone: only the umask may have taken bits away from one we
// made. A folder made by anyone else, a link or not a folder is refused.
bool MakePrivateFolder(const QString& base, const QString& below)
{
    if (!QDir::isAbsolutePath(base) || !IsFolder(base))
        return false;
    QString folder = base;
    for (const QString& part : below.split(u'/')) {
        folder = QDir(folder).filePath(part);
        const QByteArray path = QFile::encodeName(folder);
        if (::mkdir(path.constData(), 0700) == 0)
            ::chmod(path.constData(), 0700);
    }
    return IsPrivateFolder(folder);
}

// The lock that takes starts one at a time: an advisory lock on a file beside
// the socket, which the system releases when its holder ends, however it ends.
class ChannelLock {
public:
    bool Acquire(const QString& path, int timeoutMs, QString* why)
    {
        const QByteArray file = QFile::encodeName(path);
        m_fd.Reset(::open(file.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
        struct stat st {};
        if (!m_fd.IsValid() || ::fstat(m_fd.Get(), &st) != 0) {
            *why = QStringLiteral("cannot open the lock %1: %2").arg(path, SystemError());
            return false;
        }
        // Someone else's lock is never trusted, nor anything but a file.
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
            *why = QStringLiteral("the lock %1 is not this user's file").arg(path);
            return false;
        }
        const QDeadlineTimer deadline(timeoutMs);
        while (::flock(m_fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                *why = QStringLiteral("cannot take the lock %1: %2").arg(path, SystemError());
                return false;
            }
            if (deadline.hasExpired()) {
                *why = QStringLiteral("the lock %1 is still held by another start after %2 s")
                           .arg(path, QString::number(timeoutMs / 1000.0));
                return false;
            }
            QThread::msleep(kPollMs);
        }
        return true;
    }

private:
    UniqueFd m_fd;
};

// The address of the socket at path. A path too long for an address (a folder
// deep in the home) is reached through its folder, held open while the address
// is in use: /proc/self/fd/<folder>/<name>, which bind and connect resolve as
// any path. Never a name in the abstract namespace: any user may take one.
class Address {
public:
    explicit Address(const QString& path)
    {
        QByteArray file = QFile::encodeName(path);
        if (std::size_t(file.size()) >= sizeof m_address.sun_path) {
            const QFileInfo info(path);
            m_folder.Reset(
                ::open(QFile::encodeName(info.path()).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!m_folder.IsValid())
                return;
            file = "/proc/self/fd/" + QByteArray::number(m_folder.Get()) + '/' + QFile::encodeName(info.fileName());
            if (std::size_t(file.size()) >= sizeof m_address.sun_path)
                return;
        }
        m_address.sun_family = AF_UNIX;
        std::memcpy(m_address.sun_path, file.constData(), std::size_t(file.size()) + 1);
    }

    bool IsValid() const { return m_address.sun_family == AF_UNIX; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&m_address); }
    socklen_t Size() const { return sizeof m_address; }

private:
    sockaddr_un m_address{};
    UniqueFd m_folder;
};

// A socket connected to the running instance at path; none (not valid) when
// nothing answers there. A listener whose queue is full is waited for.
UniqueFd Connect(const QString& path, const QDeadlineTimer& deadline)
{
    const Address address(path);
    if (!address.IsValid())
        return {};
    UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.IsValid())
        return {};
    for (;;) {
        if (::connect(socket.Get(), address.Get(), address.Size()) == 0)
            return socket;
        if ((errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            return {};
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
    Peer(UniqueFd fd, QObject* parent)
        : QSocketNotifier(qintptr(fd.Get()), QSocketNotifier::Read, parent)
        , m_fd(std::move(fd))
    {
    }
    void Close()
    {
        setEnabled(false);
        deleteLater();
    }
    QByteArray m_received;

private:
    UniqueFd m_fd;
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
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime))
        return runtime;
    // Never in a shared temporary folder, where another user may make our
    // folder first: in the home, where no one else can.
    const QString home = Home();
    const QString stateHome = QDir::cleanPath(qEnvironmentVariable("XDG_STATE_HOME"));
    using Place = std::pair<QString, QString>; // an existing folder, and ours below it
    const Place places[] = {
        QDir::isAbsolutePath(stateHome) ? Place(stateHome, QStringLiteral("vitrodial"))
                                        : Place(home, QStringLiteral(".local/state/vitrodial")),
        Place(home, QStringLiteral(".cache/vitrodial")),
    };
    for (const auto& [base, below] : places)
        if (MakePrivateFolder(base, below))
            return QDir(base).filePath(below);
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

SingleInstance::Result SingleInstance::Start(Request request, Alone alone)
{
    const bool configure = request == Request::Configure;
    const QByteArray& ask = configure ? kConfigure : kQuit;
    const QByteArray& answered = configure ? kConfiguring : kClosing;
    const Result done = configure ? Result::ConfiguredOther : Result::ClosedOther;
    if (m_strPath.isEmpty())
        return Fail(QStringLiteral("no folder private to this user for the single-instance socket"));
    // Asking and registering form one step, one start at a time.
    ChannelLock lock;
    QString why;
    if (!lock.Acquire(m_strPath + QStringLiteral(".lock"), m_nLockWaitMs, &why))
        return Fail(why);

    const QDeadlineTimer deadline(kAnswerWaitMs);
    while (!deadline.hasExpired()) {
        const UniqueFd socket = Connect(m_strPath, deadline);
        const int fd = socket.Get();
        if (fd < 0)
            break;
        if (!PeerIsSameUser(fd))
            return Fail(QStringLiteral("the socket %1 belongs to another user").arg(m_strPath));
        ::send(fd, ask.constData(), std::size_t(ask.size()), MSG_NOSIGNAL);
        QByteArray answer;
        char chunk[kMaxRequest];
        ssize_t got = 0;
        // Until a whole line, the end of the connection or the deadline.
        while (!answer.endsWith('\n') && answer.size() < kMaxRequest && WaitReadable(fd, deadline)
               && ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0 || (got < 0 && errno == EINTR)))
            answer.append(chunk, int(qMax<ssize_t>(got, 0)));
        // Without an answer in time the clock still has the request.
        if (answer == answered || deadline.hasExpired())
            return done;
        // It went without answering: its run had ended. Once it has left the
        // channel, this start becomes the clock.
        QThread::msleep(kPollMs);
    }
    if (alone == Alone::Leave)
        return Result::NoneRunning;
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
    const Address address(m_strPath);
    UniqueFd socket(address.IsValid() ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0) : -1);
    const int fd = socket.Get();
    struct stat st {};
    // The socket file is made for the user alone (the folder already is).
    if (fd < 0 || ::fchmod(fd, 0600) != 0 || ::bind(fd, address.Get(), address.Size()) != 0
        || ::listen(fd, SOMAXCONN) != 0 || ::lstat(path.constData(), &st) != 0) {
        *why = QStringLiteral("cannot listen at %1: %2").arg(m_strPath, SystemError());
        return false;
    }
    m_fdListen = std::move(socket);
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_pNotifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &SingleInstance::OnConnection);
    return true;
}

bool SingleInstance::IsOurSocket() const
{
    struct stat st {};
    return m_fdListen.IsValid() && ::lstat(QFile::encodeName(m_strPath).constData(), &st) == 0 && S_ISSOCK(st.st_mode)
           && st.st_dev == m_dev && st.st_ino == m_ino;
}

void SingleInstance::Stop()
{
    // Called from the watcher's and the notifier's own signals: they go later.
    if (m_pWatch) {
        m_pWatch->deleteLater();
        m_pWatch = nullptr;
    }
    if (!m_fdListen.IsValid())
        return;
    // Only our own socket file is removed, before the socket closes: a start
    // that connects in between is reset and tries again.
    if (IsOurSocket())
        ::unlink(QFile::encodeName(m_strPath).constData());
    m_pNotifier->setEnabled(false);
    m_pNotifier->deleteLater();
    m_pNotifier = nullptr;
    m_fdListen.Reset();
}

void SingleInstance::Watch()
{
    m_pWatch = new QFileSystemWatcher({QFileInfo(m_strPath).path()}, this);
    connect(m_pWatch, &QFileSystemWatcher::directoryChanged, this, &SingleInstance::CheckChannel);
}

void SingleInstance::CheckChannel()
{
    if (!m_fdListen.IsValid() || IsOurSocket())
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
    const UniqueFd socket = Connect(path, QDeadlineTimer(kAnswerWaitMs));
    if (socket.IsValid()) {
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
    while (m_fdListen.IsValid()) {
        UniqueFd fd(::accept4(m_fdListen.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.IsValid())
            return;
        if (!PeerIsSameUser(fd.Get()))
            continue;
        auto* peer = new Peer(std::move(fd), this);
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
    const QByteArray request = end >= 0 ? peer->m_received.left(end + 1) : QByteArray();
    // An instance already leaving does not answer: the start tries again.
    if (m_fdListen.IsValid() && request == kQuit) {
        // Off the channel, and the request handled, before answering: once
        // the asking start has the answer, the next start finds no instance
        // here rather than this one closing, and no clock of this one shows.
        Stop();
        emit quitRequested();
        ::send(fd, kClosing.constData(), std::size_t(kClosing.size()), MSG_NOSIGNAL);
        peer->Close();
        return;
    }
    // Shown before the answer, as a quit is handled before it.
    if (m_fdListen.IsValid() && request == kConfigure) {
        emit configureRequested();
        ::send(fd, kConfiguring.constData(), std::size_t(kConfiguring.size()), MSG_NOSIGNAL);
        peer->Close();
        return;
    }
    if (ended || end >= 0 || peer->m_received.size() >= kMaxRequest)
        peer->Close();
}

} // namespace platform
