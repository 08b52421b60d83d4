#pragma once
// The start-up page's rows beside the list control: each row's full texts,
// source and stored state by row id, and a running count of rows whose box
// differs from the stored state, so the buttons never need a walk of all rows.

#include "pages/startup/StartupStore.h"

#include <cstddef>
#include <string>
#include <vector>

struct StartupRow {
    std::string name;
    std::string command;
    std::size_t source = 0;        // index in the page's source table
    const char* location = "";     // the source's Location text
    EntryPlace place = EntryPlace::Startup;
    bool switchable = true;    // false: the box always shows the stored state
    bool savedEnabled = false; // runs at log-on, as read or as left by the last move
    bool checked = false;      // the box as the user has set it
    bool removed = false;      // no longer listed: the entry went away
};

class StartupRowModel {
public:
    // Appends a row with its box matching its stored state; returns its row id.
    std::size_t Add(const StartupEntry& entry, const StartupSource& source);
    void Clear();

    std::size_t Size() const { return m_rows.size(); }
    const StartupRow& Row(std::size_t id) const { return m_rows.at(id); }

    // The box of a row as the list shows it; keeps the count of differing rows.
    void SetChecked(std::size_t id, bool checked);
    // After a successful move: the entry now stands switched on or off, as `command`.
    void SetMoved(std::size_t id, bool enabled, const std::string& command);
    // The row's entry went away; its box no longer counts.
    void Remove(std::size_t id);

    bool Differs(std::size_t id) const;
    std::size_t DifferingCount() const { return m_differing; }

    // Case-insensitive multibyte comparisons for the list's sort; negated when descending.
    int CompareProgram(std::size_t a, std::size_t b, bool ascending) const;
    int CompareLocation(std::size_t a, std::size_t b, bool ascending) const;

private:
    // Runs `change` on the row and keeps the count of differing rows.
    template <class Change>
    void Update(std::size_t id, Change change);

    std::vector<StartupRow> m_rows;
    std::size_t m_differing = 0;
};
