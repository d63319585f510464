// The system's viewer of compiled help files (HTML Help on Windows).
#pragma once

#include <string>

namespace vorlaxis::platform {

// Shows `topic` ("/konfig/konfig.htm") of the compiled help file `helpFile` in the system's
// help viewer. False where the system has none (Linux) or it cannot be loaded: the caller then
// shows the topic's page itself.
bool ShowCompiledHelp(const std::string& helpFile, const std::string& topic);

}  // namespace vorlaxis::platform
