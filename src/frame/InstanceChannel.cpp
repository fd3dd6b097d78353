#include "frame/InstanceChannel.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalSocket>

namespace InstanceChannel {

QString NameFor(const QString &lockPath)
{
    return QStringLiteral("quillmere-")
           + QString::fromLatin1(QCryptographicHash::hash(lockPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

bool Send(const QString &name, const QStringList &paths, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << paths;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The running copy answers one byte once it has the whole list.
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == "1";
}

Listener::Listener(const QString &name, QObject *parent) : QObject(parent)
{
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(name)) {
        // A socket left by a copy that died: nobody answers on it any more.
        QLocalServer::removeServer(name);
        server.listen(name);
    }
    connect(&server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { receive(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void Listener::receive(QLocalSocket *socket)
{
    QDataStream stream(socket);
    stream.startTransaction();
    QStringList paths;
    stream >> paths;
    if (!stream.commitTransaction())
        return;  // more of the list is on its way
    socket->write("1");
    socket->flush();
    // What the paths start yields to the event loop, where the socket may end and
    // be deleted: it starts from the event loop, once the socket's signal is over.
    QMetaObject::invokeMethod(this, [this, paths] { emit pathsArrived(paths); }, Qt::QueuedConnection);
}

} // namespace InstanceChannel
