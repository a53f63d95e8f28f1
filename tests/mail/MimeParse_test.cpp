// Composed messages read by an independent MIME parser (Python's email package).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

#include "MessageFixtures.h"
#include "mail/MailMessage.h"

namespace {

namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";

std::string RunCapturingOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::string Json(const QJsonValue& value) {
    return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact).toStdString();
}

class MimeParseTest : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kPython)) GTEST_SKIP() << kPython << " is not installed";
        dir_ = fs::temp_directory_path() / ("tarvelle-mimeparse-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    QJsonObject ParseAll() {
        std::string command = std::string(kPython) + " " + TEST_DATA_DIR + "/parse_mime.py";
        for (const auto& entry : fs::directory_iterator(dir_))
            command += " '" + entry.path().string() + "'";
        std::string output = RunCapturingOutput(command);
        QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(output));
        EXPECT_TRUE(document.isObject()) << output;
        return document.object();
    }

    fs::path dir_;
};

TEST_F(MimeParseTest, EveryStructureParsesWithItsContentIntact) {
    std::map<std::string, std::map<std::string, std::string>> contents;
    for (const ruzo_test::StructureRow& row : ruzo_test::StructureRows()) {
        ruzo::TMailMessage message(ruzo_test::FixedEnvironment());
        message.SetCharset("ISO-2022-JP");
        message.SetTextEncoding(ruzo::et7Bit);
        message.PutFrom(R"(Taro "T" Yamada)", "a0@example.com");
        message.ToList.AddNameAddress(R"(C:\Users\taro)", "a1@example.com");
        message.ToList.AddNameAddress("Yamada, Taro; HQ", "a2@example.com");
        message.PutSubject("Report");
        contents[row.name] = ruzo_test::Compose(message, row.steps);
        message.PutMessageId("::1");
        std::ofstream(dir_ / (std::string(row.name) + ".eml"), std::ios::binary)
            << message.GetFullText();
    }

    QJsonObject parsed = ParseAll();
    for (const ruzo_test::StructureRow& row : ruzo_test::StructureRows()) {
        SCOPED_TRACE(row.name);
        QJsonObject result = parsed.value(QString(row.name) + ".eml").toObject();
        ASSERT_FALSE(result.isEmpty());
        EXPECT_EQ(result.value("tree").toString().toStdString(), row.structure);
        EXPECT_EQ(Json(result.value("defects")), "[]");
        EXPECT_TRUE(result.value("lengthMatches").toBool());
        EXPECT_EQ(Json(result.value("from")), R"([["Taro \"T\" Yamada","a0@example.com"]])");
        EXPECT_EQ(Json(result.value("to")),
                  R"([["C:\\Users\\taro","a1@example.com"],)"
                  R"(["Yamada, Taro; HQ","a2@example.com"]])");

        std::map<std::string, std::string> decoded;
        for (const QJsonValue& leaf : result.value("leaves").toArray()) {
            QJsonObject object = leaf.toObject();
            decoded[object.value("key").toString().toStdString()] =
                QByteArray::fromBase64(object.value("payload").toString().toLatin1())
                    .toStdString();
        }
        EXPECT_EQ(decoded, contents[row.name]);
    }
}

}  // namespace
