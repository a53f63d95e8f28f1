#include "FakeSmtpServer.h"

#include <QCoreApplication>
#include <stdexcept>

namespace smtptest {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "smtp_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit, after Qt's own globals are gone, its destructor would crash.
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

std::vector<Step> Drip(const std::string& text, int ms) {
    Script steps;
    for (char c : text) {
        steps.push_back(S(std::string(1, c)));
        steps.push_back(W(ms));
    }
    return steps;
}

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

FakeSmtpServer::FakeSmtpServer(Script script) : FScript(std::move(script)) {
    EnsureApplication();
    FPause.setSingleShot(true);
    QObject::connect(&FPause, &QTimer::timeout, [this] {
        FPausing = false;
        ++FNext;
        Advance();
    });
    QObject::connect(&FServer, &QTcpServer::newConnection, [this] { Accept(); });
    if (!FServer.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("fake server cannot listen: " + FServer.errorString().toStdString());
}

void FakeSmtpServer::Accept() {
    QTcpSocket* next = FServer.nextPendingConnection();
    if (FClient) {  // one client per script
        next->abort();
        return;
    }
    FClient = next;
    QObject::connect(FClient, &QTcpSocket::readyRead, [this] { Read(); });
    Advance();
}

void FakeSmtpServer::Read() {
    if (FHolding) return;
    const QByteArray bytes = FClient->readAll();
    FReceived.append(bytes.constData(), bytes.size());
    Advance();
}

void FakeSmtpServer::Advance() {
    while (!FPausing && FNext < FScript.size() && FClient) {
        const Step& step = FScript[FNext];
        switch (step.kind) {
            case Step::Send:
                FClient->write(step.bytes.data(), static_cast<qint64>(step.bytes.size()));
                FClient->flush();
                break;
            case Step::Wait:
                FPausing = true;
                FPause.start(step.ms);
                return;
            case Step::Line: {
                const std::size_t lf = FReceived.find('\n', FConsumed);
                if (lf == std::string::npos) return;
                FConsumed = lf + 1;
                break;
            }
            case Step::Data: {
                // The CR LF before the end line may be the DATA command's own.
                const std::size_t from = FConsumed >= 2 ? FConsumed - 2 : 0;
                const std::size_t end = FReceived.find("\r\n.\r\n", from);
                if (end == std::string::npos) return;
                FConsumed = end + 5;
                break;
            }
            case Step::Hold:
                // With its buffer full the socket stops reading, and the client's bytes back up.
                FHolding = true;
                FClient->setReadBufferSize(1);
                break;
            case Step::Close:
                FClient->disconnectFromHost();
                break;
        }
        ++FNext;
    }
}

}  // namespace smtptest
