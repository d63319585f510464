// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace vorlaxis::test {

// Paths between the program's UTF-8 texts and std::filesystem, the same on every platform
// (a plain std::string would go through the ANSI code page on Windows).
inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

class TempDir {
  public:
    TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
    // Inside `base` (for example a memory file system for a test that creates many files).
    explicit TempDir(const std::filesystem::path& base) {
        namespace fs = std::filesystem;
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const fs::path candidate = base / ("vorlaxis-test-" + std::to_string(random()));
            std::error_code ec;
            if (fs::create_directory(candidate, ec)) {
                fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, ec);
                m_path = Utf8FromPath(candidate) + static_cast<char>(fs::path::preferred_separator);
            }
        }
        if (m_path.empty()) std::abort();
    }
    ~TempDir() {
        std::error_code ec;
        // Restore permissions a test took away so that removal succeeds.
        for (auto it = std::filesystem::recursive_directory_iterator(
                 PathFromUtf8(m_path), std::filesystem::directory_options::skip_permission_denied,
                 ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(PathFromUtf8(m_path), ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, with a trailing separator.
    const std::string& path() const { return m_path; }

    // Writes a file (creating its folders) and returns its full path.
    std::string file(const std::string& relative, const std::string& content) const {
        std::filesystem::path p = PathFromUtf8(m_path) / PathFromUtf8(relative);
        p.make_preferred();
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return Utf8FromPath(p);
    }

    // The names of the entries directly in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(m_path))) {
            found.push_back(Utf8FromPath(entry.path().filename()));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

  private:
    std::string m_path;
};

}  // namespace vorlaxis::test
