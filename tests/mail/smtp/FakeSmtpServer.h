#pragma once
// A scripted SMTP peer on 127.0.0.1 (a free port) for the conversation and client tests. It
// runs on the test's own event loop, so it moves only while the code under test waits: it plays
// S: bytes, waits W: milliseconds, takes C: one client line or D: the message data up to its
// end-of-data line, stops reading on H: and closes on X:. Everything the client sends is recorded.
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <string>
#include <vector>

namespace smtptest {

// The conversation waits on the application's event loop, which needs an application object.
void EnsureApplication();

struct Step {
    enum Kind { Send, Wait, Line, Data, Hold, Close } kind;
    std::string bytes;
    int ms = 0;
};

inline Step S(std::string bytes) { return {Step::Send, std::move(bytes)}; }
inline Step W(int ms) { return {Step::Wait, {}, ms}; }
inline Step C() { return {Step::Line, {}}; }
inline Step D() { return {Step::Data, {}}; }
inline Step H() { return {Step::Hold, {}}; }
inline Step X() { return {Step::Close, {}}; }
// `text` one byte at a time, `ms` apart.
std::vector<Step> Drip(const std::string& text, int ms);

using Script = std::vector<Step>;
// Scripts join with +.
Script operator+(Script a, const Script& b);

class FakeSmtpServer {
public:
    explicit FakeSmtpServer(Script script);

    quint16 Port() const { return FServer.serverPort(); }
    // All bytes the client sent, in order.
    const std::string& Received() const { return FReceived; }
    // Steps played so far.
    std::size_t StepsDone() const { return FNext; }
    bool Connected() const { return FClient != nullptr; }

private:
    void Accept();
    void Read();
    void Advance();

    QTcpServer FServer;
    QTcpSocket* FClient = nullptr;  // owned by FServer
    QTimer FPause;
    Script FScript;
    std::string FReceived;
    std::size_t FNext = 0;
    std::size_t FConsumed = 0;  // bytes of FReceived taken by C: and D: steps
    bool FPausing = false;
    bool FHolding = false;
};

}  // namespace smtptest
