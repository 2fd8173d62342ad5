#include <cstdlib>
#include <memory>
#include <string>

#include <editline/readline.h>

#include "cli/LineReader.h"

namespace velmora::cli {

namespace {

// The text put on the line before the person starts typing; the library's
// hook takes no argument, so it has to live here.
std::string& PendingInitialText() {
    static std::string text;
    return text;
}

int InsertInitialText() {
    rl_insert_text(PendingInitialText().c_str());
    return 0;
}

}  // namespace

std::optional<std::string> EditLineReader::ReadLine(std::string_view prompt,
                                                    std::string_view initial) {
    PendingInitialText() = std::string(initial);
    rl_startup_hook = InsertInitialText;
    const std::unique_ptr<char, decltype(&std::free)> line(readline(std::string(prompt).c_str()),
                                                           &std::free);
    rl_startup_hook = nullptr;
    if (!line) return std::nullopt;
    std::string answer(line.get());
    if (!answer.empty()) add_history(answer.c_str());
    return answer;
}

}  // namespace velmora::cli
