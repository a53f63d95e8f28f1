// Delivery to a real SMTP server: aiosmtpd (Debian's /usr/bin/python3) through the project's
// loopback server script, on a free port, storing what it receives.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>

#include "../MessageFixtures.h"
#include "FakeSmtpServer.h"
#include "mail/MailMessage.h"
#include "mail/smtp/SmtpClient.h"

namespace {

class RealServer : public testing::Test {
protected:
    void SetUp() override {
        smtptest::EnsureApplication();
        ASSERT_TRUE(store.isValid());
        server.setProgram("/usr/bin/python3");
        server.setArguments({TARVELLE_SOURCE_DIR "/scripts/smtp-server.py", "--store", store.path(),
                             "--lifetime", "60"});
        server.start();
        ASSERT_TRUE(server.waitForStarted(10000)) << server.errorString().toStdString();
        const QDeadlineTimer bound(15000);
        QByteArray out;
        while (!out.contains('\n') && !bound.hasExpired() && server.state() == QProcess::Running) {
            server.waitForReadyRead(200);
            out += server.readAllStandardOutput();
        }
        ASSERT_TRUE(out.startsWith("PORT ")) << out.toStdString()
                                             << server.readAllStandardError().toStdString();
        port = out.mid(5).trimmed().toInt();
    }

    void TearDown() override {
        server.terminate();
        if (!server.waitForFinished(5000)) server.kill();
    }

    QByteArray Stored(const char* name) const {
        QFile file(store.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir store;
    QProcess server;
    int port = 0;
};

TEST_F(RealServer, DeliversMessageWithAttachment) {
    ruzo::TMailMessage message{ruzo_test::FixedEnvironment()};
    message.ClearMessage();
    message.SetTextEncoding(ruzo::et7Bit);
    message.SetCharset("ISO-2022-JP");
    message.PutTextPlain("Report attached.\r\n.\r\n.hidden line\r\nend\r\n");
    message.PutFrom("Sender", "sender@example.com");
    message.ToList.AddNameAddress("", "b@example.com");
    message.CcList.AddNameAddress("", "A@example.com");
    message.BccList.AddNameAddress("", "c@example.com");
    message.PutSubject("Monthly report");
    message.PutDate(std::chrono::local_days{std::chrono::year{2026} / 12 / 9});
    ruzo::TMemoryStream attachment;
    // Large enough to fill the socket buffers, so sending waits for the server to drain them.
    std::string bytes(8 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    attachment.assign(std::move(bytes));
    message.AttachStream(attachment, "report.pdf", "", ruzo::etBase64, false);

    ruzo::TSMTPClient client;
    client.Host = "127.0.0.1";
    client.Port = port;
    client.MailMessage = &message;
    std::int64_t lastCurrent = -1, total = 0;
    client.SetOnProgress([&](QObject*, std::int64_t t, std::int64_t current) {
        total = t;
        lastCurrent = current;
    });
    ASSERT_TRUE(client.OpenSession()) << client.LastFailure().Describe();
    message.RebuildMessage();
    ASSERT_TRUE(client.SendMailMessage()) << client.LastFailure().Describe();
    EXPECT_GT(total, ruzo::TSMTPClient::DefaultPacketSize);
    EXPECT_EQ(lastCurrent, total);

    const QJsonObject envelope = QJsonDocument::fromJson(Stored("001.json")).object();
    EXPECT_EQ(envelope["mail_from"].toString(), "sender@example.com");
    EXPECT_EQ(envelope["rcpt_tos"].toArray(),
              (QJsonArray{"A@example.com", "b@example.com", "c@example.com"}));

    // The server removes the transparency dots, so it holds the message text as composed,
    // without its Bcc field.
    message.SetFieldValue("Bcc", "");
    const std::string sent = message.GetHeaderText() + message.FEncodedBody.bytes();
    const QByteArray stored = Stored("001.eml");
    EXPECT_EQ(ruzo_test::Visible(std::string(stored.constData(), stored.size())),
              ruzo_test::Visible(sent));
    EXPECT_TRUE(stored.contains("\r\n.\r\n.hidden line\r\n"));
}

}  // namespace
