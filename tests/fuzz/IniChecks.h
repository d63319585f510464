// The properties every settings file must keep, whatever it holds: shared by the fuzz target
// and by the regression test that replays the corpus of nasty files.
#pragma once

#include <string>
#include <string_view>

namespace vorlaxis::test {

// Runs `content` through the INI reader and writer and through ReadINIs / WriteINIs (files in
// `workFolder`, which ends in a separator). Returns empty text when every property held,
// otherwise what broke.
std::string CheckSettingsContent(std::string_view content, const std::string& workFolder);

}  // namespace vorlaxis::test
