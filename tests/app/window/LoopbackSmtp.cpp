#include "tests/app/window/LoopbackSmtp.h"

namespace apptest {

LoopbackSmtp::LoopbackSmtp() {
    FServer.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&FServer, &QTcpServer::newConnection, [this] {
        FClient = FServer.nextPendingConnection();
        QObject::connect(FClient, &QTcpSocket::readyRead, [this] { Read(); });
        FClient->write("220 loopback ready\r\n");
    });
}

void LoopbackSmtp::Read() {
    FPending += FClient->readAll().toStdString();
    for (;;) {
        if (FInData) {
            const auto end = FPending.find("\r\n.\r\n");
            if (end == std::string::npos) return;
            Data += FPending.substr(0, end + 5);
            FPending.erase(0, end + 5);
            FInData = false;
            FClient->write("250 queued\r\n");
            continue;
        }
        const auto eol = FPending.find("\r\n");
        if (eol == std::string::npos) return;
        const std::string line = FPending.substr(0, eol);
        FPending.erase(0, eol + 2);
        Commands += line + "\r\n";
        if (OnCommand) OnCommand(line);
        std::string reply = "250 ok";
        if (line.starts_with("DATA")) {
            reply = "354 go ahead";
            FInData = true;
        } else if (line.starts_with("RCPT")) {
            reply = RcptReply;
        }
        FClient->write((reply + "\r\n").c_str());
    }
}

}  // namespace apptest
