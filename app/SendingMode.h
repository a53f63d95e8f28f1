#pragma once
// The command-line sending mode: tarvelle [--dump | --verbose] DEFINITION [ATTACHMENT].
#include <iosfwd>
#include <string>

#include "app/Arguments.h"
#include "mail/smtp/SmtpFailure.h"

namespace tvl {

// Exit codes a batch job can act on.
enum TExitCode : int {
    ecDelivered = 0,
    ecError = 1,      // an exception escaped: unreadable file, bad port text, socket open
    ecRefused = 2,    // fix the definition or the address: a permanent refusal
    ecTemporary = 3,  // try again later: a 4xx reply, the network, a time-out
};

// The exit code for a delivery that failed without an exception.
TExitCode ExitCodeFor(const ruzo::TSmtpFailure& failure);

// Loads the definition and attaches the file when it exists (else warns on standard error).
// Send: delivers, with the dialogue on standard error when verbose, and reports a failed
// delivery there. Dump: writes the composed message to `dumpOut` instead; nothing connects.
// Exceptions pass to the caller.
TExitCode RunSendingMode(const TCommandLine& command, std::ostream& dumpOut);

}  // namespace tvl
