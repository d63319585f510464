#include "engine/Unchecked.h"

#include <iterator>

namespace vorlaxis {

namespace {

struct ReasonNames {
    UncheckedReason reason;
    const char* text;  // the log's and the windows'
    const char* key;   // vorlaxis-check's result
};

constexpr ReasonNames kNames[] = {
    {UncheckedReason::AccessDenied, "přístup odepřen", "access_denied"},
    {UncheckedReason::PathTooLong, "příliš dlouhá cesta", "path_too_long"},
    {UncheckedReason::FileLimit, "souborů nad limit", "file_limit"},
    {UncheckedReason::NoMedium, "médium není k dispozici", "no_medium"},
    {UncheckedReason::RecordUnusable, "nelze porovnat se záznamem média (záznam je poškozen)",
     "record_unusable"},
    {UncheckedReason::ListUnusable, "seznam kontrolních součtů nelze použít", "list_unusable"},
    {UncheckedReason::ListLinesUnusable, "řádky seznamu kontrolních součtů nelze použít",
     "list_lines_unusable"},
    {UncheckedReason::OutsideMedium, "soubor ze seznamu kontrolních součtů leží mimo médium",
     "outside_medium"},
    {UncheckedReason::NotCompared, "nic nebylo porovnáno (soubory nebyly čteny celé)",
     "not_compared"},
    {UncheckedReason::SourceUnreadable, "soubor zdrojové složky nelze přečíst",
     "source_unreadable"},
    {UncheckedReason::SourceUnlisted, "adresář zdrojové složky nelze celý projít",
     "source_unlisted"},
    {UncheckedReason::SourceNotSought,
     "nehledáno, co je jen ve zdrojové složce (médium nebylo otestováno celé)",
     "source_not_sought"},
};

const ReasonNames& NamesOf(UncheckedReason reason) {
    for (const ReasonNames& names : kNames) {
        if (names.reason == reason) return names;
    }
    return kNames[std::size(kNames) - 1];
}

}  // namespace

const char* UncheckedText(UncheckedReason reason) {
    return NamesOf(reason).text;
}

const char* UncheckedKey(UncheckedReason reason) {
    return NamesOf(reason).key;
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
