#pragma once
// The command-line sending mode: tarvelle DEFINITION [ATTACHMENT].
#include <string>

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

// Loads the definition, attaches the file when it exists (else warns on standard error),
// sends, and reports a failed delivery on standard error. Exceptions pass to the caller.
TExitCode RunSendingMode(const std::string& definition, const std::string& attachment);

}  // namespace tvl
