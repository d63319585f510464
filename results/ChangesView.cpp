#include "results/ChangesView.h"

#include "platform/Files.h"

namespace vorlaxis {

ChangesView MakeChangesView(const Comparison& comparison, const std::string& location) {
    ChangesView view;
    view.Location = location;
    view.Summary = ComparisonSummary(comparison);
    view.Alarming =
        comparison.Has(ChangeKind::Silent) || comparison.Has(ChangeKind::NewlyUnreadable);
    for (int k = 0; k < kChangeKinds; ++k) {
        const auto kind = static_cast<ChangeKind>(k);
        std::vector<std::string> paths = comparison.PathsOf(kind);
        if (paths.empty()) continue;
        for (std::string& path : paths) path = LocationPath(location, path);
        view.Groups.push_back(
            {std::string(ChangeKindText(kind)) + " (" + std::to_string(paths.size()) + ")",
             std::move(paths)});
    }
    return view;
}

std::string ChangesQuestion(const ChangesView& view) {
    return view.Location + "\r\n\r\n" + view.Summary + "\r\n\r\nZobrazit seznam souborů?";
}

std::string HistoryFolderIn(const std::string& logsFolder) {
    return logsFolder + "History" + platform::PathSeparator();
}

std::string RecordNotSavedText(const std::string& historyFolder) {
    return "Záznam testu nelze uložit do historie média ve složce:\r\n" + historyFolder +
           "\r\n\r\nDřívější záznamy zůstávají zachovány.";
}

}  // namespace vorlaxis
