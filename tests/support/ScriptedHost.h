// The program around a run, scripted: the host counts its pumps and busy windows and answers
// the read-error question from a list; the clock stands still at a time the test may set.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/TestHost.h"

namespace vorlaxis::test {

class ScriptedHost final : public TestHost {
  public:
    void ProcessMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
    void ShowBusyWindow() override {
        ++busyShown;
        busyVisible = true;
    }
    void HideBusyWindow() override {
        ++busyHidden;
        busyVisible = false;
    }
    ReadErrorAnswer AskReadError(const std::string& path) override {
        asked.push_back(path);
        if (onQuestion) onQuestion(path);
        if (answers.empty()) return unscripted(path);
        const ReadErrorAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void StartProgressTimer() override { ++timerStarts; }

    std::deque<ReadErrorAnswer> answers;
    // The answer when the list is used up.
    std::function<ReadErrorAnswer(const std::string&)> unscripted = [](const std::string&) {
        return ReadErrorAnswer::Continue;
    };
    std::vector<std::string> asked;  // the paths of the questions, in turn
    std::function<void()> onPump;
    std::function<void(const std::string&)> onQuestion;
    int64_t pumps = 0;
    int busyShown = 0, busyHidden = 0, timerStarts = 0;
    bool busyVisible = false;
};

class FixedClock final : public Clock {
  public:
    platform::LocalDateTime Now() override { return now; }
    platform::LocalDateTime now{2026, 3, 14, 9, 26, 53, 0};
};

}  // namespace vorlaxis::test
