// Readable but slow files after a tested location: what the list shows and the summary that
// offers it. Both window programs draw these.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/Dialogs.h"
#include "engine/SlowFiles.h"

namespace vorlaxis {

// The list window's texts: caption, label over the list, and the columns.
inline constexpr char kSlowListCaption[] = "Výsledky testu - čitelné, ale pomalé soubory...";
inline constexpr char kSlowListLabel[] = "&Tyto soubory se četly výrazně pomaleji než ostatní:";
inline constexpr char kSlowListColumns[3][16] = {"Soubor", "Umístění", "Rychlost"};

// One row of the list: the file split as in the bad-file list, and its read speed.
struct SlowFileRow {
    std::string Name;
    std::string Directory;
    std::string Speed;  // "0.005 MB/s", as the graph writes it
};

// The location's readable but slow files, in the order tested; empty when there are none.
std::vector<SlowFileRow> SlowFileRows(const std::vector<FileSpeed>& files);

// The summary after a location with `count` (> 0) slow files, with the offer of the list.
std::string SlowFilesSummary(size_t count);

// After a location's results: nothing when `count` is 0; otherwise the summary, and on Yes
// `showList`.
void OfferSlowFileList(Dialogs& dialogs, size_t count, const std::function<void()>& showList);

}  // namespace vorlaxis
