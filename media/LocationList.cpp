#include "media/LocationList.h"

#include <algorithm>
#include <iterator>

#include "core/Dialogs.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vorlaxis {

namespace {

bool PathLess(const TestLocation& a, const TestLocation& b) {
    return platform::CompareTextNoCase(a.Path, b.Path) < 0;
}

}  // namespace

int LocationList::Add(const std::string& text) {
    // After the entries that compare equal, so duplicates keep the order they were added in.
    const TestLocation entry{text, false};
    const auto place = std::upper_bound(m_entries.begin(), m_entries.end(), entry, PathLess);
    const int position = static_cast<int>(place - m_entries.begin());
    m_entries.insert(place, entry);
    if (m_selected != kNone && m_selected >= position) ++m_selected;
    return position;
}

void LocationList::AddAll(std::vector<TestLocation> entries) {
    // A stable sort and a merge that prefers the entries already there give the same order
    // as adding one by one.
    std::stable_sort(entries.begin(), entries.end(), PathLess);
    if (m_selected != kNone) {
        const TestLocation& current = m_entries[static_cast<size_t>(m_selected)];
        m_selected += static_cast<int>(
            std::lower_bound(entries.begin(), entries.end(), current, PathLess) - entries.begin());
    }
    std::vector<TestLocation> merged;
    merged.reserve(m_entries.size() + entries.size());
    std::merge(std::make_move_iterator(m_entries.begin()), std::make_move_iterator(m_entries.end()),
               std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()),
               std::back_inserter(merged), PathLess);
    m_entries = std::move(merged);
}

void LocationList::Replace(int position, const std::string& text) {
    m_entries.at(static_cast<size_t>(position)).Path = text;
}

void LocationList::Remove(int position) {
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
    if (m_selected == position) {
        m_selected = kNone;
    } else if (m_selected > position) {
        --m_selected;
    }
}

void LocationList::Clear() {
    m_entries.clear();
    m_selected = kNone;
}

const std::string& LocationList::Text(int position) const {
    return m_entries.at(static_cast<size_t>(position)).Path;
}

bool LocationList::IsTicked(int position) const {
    return m_entries.at(static_cast<size_t>(position)).Checked;
}

void LocationList::SetTicked(int position, bool ticked) {
    m_entries.at(static_cast<size_t>(position)).Checked = ticked;
}

void LocationList::SetSelected(int position) {
    m_selected = position >= 0 && position < Count() ? position : kNone;
}

bool CheckPathValidity(Dialogs& dialogs, const std::string& path) {
    if (platform::IsDirectory(path)) return true;
    const std::string question = path + "\n\n" + "Zadaná cesta není platná, nebo zařízení není " +
                                 "připraveno. Checete i přesto tuto cestu přidat?";
    return dialogs.MessageBox(question, "Potvrzení", MsgButtons::YesNo, MsgIcon::Warning) ==
           MsgResult::Yes;
}

bool BrowseAndAddLocation(LocationList& list, Dialogs& dialogs) {
    const std::string path = dialogs.BrowseForFolder("Nalistovat složku...");
    if (path.empty() || !CheckPathValidity(dialogs, path)) return false;
    list.Add(path);
    return true;
}

bool AddLocationByHand(LocationList& list, Dialogs& dialogs) {
    const std::string path = dialogs.InputBox("Vložit ručně", "Zapište novou cestu:", "");
    if (path.empty() || !CheckPathValidity(dialogs, path)) return false;
    list.Add(path);
    return true;
}

bool EditSelectedLocation(LocationList& list, Dialogs& dialogs) {
    const int position = list.Selected();
    if (position == LocationList::kNone) return false;
    const std::string path =
        dialogs.InputBox("Upravit cestu", "Zapište novou cestu:", list.Text(position));
    // An entry is never emptied by editing. Cancel returns the old text, which is still
    // checked: the user gets the same question as for a new path.
    if (path.empty() || !CheckPathValidity(dialogs, path)) return false;
    const bool differs = path != list.Text(position);
    list.Replace(position, path);
    return differs;
}

bool RemoveSelectedLocation(LocationList& list, Dialogs& dialogs) {
    const int position = list.Selected();
    if (position == LocationList::kNone) return false;
    if (dialogs.MessageBox("Odstranit vybranou cestu?", "Potvrzení", MsgButtons::YesNo,
                           MsgIcon::Information) != MsgResult::Yes) {
        return false;
    }
    list.Remove(position);
    return true;
}

bool ShowSelectedLocation(const LocationList& list, Dialogs& dialogs) {
    const int position = list.Selected();
    if (position == LocationList::kNone) return false;
    dialogs.MessageBox("Aktuální záznam:\n\n" + list.Text(position), "Zobrazit cestu",
                       MsgButtons::Ok, MsgIcon::Information);
    return false;
}

}  // namespace vorlaxis
