#include "app/Arguments.h"

#include "support/Codec.h"
#include "support/Exceptions.h"
#include "support/TextRoutines.h"

namespace tvl {

namespace {

TCommandLine Answer(TRunMode mode, std::string error = {}) {
    TCommandLine line;
    line.Mode = mode;
    line.Error = std::move(error);
    return line;
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine line;
    bool dump = false;
    std::size_t next = 0;
    for (; next < arguments.size(); ++next) {
        const std::string& argument = arguments[next];
        if (argument == "-h" || argument == "--help") return Answer(TRunMode::Help);
        if (argument == "--version") return Answer(TRunMode::Version);
        if (argument == "--dump") {
            dump = true;
        } else if (argument == "--verbose") {
            line.Verbose = true;
        } else if (argument.starts_with("--")) {
            // Never read as a file name: a mistyped option must not become a definition path.
            return Answer(TRunMode::UsageError, "不明なオプションです: " + argument);
        } else {
            break;
        }
    }
    if (next == arguments.size() || IsBlankArgument(arguments[next])) {
        if (next == 0) return Answer(TRunMode::Window);
        return Answer(TRunMode::UsageError, "定義ファイルが指定されていません。");
    }
    if (dump && line.Verbose)
        return Answer(TRunMode::UsageError, "--dump と --verbose は同時に指定できません。");
    line.Mode = dump ? TRunMode::Dump : TRunMode::Send;
    line.Definition = arguments[next];
    if (next + 1 < arguments.size()) line.Attachment = arguments[next + 1];
    return line;
}

bool IsBlankArgument(const std::string& utf8) {
    try {
        return klv::IsBlank(klv::Windows31JFromUtf8(utf8));
    } catch (const klv::EEncodingError&) {
        return false;  // it holds a character, so it is not blank
    }
}

std::string UsageText(const std::string& programName) {
    return "使い方: " + programName + " [--dump | --verbose] [定義ファイル [添付ファイル]]\n"
           "\n"
           "  引数なし              ウィンドウを開きます。\n"
           "  定義ファイル          メール定義ファイルのメールを SMTP サーバーへ送信します。\n"
           "  添付ファイル          送信するメールに添付するファイル (なければ添付せずに送信)。\n"
           "  --dump                送信せず、送信するメッセージ (DATA の後に送る内容) を\n"
           "                        そのまま標準出力に書き出します。サーバーには接続しません。\n"
           "  --verbose             送信し、SMTP の対話を 1 行ずつ標準エラー出力に表示します\n"
           "                        (C: クライアント、S: サーバー。メッセージ本体はバイト数のみ)。\n"
           "  -h, --help            この説明を表示します。\n"
           "  --version             バージョンを表示します。\n"
           "  (オプションは定義ファイルの前に指定します。「--」で始まる名前の定義ファイルは\n"
           "   ./--help のように指定します。)\n"
           "\n"
           "メール定義ファイル (Windows-31J, 行末 CR LF):\n"
           "  SMTP=サーバー:ポート\n"
           "  TO=\"名前<アドレス>\",<アドレス>,...\n"
           "  CC=名前<アドレス>,...\n"
           "  FROM=\"名前\"<アドレス>\n"
           "  SUBJECT=件名\n"
           "  BODYTEXT=\n"
           "  本文 (ファイルの終わりまで)\n"
           "\n"
           "終了コード:\n"
           "  0  送信しました (データ終了に 250 の応答)。--dump では書き出しました。\n"
           "  1  エラー: 定義ファイルや添付ファイルを読めない、ポートが整数でない、ソケットを開けない、\n"
           "     不明なオプション、--dump の出力を書き込めない。\n"
           "  2  送信できません: SMTP サーバーや宛先がない、サーバーの拒否 (5xx など)、応答の異常。\n"
           "  3  一時的な失敗: サーバーの 4xx 応答、名前解決・接続の失敗、タイムアウト、切断。\n";
}

std::string VersionText() { return std::string("Tarvelle ") + TARVELLE_VERSION + "\n"; }

}  // namespace tvl
