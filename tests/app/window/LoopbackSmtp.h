#pragma once
// A minimal SMTP server on 127.0.0.1 (a free port) that runs on the test's own event loop: it
// greets, answers every command with 250 (DATA with 354, RCPT TO with RcptReply) and takes the
// message data up to its end-of-data line. OnCommand runs for each command line before the
// reply, while the window waits for it.
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <string>

namespace apptest {

class LoopbackSmtp {
public:
    LoopbackSmtp();
    quint16 Port() const { return FServer.serverPort(); }

    std::string RcptReply = "250 ok";
    std::function<void(const std::string& command)> OnCommand;
    std::string Commands;  // the command lines received, each ending with CR LF
    std::string Data;      // the message data, end-of-data line included

private:
    void Read();

    QTcpServer FServer;
    QTcpSocket* FClient = nullptr;  // owned by FServer
    std::string FPending;
    bool FInData = false;
};

}  // namespace apptest
