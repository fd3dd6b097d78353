#pragma once

#include <QLocalServer>
#include <QStringList>

// How a second start hands its files to the copy that is running: the running copy
// listens on a local socket named after its instance lock; a start that finds the
// lock taken sends its paths there and ends.
namespace InstanceChannel {

// The socket's name for a lock file: the same for every start that uses that lock.
QString NameFor(const QString &lockPath);

// Sends paths to the running copy; true once it has confirmed them.
bool Send(const QString &name, const QStringList &paths, int timeoutMs = 5000);

// Listens for the paths of later starts while it lives.
class Listener : public QObject {
    Q_OBJECT
public:
    explicit Listener(const QString &name, QObject *parent = nullptr);
    bool listening() const { return server.isListening(); }

signals:
    // From the event loop, after the start that sent them has been answered.
    void pathsArrived(const QStringList &paths);

private:
    void receive(QLocalSocket *socket);

    QLocalServer server;
};

} // namespace InstanceChannel
