#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace vornik::gui {
namespace {

QString ServerNameFor(const QString& folder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(folder).absolutePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("vornik-") + QString::fromLatin1(hash.toHex().left(16));
}

}  // namespace

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent),
      serverName_(ServerNameFor(programFolder)),
      lock_(QDir(programFolder).filePath(QStringLiteral("vornik.lock"))) {
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Claim() {
    if (!lock_.tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(2000)) {
            socket.write("show\n");
            socket.waitForBytesWritten(2000);
            socket.disconnectFromServer();
        }
        return false;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(serverName_);  // left behind by a crash
    server_->listen(serverName_);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

}  // namespace vornik::gui
