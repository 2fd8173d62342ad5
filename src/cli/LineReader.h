#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

// Reads one answer from the person at the terminal.
class LineReader {
  public:
    virtual ~LineReader() = default;
    // Shows the prompt with `initial` already typed in, ready to edit; nullopt
    // at the end of input.
    virtual std::optional<std::string> ReadLine(std::string_view prompt,
                                                std::string_view initial) = 0;
};

// The terminal's own line editing (arrows, history, Ctrl-A/E ...) via libedit.
class EditLineReader final : public LineReader {
  public:
    std::optional<std::string> ReadLine(std::string_view prompt, std::string_view initial) override;
};

}  // namespace velmora::cli
