// The list of test locations shown in the main window's "Umístění" group, and the logic of
// the five buttons beside it. The window only renders the list and forwards the clicks.
#pragma once

#include <string>
#include <vector>

namespace vorlaxis {

class Dialogs;

// One entry: the location exactly as the user gave it (no separator added or removed, no
// case folding, no trimming) and whether it takes part in the next test.
struct TestLocation {
    std::string Path;
    bool Checked = false;
};

// The ordered entries plus the selection (at most one entry, or none). Positions run from 0
// to Count() - 1 in display order. Positions passed in must be valid.
class LocationList {
  public:
    static constexpr int kNone = -1;

    // Inserts a new unticked entry at its sorted place (case-insensitive, locale-aware; after
    // entries that compare equal) and returns its position. The selected entry stays selected.
    int Add(const std::string& text);
    // Adds every entry (with its tick) where Add() one after another would put it, in one
    // pass: loading a long list stays fast.
    void AddAll(std::vector<TestLocation> entries);
    // Changes the text in place: no re-sort; the tick and the selection stay.
    void Replace(int position, const std::string& text);
    // Deletes the entry; the selection follows its entry and is cleared when that one goes.
    void Remove(int position);
    void Clear();

    int Count() const { return static_cast<int>(m_entries.size()); }
    const std::string& Text(int position) const;
    bool IsTicked(int position) const;
    void SetTicked(int position, bool ticked);
    const std::vector<TestLocation>& Entries() const { return m_entries; }

    // The selected position, or kNone.
    int Selected() const { return m_selected; }
    // Selects a position, or nothing with kNone (any position outside the list).
    void SetSelected(int position);

  private:
    std::vector<TestLocation> m_entries;
    int m_selected = kNone;
};

// True when `path` names an existing directory; otherwise asks whether to add it anyway
// (warning, Yes/No) and returns true only for Yes.
bool CheckPathValidity(Dialogs& dialogs, const std::string& path);

// The five commands. Each returns true when the list changed (the window redraws then).
// "Nalistovat...": folder picker; a picked folder is checked and added.
bool BrowseAndAddLocation(LocationList& list, Dialogs& dialogs);
// "Přidat ručně...": input dialog; a typed path is checked and added.
bool AddLocationByHand(LocationList& list, Dialogs& dialogs);
// "Upravit...": input dialog with the selected entry; the result is checked and replaces it.
// Cancel gives the unchanged text, which is checked like any other.
bool EditSelectedLocation(LocationList& list, Dialogs& dialogs);
// "Odstranit": asks, then removes the selected entry.
bool RemoveSelectedLocation(LocationList& list, Dialogs& dialogs);
// "Zobrazit...": shows the selected entry's full text; never changes the list.
bool ShowSelectedLocation(const LocationList& list, Dialogs& dialogs);

}  // namespace vorlaxis
