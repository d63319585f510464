#include "engine/TestLog.h"

#include "platform/Text.h"

namespace vorlaxis {

std::string TempLogPath(const std::string& tempFolder, int32_t index) {
    // Without a private temporary folder there is no log; never a name in the current folder.
    if (tempFolder.empty()) return {};
    return tempFolder + "tmplog" + std::to_string(index) + ".txt";
}

void TestLog::Open(const std::string& path, bool privateFile) {
    if (path.empty()) return;
    if (privateFile) {
        m_file.createPrivate(path);
    } else {
        m_file.create(path);
    }
}

bool TestLog::WriteLine(std::string_view line) {
    if (!m_file.isOpen()) return false;
    m_bytes = platform::Utf8ToCp1250(line);
    m_bytes += "\r\n";
    return m_file.write(m_bytes);
}

void TestLog::Close() {
    m_file.close();
}

}  // namespace vorlaxis
