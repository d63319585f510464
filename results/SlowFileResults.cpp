#include "results/SlowFileResults.h"

#include "results/WindowLayout.h"

namespace vorlaxis {

std::vector<SlowFileRow> SlowFileRows(const std::vector<FileSpeed>& files) {
    std::vector<SlowFileRow> rows;
    for (size_t i : FindSlowFiles(files)) {
        const BadFileEntry split = SplitBadFilePath(files[i].Path);
        rows.push_back({split.Name, split.Directory, MegabytesPerSecondText(files[i])});
    }
    return rows;
}

std::string SlowFilesSummary(size_t count) {
    return "Čitelné, ale pomalé soubory: " + std::to_string(count) +
           "\r\n\r\n"
           "Tyto soubory se podařilo přečíst, ale četly se mnohem pomaleji než ostatní soubory "
           "podobné velikosti na tomto médiu. Mechanika je nejspíš musela číst opakovaně: "
           "médium může začínat selhávat a data z něj je dobré včas zálohovat.\r\n\r\n"
           "Přejete si zobrazit jejich seznam?";
}

void OfferSlowFileList(Dialogs& dialogs, size_t count, const std::function<void()>& showList) {
    if (count == 0) return;
    if (dialogs.MessageBox(SlowFilesSummary(count), "Potvrzení", MsgButtons::YesNo,
                           MsgIcon::Warning) == MsgResult::Yes) {
        showList();
    }
}

}  // namespace vorlaxis
