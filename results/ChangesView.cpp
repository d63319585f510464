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

void AddChecksumFindings(ChangesView& view, const std::vector<std::string>& mismatches,
                         const std::vector<std::string>& missing) {
    if (mismatches.empty() && missing.empty()) return;
    if (view.Summary.empty()) view.Summary = "Kontrola podle souborů kontrolních součtů na médiu:";
    view.Alarming = true;
    const struct {
        const char* text;
        const std::vector<std::string>& paths;
    } groups[] = {{"Nesouhlasí se souborem kontrolních součtů", mismatches},
                  {"Chybí, ač je uveden v souboru kontrolních součtů", missing}};
    for (const auto& g : groups) {
        if (g.paths.empty()) continue;
        const std::string count = std::to_string(g.paths.size());
        view.Summary += "\n  " + std::string(g.text) + ": " + count;
        view.Groups.push_back({std::string(g.text) + " (" + count + ")", g.paths});
    }
}

std::string SourceSameText(const std::string& source) {
    return "Obsah média odpovídá zdrojové složce:\r\n" + source +
           "\r\n\r\nVšechny soubory i složky jsou na obou stranách a jsou shodné.";
}

void AddSourceFindings(ChangesView& view, const SourceFindings& found) {
    if (!found.Differ()) return;
    if (!view.Summary.empty()) view.Summary += "\n";
    view.Summary += "Porovnání se zdrojovou složkou " + found.Source + ":";
    view.Alarming = true;
    std::vector<std::string> differs;
    for (const SourceDifference& d : found.Differs)
        differs.push_back(d.Path + "  (od bajtu " + std::to_string(d.Offset) + ")");
    const struct {
        const char* text;
        const std::vector<std::string>& paths;
    } groups[] = {{"Obsah se liší od zdrojové složky", differs},
                  {"Jen na médiu", found.OnlyOnMedium},
                  {"Jen ve zdrojové složce", found.OnlyInSource}};
    for (const auto& g : groups) {
        if (g.paths.empty()) continue;
        const std::string count = std::to_string(g.paths.size());
        view.Summary += "\n  " + std::string(g.text) + ": " + count;
        view.Groups.push_back({std::string(g.text) + " (" + count + ")", g.paths});
    }
}

void AddUnchecked(ChangesView& view, const UncheckedList& items) {
    if (items.empty()) return;
    constexpr const char kHeading[] = "Nebylo otestováno";
    if (view.Summary.empty()) view.Summary = "Test není úplný:";
    view.Alarming = true;
    ChangesView::Group group{std::string(kHeading) + " (" + std::to_string(items.size()) + ")", {}};
    for (const UncheckedItem& item : items) {
        const std::string line = UncheckedLine(item);
        group.Paths.push_back(line.substr(line.find_first_not_of(' ')));
    }
    view.Summary += "\n  " + std::string(kHeading) + ": " + std::to_string(items.size());
    view.Groups.push_back(std::move(group));
}

void AddUncheckedComparisons(ChangesView& view, const UncheckedList& unchecked) {
    if (unchecked.empty()) return;
    view.Alarming = true;
    ChangesView::Group damaged{"", {}};
    for (const UncheckedItem& item : unchecked) {
        if (!view.Summary.empty()) view.Summary += "\n";
        if (item.Reason == UncheckedReason::RecordUnusable) {
            view.Summary += "Nelze porovnat se záznamem média, záznam je poškozen (ponechán jako " +
                            item.Path + ").";
            damaged.Paths.push_back(item.Path);
        } else {
            view.Summary +=
                "Nic nebylo porovnáno se záznamem média: v tomto režimu čtení se "
                "soubory nečtou celé.";
        }
    }
    if (damaged.Paths.empty()) return;
    damaged.Heading = "Poškozené záznamy média (" + std::to_string(damaged.Paths.size()) + ")";
    view.Groups.push_back(std::move(damaged));
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
