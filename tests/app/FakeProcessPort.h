#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/ShellAndWait.h"
#include "model/Error.h"

namespace velmora::test {

// A process port for tests: it records what was started, runs each started
// program for a scripted number of looks, and can refuse to start anything.
class FakeProcessPort final : public ProcessPort {
  public:
    std::unique_ptr<StartedProcess> Start(const ProcessCommand& command) override {
        started.push_back(command);
        if (startFailure) throw Error(*startFailure);
        return std::make_unique<Process>(*this);
    }

    void StartDetached(const ProcessCommand& command) override {
        detached.push_back(command);
        if (startFailure) throw Error(*startFailure);
    }

    std::optional<std::filesystem::path> FindOnPath(std::string_view name) const override {
        const auto it = onPath.find(std::string(name));
        return it == onPath.end() ? std::nullopt : std::optional(it->second);
    }

    std::vector<ProcessCommand> started;
    std::vector<ProcessCommand> detached;
    std::vector<std::chrono::milliseconds> looks;  // the interval of each look
    std::optional<std::string> startFailure;
    std::map<std::string, std::filesystem::path> onPath;
    int looksBeforeEnd = 0;              // looks that find each started program still running
    std::function<void()> whileRunning;  // called at each look that finds it running

  private:
    class Process final : public StartedProcess {
      public:
        explicit Process(FakeProcessPort& port) : port_(port), left_(port.looksBeforeEnd) {}
        WaitOutcome WaitForEnd(std::chrono::milliseconds interval) override {
            port_.looks.push_back(interval);
            if (left_-- == 0) return WaitOutcome::Ended;
            if (port_.whileRunning) port_.whileRunning();
            return WaitOutcome::StillRunning;
        }

      private:
        FakeProcessPort& port_;
        int left_;
    };
};

}  // namespace velmora::test
