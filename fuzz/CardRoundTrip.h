#pragma once

#include <string>
#include <string_view>

namespace velmora::fuzz {

// What reading, writing and editing a card file showed.
struct CardCheck {
    bool readable = false;  // the file read as cards (else it was refused with a clear error)
    std::string failure;    // "" when every check held, else what went wrong
};

// Reads the bytes as a card file and checks that the codec keeps every card
// exactly: unchanged cards write back byte for byte; a card whose mapped
// fields are written (several sets of values, clearing them too) reads back
// those values, keeps every line it does not map byte for byte, still ends
// where it ended, and changes nothing when the same values are written
// again; every value decodes the same by the short way taken for plain ones
// as by the whole decoding. A file that cannot be read must be refused with
// an error naming the file and a line that exists.
CardCheck CheckCardFile(std::string_view bytes);

}  // namespace velmora::fuzz
