#include "app/Arguments.h"

#include "support/Codec.h"
#include "support/Exceptions.h"
#include "support/TextRoutines.h"

namespace tvl {

bool IsBlankArgument(const std::string& utf8) {
    try {
        return klv::IsBlank(klv::Windows31JFromUtf8(utf8));
    } catch (const klv::EEncodingError&) {
        return false;  // it holds a character, so it is not blank
    }
}

std::string UsageText(const std::string& programName) {
    return "使い方: " + programName + " [定義ファイル [添付ファイル]]\n"
           "\n"
           "  引数なし              ウィンドウを開きます。\n"
           "  定義ファイル          メール定義ファイルのメールを SMTP サーバーへ送信します。\n"
           "  添付ファイル          送信するメールに添付するファイル (なければ添付せずに送信)。\n"
           "  -h, --help            この説明を表示します。\n"
           "  --version             バージョンを表示します。\n"
           "  (「--help」という名前の定義ファイルは ./--help と指定します。)\n"
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
           "  0  送信しました (データ終了に 250 の応答)。\n"
           "  1  エラー: 定義ファイルや添付ファイルを読めない、ポートが整数でない、ソケットを開けない。\n"
           "  2  送信できません: SMTP サーバーや宛先がない、サーバーの拒否 (5xx など)、応答の異常。\n"
           "  3  一時的な失敗: サーバーの 4xx 応答、名前解決・接続の失敗、タイムアウト、切断。\n";
}

std::string VersionText() { return std::string("Tarvelle ") + TARVELLE_VERSION + "\n"; }

}  // namespace tvl
