// The folders the program keeps its own files in: a temporary folder for each running copy, the
// user's folders for settings and saved logs, and whether the program's own folder takes files.
#pragma once

#include <cstdint>
#include <string>

namespace vorlaxis::platform {

// A folder of one running copy of the program. Copies run by one user share the temporary
// folder; each takes a sub-folder of its own, guarded by a lock that the system holds for the
// process and drops when it ends, however it ends. A folder whose lock is free belonged to a
// copy that has ended: it is taken over with what it holds.
class CopyFolder {
  public:
    CopyFolder() = default;
    ~CopyFolder();  // gives the folder up
    CopyFolder(const CopyFolder&) = delete;
    CopyFolder& operator=(const CopyFolder&) = delete;

    // Takes the first of `parent` + "copy1", "copy2", ... whose lock no running process holds,
    // creating it when missing. False when none of the first hundred can be had.
    bool claim(const std::string& parent);
    // The folder with a trailing separator; empty until claimed.
    const std::string& path() const { return m_path; }

  private:
    void release();

    std::string m_path;
    intptr_t m_lock = -1;
};

// Gives this running copy a temporary folder of its own, held until the process ends: from
// then on TempFolder() is that folder, so no copy deletes or overwrites the temporary logs of
// another. Called once at start-up; later calls return the same folder. Empty when none can be
// had: TempFolder() is then empty too, and no log is written where another copy could touch it.
std::string ClaimOwnTempFolder();

// True when the program may keep its files in its own folder `folder`: a file can be created
// there (tried with one that is removed at once). On Linux a folder under /usr is never
// written, not even by root: the system keeps that part read-only and shared.
bool ProgramFolderIsWritable(const std::string& folder);

// The user's own folders for this program, with a trailing separator; empty when the user has
// no home folder. Linux: $XDG_CONFIG_HOME/vorlaxis/ (~/.config/vorlaxis/) for settings and
// $XDG_DATA_HOME/vorlaxis/ (~/.local/share/vorlaxis/) for data; Windows: the folder Vorlaxis
// in %APPDATA% for both. Not created here.
std::string UserConfigFolder();
std::string UserDataFolder();

}  // namespace vorlaxis::platform
