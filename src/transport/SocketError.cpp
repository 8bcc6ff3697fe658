#include "transport/SocketError.h"

#include <cerrno>
#include <cstring>

int CSocketError::Number(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError:
        return ECONNRESET;
    case QAbstractSocket::HostNotFoundError:
        return EHOSTUNREACH;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SocketResourceError:
        return ENOBUFS;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::DatagramTooLargeError:
        return EMSGSIZE;
    case QAbstractSocket::NetworkError:
        return ENETUNREACH;
    case QAbstractSocket::AddressInUseError:
        return EADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return EOPNOTSUPP;
    case QAbstractSocket::UnfinishedSocketOperationError:
        return EINPROGRESS;
    case QAbstractSocket::TemporaryError:
        return EWOULDBLOCK;
    case QAbstractSocket::OperationError:
        return ENOTCONN;
    default:
        return EIO;
    }
}

std::string CSocketError::Line(const std::string& portName, int number) {
    return "[" + portName + ": Socket Error " + std::to_string(number) + "]\n";
}

std::string CSocketError::Reason(int number) {
    return std::strerror(number);
}

std::string CSocketError::BindReason(int number, quint16 port) {
    if (number == EACCES && port < 1024) {
        return "permission denied: ports below 1024 need privileges";
    }
    return Reason(number);
}
