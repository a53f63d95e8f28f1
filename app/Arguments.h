#pragma once
// The command line: arguments are UTF-8, as the locale gives them.
#include <string>
#include <vector>

namespace tvl {

enum class TRunMode { Window, Help, Version, Send, Dump, UsageError };

// What the command line asks for. Options come before the definition file; a further
// argument after the attachment is ignored.
struct TCommandLine {
    TRunMode Mode = TRunMode::Window;
    bool Verbose = false;     // --verbose: the SMTP dialogue on standard error
    std::string Definition;   // passed on unchanged (not trimmed)
    std::string Attachment;   // may be blank: no attachment
    std::string Error;        // for UsageError: why, in one line
};

// `arguments` without the program's own name. No or a blank first argument opens the window;
// "-h", "--help" and "--version" answer at once; any other argument starting with "--" before
// the definition is an unknown option.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Blank as the definition format counts it: nothing left once blanks and full-width spaces
// (U+3000) are removed at both ends.
bool IsBlankArgument(const std::string& utf8);

// The usage text: argument form, options, definition keys, exit codes.
std::string UsageText(const std::string& programName);
std::string VersionText();

}  // namespace tvl
