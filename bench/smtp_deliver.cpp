// Delivery speed on loopback, against Postfix's smtp-sink (install with bench/install-peers):
// - a message with a 64 MiB attachment sent by TSMTPClient, beside curl uploading the same
//   message text to the same sink in the same run (curl's time is the transport floor);
// - a 1 KiB message from connect to the last reply, where a Nagle / delayed-ACK stall on the
//   small end-of-data write would cost about 40 ms.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>

#include "mail/MailMessage.h"
#include "mail/smtp/DotStuffing.h"
#include "mail/smtp/SmtpClient.h"

namespace {

constexpr std::size_t kLargeAttachment = 64u << 20;
constexpr std::size_t kSmallBody = 1024;
constexpr int kIterations = 5;

struct Peers {
    QString sinkPath = QStandardPaths::findExecutable("smtp-sink", {"/usr/sbin", "/usr/bin"});
    QString curlPath = QStandardPaths::findExecutable("curl");
    QProcess sink;
    int port = 0;
    QTemporaryDir dir;
    std::string missing;
};
Peers* peers = nullptr;
double tarvelleSeconds = 0;
double curlSeconds = 0;

int FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool Listening(int port) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    return probe.waitForConnected(100);
}

void StartSink() {
    if (peers->sinkPath.isEmpty() || peers->curlPath.isEmpty()) {
        peers->missing = "smtp-sink or curl missing: run bench/install-peers";
        return;
    }
    peers->port = FreeLoopbackPort();
    QStringList args;
    if (geteuid() == 0) args << "-u" << "nobody";  // required when started as root
    args << QString("127.0.0.1:%1").arg(peers->port) << "64";
    peers->sink.start(peers->sinkPath, args);
    const QDeadlineTimer bound(10000);
    while (!Listening(peers->port) && !bound.hasExpired()) QThread::msleep(50);
    if (!Listening(peers->port)) peers->missing = "smtp-sink did not start";
}

std::unique_ptr<ruzo::TMailMessage> BuildMessage(std::size_t attachmentBytes) {
    auto message = std::make_unique<ruzo::TMailMessage>();
    message->ClearMessage();
    message->SetTextEncoding(ruzo::et7Bit);
    message->SetCharset("ISO-2022-JP");
    message->PutTextPlain(std::string(kSmallBody - 2, 'b') + "\r\n");
    message->PutFrom("Sender", "sender@example.com");
    message->ToList.AddNameAddress("", "to@example.com");
    message->PutSubject("Benchmark");
    message->PutDate(std::chrono::floor<std::chrono::seconds>(ruzo::LocalNow()));
    if (attachmentBytes > 0) {
        std::mt19937 random(20261209);
        std::string bytes(attachmentBytes, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        ruzo::TMemoryStream stream;
        stream.assign(std::move(bytes));
        message->AttachStream(stream, "data.bin", "", ruzo::etBase64, false);
    }
    if (message->NeedRebuild) message->RebuildMessage();
    return message;
}

ruzo::TMailMessage& LargeMessage() {
    static std::unique_ptr<ruzo::TMailMessage> message = BuildMessage(kLargeAttachment);
    return *message;
}

std::uint64_t WireLength(ruzo::TMailMessage& message) {
    const std::string header = message.GetHeaderText();
    const std::array<std::string_view, 2> pieces{header, message.FEncodedBody.view()};
    return ruzo::TDotStuffer::WireLength(pieces);
}

bool Deliver(benchmark::State& state, ruzo::TMailMessage& message) {
    ruzo::TSMTPClient client;
    client.Host = "127.0.0.1";
    client.Port = peers->port;
    client.MailMessage = &message;
    if (client.OpenSession() && client.SendMailMessage()) return true;
    state.SkipWithError(client.LastFailure().Describe().c_str());
    return false;
}

void Report(benchmark::State& state, std::uint64_t bytes, double& seconds, double elapsed) {
    seconds = elapsed / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6 * state.iterations(),
                                                benchmark::Counter::kIsRate);
    state.counters["wire_MiB"] = static_cast<double>(bytes) / (1 << 20);
}

void BM_Tarvelle64MiBAttachment(benchmark::State& state) {
    if (!peers->missing.empty()) return state.SkipWithError(peers->missing.c_str());
    ruzo::TMailMessage& message = LargeMessage();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!Deliver(state, message)) return;
    }
    Report(state, WireLength(message), tarvelleSeconds,
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void BM_Curl64MiBAttachment(benchmark::State& state) {
    if (!peers->missing.empty()) return state.SkipWithError(peers->missing.c_str());
    ruzo::TMailMessage& message = LargeMessage();
    // The same message text, as a file for curl to upload; curl adds its own dots and end line.
    const QString path = peers->dir.filePath("message.eml");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return state.SkipWithError("cannot write message file");
        const std::string header = message.GetHeaderText();
        file.write(header.data(), static_cast<qint64>(header.size()));
        file.write(message.FEncodedBody.view().data(), static_cast<qint64>(message.FEncodedBody.size()));
    }
    const QStringList args{"-s", "-S", "--url", QString("smtp://127.0.0.1:%1").arg(peers->port),
                           "--mail-from", "sender@example.com", "--mail-rcpt", "to@example.com",
                           "-T", path};
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        QProcess curl;
        curl.start(peers->curlPath, args);
        if (!curl.waitForFinished(120000) || curl.exitCode() != 0)
            return state.SkipWithError(("curl failed: " + curl.readAllStandardError().toStdString()).c_str());
    }
    Report(state, WireLength(message), curlSeconds,
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void BM_Tarvelle1KiBMessage(benchmark::State& state) {
    if (!peers->missing.empty()) return state.SkipWithError(peers->missing.c_str());
    const std::unique_ptr<ruzo::TMailMessage> message = BuildMessage(0);
    for (auto _ : state) {
        if (!Deliver(state, *message)) return;
    }
}

BENCHMARK(BM_Tarvelle64MiBAttachment)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Curl64MiBAttachment)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tarvelle1KiBMessage)->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Peers local;
    peers = &local;
    StartSink();
    benchmark::RunSpecifiedBenchmarks();
    if (tarvelleSeconds > 0 && curlSeconds > 0)
        std::printf("64 MiB attachment: %.3f s a message, curl %.3f s: %.2f times curl (goal <= 1.5)\n",
                    tarvelleSeconds, curlSeconds, tarvelleSeconds / curlSeconds);
    local.sink.terminate();
    if (!local.sink.waitForFinished(5000)) local.sink.kill();
    benchmark::Shutdown();
    return 0;
}
