// The person at the dialogs, scripted: every message box, input dialog and folder picker is
// recorded and answered from the test's lists.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/Dialogs.h"

namespace vorlaxis::test {

class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        std::string kind;  // "message", "input" or "browse"
        std::string text;  // an input dialog's prompt and initial text as "prompt|initial"
        std::string caption;
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::Information;
    };

    // Answers to the Yes/No boxes in turn; none left means No. An OK box takes none.
    std::deque<MsgResult> answers;
    // What is typed into the input dialogs and picked in the folder picker, in turn; an empty
    // entry (or none left) cancels, which gives an input dialog's initial text back.
    std::deque<std::string> inputs;
    std::vector<Shown> shown;

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override {
        shown.push_back({"message", text, caption, buttons, icon});
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        return Next(answers, MsgResult::No);
    }
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override {
        shown.push_back({"input", prompt + "|" + initial, caption});
        const std::string typed = Next<std::string>(inputs, "");
        return typed.empty() ? initial : typed;
    }
    std::string BrowseForFolder(const std::string& title) override {
        shown.push_back({"browse", "", title});
        return Next<std::string>(inputs, "");
    }

  private:
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

}  // namespace vorlaxis::test
