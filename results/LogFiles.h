// The log files: where the temporary and the saved logs lie, how a saved log is named, the copy
// procedure that keeps a log, and loading a log for the internal viewer.
#pragma once

#include <cstdint>
#include <string>

#include "engine/TestLog.h"  // TempLogPath: where the run left each temporary log

namespace vorlaxis {

// A log of this size or larger goes to the text editor instead of the internal viewer.
constexpr int64_t kInternalViewerLimit = 32700;

// The saved-log name by a LogNameFormat code: serial + ".txt", label + ".txt", or
// label + " (" + serial + ").txt"; empty for "nothing chosen". A part that is empty falls back to
// the next of label, serial and the name of the location's own folder (`location`), and the
// combined name goes without its " (serial)" when there is none; a root without any of them is
// "médium". Label and serial are used as they are, except that a path separator or NUL becomes
// "_", so the name never leaves the folder.
std::string SavedLogName(int32_t format, const std::string& volumeLabel,
                         const std::string& volumeSerial, const std::string& location);

// Copies `source` to `destination`: into an existing folder under the source's name; missing
// folders created; an existing file replaced, a read-only one refused; the source's last-write
// time given to the copy. A link at the destination's name (symbolic, or a file with other
// hard links) is never written through: the copy is refused and the link left as it is.
// Returns the error text ("Cannot open file %s", "Cannot create file %s", "Stream read error",
// "Stream write error"), empty on success. A copy that fails after the destination was created
// leaves the partial file.
std::string CopyLogFile(const std::string& source, const std::string& destination);

// Reads a log for the internal viewer: decoded from Windows-1250, line ends (CR LF, LF, CR)
// made "\n". Returns the error text "Cannot open file "path". reason", empty on success.
std::string LoadLogText(const std::string& path, std::string& text);

}  // namespace vorlaxis
