#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// Every failure the core reports. The message is meant for the person using
// the program: it names the file, row or value concerned.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace velmora
