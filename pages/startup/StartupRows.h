#pragma once
// The start-up page's rows beside the list control: each row's full texts,
// hive and stored state by row id, and a running count of rows whose box
// differs from the stored state, so the buttons never need a walk of all rows.

#include "pages/startup/StartupStore.h"

#include <cstddef>
#include <string>
#include <vector>

extern const char kUserLocationText[];   // "User Start-Up"
extern const char kSystemLocationText[]; // "System Start-Up"

struct StartupRow {
    std::string name;
    std::string command;
    StartupOrigin origin = StartupOrigin::User;
    bool savedEnabled = false; // in the Run key, as read or as left by the last move
    bool checked = false;      // the box as the user has set it
};

class StartupRowModel {
public:
    // Appends a row with its box matching its stored state; returns its row id.
    std::size_t Add(const StartupValue& value, StartupOrigin origin, bool enabled);
    void Clear();

    std::size_t Size() const { return m_rows.size(); }
    const StartupRow& Row(std::size_t id) const { return m_rows.at(id); }
    const char* LocationText(std::size_t id) const;

    // The box of a row as the list shows it; keeps the count of differing rows.
    void SetChecked(std::size_t id, bool checked);
    // The stored state after a successful move, or the box set back after a failed one.
    void SetSaved(std::size_t id, bool enabled);

    bool Differs(std::size_t id) const;
    std::size_t DifferingCount() const { return m_differing; }

    // Case-insensitive multibyte comparisons for the list's sort; negated when descending.
    int CompareProgram(std::size_t a, std::size_t b, bool ascending) const;
    int CompareLocation(std::size_t a, std::size_t b, bool ascending) const;

private:
    void Recount(bool differedBefore, bool differsNow);

    std::vector<StartupRow> m_rows;
    std::size_t m_differing = 0;
};
