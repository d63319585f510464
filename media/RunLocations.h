// Locations named when the window program is started (a file manager's "Open with", the
// context menu of a drive): they take part in this run's test, while the list as saved stays
// as it was unless the user changes it.
#pragma once

#include <string>
#include <vector>

#include "media/LocationList.h"

namespace vorlaxis {

// How the paths of the system the program runs on are written.
enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// `path` as a full path: a relative one is taken against `currentFolder`; "." and ".." and
// doubled separators are resolved by the text alone; a folder loses its trailing separator,
// a root keeps it (/, D:\). Windows: a drive letter alone ("D:") is the drive's root, "/" is
// written "\".
std::string FullLocationPath(const std::string& path, const std::string& currentFolder,
                             PathStyle style = kNativePathStyle);

// True when the two texts name the same place: the same full path, apart from a trailing
// separator (and, on Windows, the case of ASCII letters and the kind of slash).
bool SameLocation(const std::string& a, const std::string& b, PathStyle style = kNativePathStyle);

class RunLocations {
  public:
    RunLocations() = default;
    // `paths` as given on the command line; relative ones are taken against `currentFolder`.
    RunLocations(const std::vector<std::string>& paths, const std::string& currentFolder,
                 PathStyle style = kNativePathStyle);

    bool Empty() const { return m_paths.empty(); }
    const std::vector<std::string>& Paths() const { return m_paths; }

    // After each reading of the settings: adds each named location the list lacks, ticks
    // every entry that names one of them and unticks all others. The list as it was read is
    // kept for saving.
    void Apply(LocationList& list);
    // The list to write to the settings: `list` once the user has changed it (added,
    // removed, edited or re-ticked an entry), otherwise the one read before Apply.
    const LocationList& ListToSave(const LocationList& list) const;

  private:
    std::vector<std::string> m_paths;
    PathStyle m_style = kNativePathStyle;
    bool m_applied = false;
    LocationList m_read;
    std::vector<TestLocation> m_afterApply;
};

}  // namespace vorlaxis
