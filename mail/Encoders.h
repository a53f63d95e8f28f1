#pragma once
// Transfer forms of MIME texts: encoded header words, quoted-printable, base64 and uuencode.
// No routine converts between character sets; a charset name only labels an encoded word.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/MemoryStream.h"

namespace ruzo {

// The whole text as one Q-encoded word when it holds a byte above 0x7F or below 0x20, else
// the text unchanged.
std::string EncodeHeaderWord(std::string_view text, std::string_view charset);
// Decodes every well-formed encoded word (B, Q or U) of the space-trimmed text; stops at the
// first malformed one. Decoded text is final: it is not searched for words again.
std::string DecodeHeaderWords(std::string_view text);

// Header mode escapes all but letters, digits and !*+-/ (RFC 2047 5(3)) and inserts no breaks;
// body mode escapes bytes above 0x7F and "=" and adds soft breaks after 72 counted characters.
std::string EncodeQPText(std::string_view text, bool headerMode);
// Decodes upper-case escapes and soft breaks (CR LF, LF CR, or a lone CR or LF after "=") and
// drops a final "="; anything else stays as it is. Never fails; decoded bytes are final.
std::string DecodeQPText(std::string_view text);

// Clears dest and writes source (from its start) as base64 lines of 76 characters, each
// ending in CR LF. Returns dest's size. dest and source may be the same stream.
std::size_t EncodeBase64Stream(TMemoryStream& dest, const TMemoryStream& source);
// Decodes whole groups of four characters, appending the bytes to out; an incomplete group
// at the end is dropped. Returns the number of bytes appended.
std::size_t DecodeBase64Chunk(std::string_view text, std::string& out);

// Value 0-63 of a uuencode character (space reads as 0); raises klv::Exception
// "UUCODE message format error" for any other byte.
int UUCharValue(unsigned char c);
// Decodes one uuencoded line into the 45-byte buffer; returns the count its first character
// declares (which may exceed what the line carries).
int DecodeUULine(std::string_view line, std::array<std::uint8_t, 45>& buffer);

}  // namespace ruzo
