#pragma once
// One running program per user and name: the first start registers a local
// socket named after the program, and a later start, finding it, asks the
// running one to quit and ends. Starts that race are taken one at a time, so
// the later one always finds the earlier and closes it.

#include <memory>

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Registered,   // no other instance: this one now answers to the name
        ClosedOther,  // another instance ran and was asked to quit
        Failed,       // the name could not be registered; nothing else ran
    };

    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    Result Start();

    // The socket's path: in the user's runtime folder when there is one,
    // otherwise the temporary folder; the user id is part of the name.
    static QString SocketPath(const QString& name);

signals:
    // A later start of the same user asked this instance to quit.
    void quitRequested();

private:
    bool AskToQuit();
    void OnConnection();

    QString m_strPath;
    std::unique_ptr<QLocalServer> m_pServer;
};

} // namespace platform
