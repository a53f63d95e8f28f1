// The program's version block (layout in support/about/VersionInfo.h): Japanese, UTF-8.
// "used" keeps the otherwise unreferenced array in the object file.
[[gnu::used, gnu::section(".tarvelle_version")]] static const char kVersionBlock[] =
    "\\VarFileInfo\\Translation\0" "0411FDE9\0"
    "\\StringFileInfo\\0411FDE9\\Comments\0" "メール定義ファイルに書かれたメールを送信します\0"
    "\\StringFileInfo\\0411FDE9\\CompanyName\0" "Tarvelle Project\0"
    "\\StringFileInfo\\0411FDE9\\FileDescription\0" "簡易メール送信ツール\0"
    "\\StringFileInfo\\0411FDE9\\FileVersion\0" "1.1.0.0\0"
    "\\StringFileInfo\\0411FDE9\\InternalName\0" "tarvelle\0"
    "\\StringFileInfo\\0411FDE9\\LegalCopyright\0" "Copyright (C) 2026 Tarvelle Project\0"
    "\\StringFileInfo\\0411FDE9\\LegalTrademarks\0" "\0"
    "\\StringFileInfo\\0411FDE9\\OriginalFilename\0" "tarvelle\0"
    "\\StringFileInfo\\0411FDE9\\PrivateBuild\0" "\0"
    "\\StringFileInfo\\0411FDE9\\ProductName\0" "簡易メール送信ツール - タルヴェル\0"
    "\\StringFileInfo\\0411FDE9\\ProductVersion\0" "1.1.0.0\0"
    "\\StringFileInfo\\0411FDE9\\SpecialBuild\0" "\0";
