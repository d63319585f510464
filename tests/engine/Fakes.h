// Scripted stand-ins for the person at the window: the host answers the read-error question
// from a script, the dialogs record every message box, the clock is set by the test.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/Dialogs.h"
#include "core/BlockingCalls.h"
#include "core/TestHost.h"
#include "platform/Text.h"

namespace vorlaxis::test {

class ScriptedHost : public TestHost {
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
        if (answers.empty()) return ReadErrorAnswer::Continue;
        const ReadErrorAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void StartProgressTimer() override { ++timerStarts; }

    std::deque<ReadErrorAnswer> answers;
    std::vector<std::string> asked;
    std::function<void()> onPump;
    int pumps = 0, busyShown = 0, busyHidden = 0, timerStarts = 0;
    bool busyVisible = false;
};

struct RecordedMessage {
    std::string text, caption;
    MsgButtons buttons;
    MsgIcon icon;
};

class ScriptedDialogs : public Dialogs {
  public:
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override {
        messages.push_back({text, caption, buttons, icon});
        return MsgResult::Ok;
    }
    std::string InputBox(const std::string&, const std::string&,
                         const std::string& initial) override {
        return initial;
    }
    std::string BrowseForFolder(const std::string&) override { return {}; }

    std::vector<RecordedMessage> messages;
};

class FixedClock : public Clock {
  public:
    platform::LocalDateTime Now() override { return now; }
    platform::LocalDateTime now{2026, 3, 14, 9, 26, 53, 0};
};

// Real file system calls, except that the files named in `failOpen` cannot be opened and reads
// of the files named in `failReadAt` fail once the file's position reaches the given offset.
class FailingCalls : public DirectBlockingCalls {
  public:
    bool Open(platform::InputFile& file, const std::string& path) override {
        ++opens[path];
        m_current = path;
        if (failOpen.count(path)) return false;
        return DirectBlockingCalls::Open(file, path);
    }
    int64_t Read(platform::InputFile& file, void* buffer, int64_t count) override {
        const auto it = failReadAt.find(m_current);
        if (it != failReadAt.end() && file.position() >= it->second) return -1;
        return DirectBlockingCalls::Read(file, buffer, count);
    }
    int64_t ListedSize(const std::string& path) override {
        if (beforeSize) beforeSize(path);
        return DirectBlockingCalls::ListedSize(path);
    }
    void EjectVolume(const std::string& path) override { ejected.push_back(path); }

    std::map<std::string, int> failOpen;
    std::map<std::string, int64_t> failReadAt;
    std::map<std::string, int> opens;
    std::vector<std::string> ejected;
    std::function<void(const std::string&)> beforeSize;

  private:
    std::string m_current;
};

}  // namespace vorlaxis::test
