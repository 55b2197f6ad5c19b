#pragma once
// One running program per user and name. The first start opens a channel (a
// local socket in a folder only the user can reach) and answers to it; a later
// start, finding it, asks the running one to quit, or to show its settings,
// and ends.
//
// Starts that race are taken one at a time by a lock beside the socket, and a
// clock that is asked to quit leaves the channel before it answers. So each
// start, in the order the lock takes them, either becomes the clock (nothing
// answers) or closes exactly the clock that holds the channel: of many starts
// at once, every other one shows a clock and the next one closes it. A start
// that reaches a clock whose run has already ended (closed by its dialog)
// waits until that clock has left the channel, then becomes the clock. A
// start that asks for the settings leaves the clock on the channel, and one
// that only asks to quit never becomes the clock. A start that cannot take
// its turn (the lock stays held, by a stopped start or behind a long queue)
// fails: a clock it showed no later start could close.

#include <sys/types.h>

#include <QObject>
#include <QString>

#include "platform/UniqueFd.h"

class QFileSystemWatcher;
class QSocketNotifier;

namespace platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Registered,      // no other instance: this one now answers to the name
        ClosedOther,     // another instance ran and was asked to quit
        ConfiguredOther, // another instance ran and was asked to show its settings
        NoneRunning,     // no other instance, and this start was not to take its place
        Failed,          // no channel could be had (failed() says why): no lock in time,
                         // no private folder, or a socket of another user
    };
    // What a start asks of the instance it finds.
    enum class Request { Quit, Configure };
    // What a start that finds no instance does: answer to the name itself,
    // or end (NoneRunning).
    enum class Alone { Register, Leave };

    // How long a start waits its turn behind every start before it, and for
    // the answer of the clock each of them closes: room for a long queue of
    // starts on a loaded machine.
    static constexpr int kLockWaitMs = 120000;

    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Failed when the lock is not had within this time (kLockWaitMs unless set).
    void SetLockWait(int ms) { m_nLockWaitMs = ms; }
    Result Start(Request request = Request::Quit, Alone alone = Alone::Register);
    // Leaves the channel: the next start finds no instance here.
    void Stop();

    // The folder of the channel: XDG_RUNTIME_DIR when it is the user's own
    // private folder, else a folder of ours in the user's home, the first of
    //   $XDG_STATE_HOME/vitrodial (only when XDG_STATE_HOME is absolute; else
    //   ~/.local/state/vitrodial) and ~/.cache/vitrodial
    // that is private to the user. Each is made 0700 below an existing
    // XDG_STATE_HOME or home, with the folders between made 0700 too, and
    // refused when it is a link, or anyone else owns it or could enter it.
    // Never a shared temporary folder: another user could make ours there
    // first. Empty when there is no such folder.
    static QString Folder();
    // The socket in Folder(), named by a hash of the name and the user. A path
    // too long for a socket address is reached through the folder held open
    // (/proc/self/fd/N/...). Empty without a folder.
    static QString SocketPath(const QString& name);

signals:
    // A later start of the same user asked this instance to quit. The start
    // has its answer only once the slots connected directly have returned:
    // a clock hidden there is off the screen before the next start can show
    // one.
    void quitRequested();
    // A later start asked this instance to show its settings; the start has
    // its answer once the slots connected directly have returned.
    void configureRequested();
    // No channel could be had, or it was lost and could not be made again:
    // a later start will not find this instance.
    void failed(const QString& why);

private:
    Result Fail(const QString& why);
    bool Listen(QString* why);
    bool IsOurSocket() const;
    void Watch();
    // The socket file went, or something took its place: made again, as a
    // start would make it, unless another instance holds the channel now.
    void CheckChannel();
    void OnConnection();
    void OnRequest(QSocketNotifier* peer);

    QString m_strName;
    QString m_strPath;
    int m_nLockWaitMs = kLockWaitMs;
    UniqueFd m_fdListen;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    QSocketNotifier* m_pNotifier = nullptr;
    QFileSystemWatcher* m_pWatch = nullptr;
};

} // namespace platform
