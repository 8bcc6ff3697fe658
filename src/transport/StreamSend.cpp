#include "transport/StreamSend.h"

#include <QTcpSocket>

#include <cerrno>

#include <sys/socket.h>

qint64 CStreamSend::Write(QTcpSocket& socket, const char* data, qint64 len) {
    qint64 sent = 0;
    const qintptr fd = socket.socketDescriptor();
    if (fd >= 0 && socket.bytesToWrite() == 0 &&
        socket.state() == QAbstractSocket::ConnectedState) {
        ssize_t n = 0;
        do {
            n = ::send(static_cast<int>(fd), data, static_cast<std::size_t>(len),
                       MSG_DONTWAIT | MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        // A failure other than a full send buffer is left to Qt, which meets
        // it again on its own write and reports it as for any other write.
        sent = n > 0 ? static_cast<qint64>(n) : 0;
    }
    if (sent == len) {
        return len;
    }
    const qint64 rest = socket.write(data + sent, len - sent);
    return rest < 0 ? rest : sent + rest;
}

void CStreamSend::LowDelay(QTcpSocket& socket) {
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}
