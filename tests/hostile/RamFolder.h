// A folder in memory for trees of many thousands of entries: a tmpfs mounted for the test
// where this process may mount (it then also goes in one step), else a folder in /dev/shm,
// else an ordinary temporary folder. On a disk, creating and removing 100 000 directories
// takes minutes; in memory, a second.
#pragma once

#include <sys/mount.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "TempDir.h"

namespace vorlaxis::test {

class RamFolder {
  public:
    // `bytes` bounds a mounted tmpfs; 0 leaves the kernel's default.
    explicit RamFolder(uint64_t bytes = 0) {
        const std::string options =
            bytes ? "size=" + std::to_string(bytes) + ",mode=0755" : "mode=0755";
        m_point = m_base.path() + "ram";
        std::filesystem::create_directory(m_point);
        if (::mount("tmpfs", m_point.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            m_mounted = true;
            m_path = m_point + "/";
            return;
        }
        if (bytes == 0 && IsTmpfs("/dev/shm")) {
            std::string pattern = "/dev/shm/vorlaxis-test-XXXXXX";
            if (::mkdtemp(pattern.data())) {
                m_shm = pattern;
                m_path = pattern + "/";
                return;
            }
        }
        m_path = m_point + "/";
    }
    ~RamFolder() {
        if (m_mounted) ::umount2(m_point.c_str(), MNT_DETACH);
        std::error_code ec;
        if (!m_shm.empty()) std::filesystem::remove_all(m_shm, ec);
    }
    RamFolder(const RamFolder&) = delete;
    RamFolder& operator=(const RamFolder&) = delete;

    // The folder, with a trailing separator.
    const std::string& path() const { return m_path; }
    // True when it is a tmpfs of its own (its size bound holds).
    bool mounted() const { return m_mounted; }

  private:
    static bool IsTmpfs(const char* path) {
        struct statfs st {};
        return ::statfs(path, &st) == 0 && st.f_type == 0x01021994 && ::access(path, W_OK) == 0;
    }

    TempDir m_base;
    std::string m_point, m_path, m_shm;
    bool m_mounted = false;
};

}  // namespace vorlaxis::test
