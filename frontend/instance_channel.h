// The line between the running instance and a later start: the later start hands over the
// document it was given (or nothing) and ends, and the running instance comes to the front
// with that document. A local socket beside the single-instance lock file carries it.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

class TInstanceChannel : public QObject {
    Q_OBJECT

  public:
    explicit TInstanceChannel(QObject* parent = nullptr);
    ~TInstanceChannel() override;

    // The socket's path: the lock file's path followed by ".socket".
    static QString socketPath();

    // In the running instance, which holds the lock: listens for later starts, replacing a
    // socket left by an instance that died. False when no socket could be made; later starts
    // then end without handing anything over. Requests are taken at once but held until
    // deliverRequests(), so that a start during the running instance's own start-up (while
    // a message box waits, before the main window exists) is not lost.
    bool listen();
    // From now on requests go out as documentHandedOver, the last one held first.
    void deliverRequests();

    // In a later start: hands document (an absolute path, or empty text) to the running
    // instance, trying for up to timeoutMs while that instance may still be starting. True
    // when the running instance took it.
    static bool handOver(const QString& document, int timeoutMs = 3000);

  signals:
    // A later start asked the running instance to come to the front, with its document
    // (empty text when it was given none).
    void documentHandedOver(const QString& document);

  private:
    void readRequest(QLocalSocket* socket);
    void passOn(const QString& document);

    QLocalServer* server;
    bool delivering = false;
    bool holding = false;
    QString heldDocument;
};
