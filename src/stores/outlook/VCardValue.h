#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "stores/outlook/VCard.h"

namespace velmora {

// Values of a card line as text: decoding (quoted-printable, character set,
// escapes) on reading, encoding for the card's version on writing.

// The line's value as UTF-8 text. Without a CHARSET, text that is not UTF-8 is
// read as Windows-1252. Throws velmora::Error (without a place) for a value
// that cannot be decoded: base64, an unknown character set.
std::string DecodeText(const VCardLine& line);
// The value's ';'-separated components (N), each decoded.
std::vector<std::string> DecodeComponents(const VCardLine& line);

// Replaces the line's value; the parameters are kept, except those that
// described the old value's encoding. 2.1 lines with text beyond ASCII are
// written in quoted-printable UTF-8.
void SetLineText(VCardLine& line, std::string_view text, VCardVersion version);
void SetLineComponents(VCardLine& line, const std::vector<std::string>& components,
                       VCardVersion version);

// Quoted-printable, exposed for tests.
std::string DecodeQuotedPrintable(std::string_view text);
std::string EncodeQuotedPrintable(std::string_view bytes);

}  // namespace velmora
