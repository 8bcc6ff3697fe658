#pragma once

#include <QAbstractSocket>

#include <string>

// The wording of socket failures in a port's view.
//
//   [TEL: Socket Error 104]
//
// Qt reports a socket failure as an error class, not as the operating
// system's number; Number gives the errno value that stands for each class,
// so the line keeps the number a user can look up.
class CSocketError {
  public:
    static int Number(QAbstractSocket::SocketError error);
    // "[%s: Socket Error %d]\n"
    static std::string Line(const std::string& portName, int number);
    // The system's words for a number ("Connection refused").
    static std::string Reason(int number);
    // Why binding to a port failed; a refusal of a port below 1024 says
    // that such ports need privileges, as that is the usual cause.
    static std::string BindReason(int number, quint16 port);
};
