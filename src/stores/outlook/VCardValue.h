#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "stores/outlook/VCard.h"

namespace velmora {

// Values of a card line as text: decoding (quoted-printable, character set,
// escapes) on reading, encoding for the card's version on writing.

// The line's value as UTF-8 text. Without a CHARSET, a value that is not
// UTF-8 is read as Windows-1252, each value on its own. Throws velmora::Error
// (without a place) for a value that cannot be decoded: base64, an unknown
// character set.
std::string DecodeText(const VCardLine& line);
// The value's ';'-separated components (N), each decoded on its own.
std::vector<std::string> DecodeComponents(const VCardLine& line);

// Replaces the line's value; the parameters are kept, except those that
// described the old value's encoding. 2.1 lines with text beyond ASCII are
// written in 8-bit UTF-8 with CHARSET=UTF-8, and those with line breaks in
// quoted-printable, without soft line breaks.
void SetLineText(VCardLine& line, std::string_view text, VCardVersion version);
void SetLineComponents(VCardLine& line, const std::vector<std::string>& components,
                       VCardVersion version);
// Replaces the value with a URI, written as it is (no escapes).
void SetLineUri(VCardLine& line, std::string_view uri);

// Quoted-printable, exposed for tests.
std::string DecodeQuotedPrintable(std::string_view text);
std::string EncodeQuotedPrintable(std::string_view bytes);

}  // namespace velmora
