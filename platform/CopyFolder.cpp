// The temporary folder of each running copy, the same on every system; the locks and folders
// themselves are the system's (CopyFolderSystem.h).
#include "platform/CopyFolderSystem.h"
#include "platform/Files.h"
#include "platform/Folders.h"

namespace vorlaxis::platform {

namespace {

constexpr int kMostCopies = 100;

std::string g_ownTempFolder;
bool g_ownTempFolderClaimed = false;

}  // namespace

CopyFolder::~CopyFolder() {
    release();
}

void CopyFolder::release() {
    if (m_lock != -1) os::ReleaseLock(m_lock);
    m_lock = -1;
    m_path.clear();
}

bool CopyFolder::claim(const std::string& parent) {
    release();
    if (parent.empty()) return false;
    for (int n = 1; n <= kMostCopies; ++n) {
        const std::string folder = parent + "copy" + std::to_string(n);
        if (!os::MakeOwnFolder(folder)) continue;
        // The lock file stays when its copy ends: removing it could let two copies take
        // locks on two different files of the same name.
        const intptr_t lock = os::TakeLock(folder + PathSeparator() + "owner.lock");
        if (lock == -1) continue;
        m_lock = lock;
        m_path = folder + PathSeparator();
        return true;
    }
    return false;
}

std::string ClaimOwnTempFolder() {
    if (!g_ownTempFolderClaimed) {
        // Held until the process ends; the system drops the lock then.
        static CopyFolder own;
        own.claim(os::CopyFoldersParent());
        g_ownTempFolder = own.path();
        g_ownTempFolderClaimed = true;
    }
    return g_ownTempFolder;
}

namespace os {

const std::string* OwnTempFolder() {
    return g_ownTempFolderClaimed ? &g_ownTempFolder : nullptr;
}

}  // namespace os

}  // namespace vorlaxis::platform
