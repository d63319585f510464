// The engine tests' stand-ins: the scripted host, dialogs and clock, and real file system
// calls that fail where a test says.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/BlockingCalls.h"
#include "engine/Tools.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedHost.h"

namespace vorlaxis::test {

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
    void ListedSizes(const std::string& /*dir*/, const std::vector<std::string>& paths,
                     std::vector<int64_t>& sizes) override {
        sizes.clear();
        for (const std::string& path : paths) sizes.push_back(ListedSize(path));
    }
    // Listed and sized one by one, so that beforeSize sees each file.
    bool ListFilesWithSizes(const std::string& dir, size_t limit, std::vector<std::string>& paths,
                            std::vector<int64_t>& sizes,
                            platform::ListingOutcome& outcome) override {
        paths.clear();
        if (!ListFiles(dir, "*.*", paths, *this, limit, &outcome)) return false;
        ListedSizes(dir, paths, sizes);
        return true;
    }
    void EjectVolume(const std::string& path) override { ejected.push_back(path); }
    bool NothingMounted(const std::string& path) override { return awaitingMedium.count(path) > 0; }

    std::map<std::string, int> failOpen;
    std::map<std::string, int64_t> failReadAt;
    std::map<std::string, int> opens;
    std::vector<std::string> ejected;
    std::set<std::string> awaitingMedium;  // folders where fstab mounts what is not there
    std::function<void(const std::string&)> beforeSize;

  private:
    std::string m_current;
};

}  // namespace vorlaxis::test
