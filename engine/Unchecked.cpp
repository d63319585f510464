#include "engine/Unchecked.h"

namespace vorlaxis {

const char* UncheckedText(UncheckedReason reason) {
    switch (reason) {
        case UncheckedReason::AccessDenied:
            return "přístup odepřen";
        case UncheckedReason::PathTooLong:
            return "příliš dlouhá cesta";
        case UncheckedReason::FileLimit:
            return "souborů nad limit";
        case UncheckedReason::NoMedium:
            return "médium není k dispozici";
        case UncheckedReason::RecordUnusable:
            return "nelze porovnat se záznamem média (záznam je poškozen)";
        case UncheckedReason::ListUnusable:
            return "seznam kontrolních součtů nelze použít";
        case UncheckedReason::ListLinesUnusable:
            return "řádky seznamu kontrolních součtů nelze použít";
        case UncheckedReason::OutsideMedium:
            return "soubor ze seznamu kontrolních součtů leží mimo médium";
        case UncheckedReason::NotCompared:
        default:
            return "nic nebylo porovnáno (soubory nebyly čteny celé)";
    }
}

const char* UncheckedKey(UncheckedReason reason) {
    switch (reason) {
        case UncheckedReason::AccessDenied:
            return "access_denied";
        case UncheckedReason::PathTooLong:
            return "path_too_long";
        case UncheckedReason::FileLimit:
            return "file_limit";
        case UncheckedReason::NoMedium:
            return "no_medium";
        case UncheckedReason::RecordUnusable:
            return "record_unusable";
        case UncheckedReason::ListUnusable:
            return "list_unusable";
        case UncheckedReason::ListLinesUnusable:
            return "list_lines_unusable";
        case UncheckedReason::OutsideMedium:
            return "outside_medium";
        case UncheckedReason::NotCompared:
        default:
            return "not_compared";
    }
}

std::string UncheckedLine(const UncheckedItem& item) {
    if (item.Reason == UncheckedReason::FileLimit) {
        return std::string("  ") + UncheckedText(item.Reason) + ": " + std::to_string(item.Count);
    }
    if (item.Path.empty()) return std::string("  ") + UncheckedText(item.Reason);
    std::string line = "  \"" + item.Path + "\" - " + UncheckedText(item.Reason);
    if (item.Reason == UncheckedReason::ListLinesUnusable)
        line += ": " + std::to_string(item.Count);
    return line;
}

}  // namespace vorlaxis
