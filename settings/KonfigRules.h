// The options dialog's rules, the same on every face: which options are available, what the
// block-size field accepts, and what OK and "Storno" do with the settings file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/TestSettings.h"

namespace vorlaxis {

struct KonfigEnabling {
    bool blockChoices = false;    // "Číst každý:" and its three options
    bool showLogChoices = false;  // "zobrazit jej vždy" / "... nalezení chyb"
    bool errorListCheck = false;  // the bad-file list shown automatically
};

// From what the controls show: the block options only for block reading; the log's two options
// only while it is shown, the automatic bad-file list only while it is not.
KonfigEnabling KonfigEnablingFor(bool blockReadingChosen, bool showLogTicked);

// The field's arrows step by this within kMinBlockSize..kMaxBlockSize (PullBlockSize).
constexpr int32_t kBlockSizeStep = 4;

// An arrow (or Up/Down key) pressed `steps` times (negative: down).
int32_t StepBlockSize(int32_t value, int steps);
// The field's text as a value: a whole number with an optional sign, else 4; not pulled.
int32_t BlockSizeFromText(const std::string& text);
// Whether a typed character is kept by the field (digits, signs, the decimal separator).
bool BlockSizeAccepts(char32_t c, char32_t decimalSeparator);

// What the buttons do outside the dialog; the main window supplies them.
struct KonfigActions {
    std::function<void()> writeINIs;        // OK
    std::function<void()> readINIs;         // "Storno" and Esc
    std::function<void()> showOptionsHelp;  // "&Nápověda"
};

// OK: the typed block size counts as it would on leaving the field, then everything is written.
void KonfigOk(TestSettings& settings, const std::string& blockSizeText,
              const KonfigActions& actions);
// "Storno": everything is read back from the file; the controls then show it.
void KonfigStorno(const KonfigActions& actions);

}  // namespace vorlaxis
