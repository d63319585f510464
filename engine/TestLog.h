// The test log: Windows-1250 text with CR LF line ends and no byte-order mark. Lines are given
// in UTF-8 and converted once, here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace vorlaxis {

// The temporary log of the location at `index` of the last batch: tempFolder + "tmplog" + index
// + ".txt"; empty when there is no temporary folder.
std::string TempLogPath(const std::string& tempFolder, int32_t index);

class TestLog {
  public:
    // Creates (or truncates) the file; `privateFile` creates it for this user only and refuses
    // a symbolic link at the name. A failure shows at the first line written.
    void Open(const std::string& path, bool privateFile);
    // Writes `line` and CR LF; false when the log is not open or the write failed.
    bool WriteLine(std::string_view line);
    // A failure to close is ignored.
    void Close();

  private:
    platform::OutputFile m_file;
    std::string m_bytes;  // reused conversion buffer
};

}  // namespace vorlaxis
