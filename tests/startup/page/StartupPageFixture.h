#pragma once
// The start-up page in the running application, on a registry sandbox, and
// what a user does to it: ticks boxes, selects rows, clicks headers and buttons.
// Texts are UTF-8.

#include "startup/StartupFolderSandbox.h"
#include "ui/AppFixture.h"

#include <windows.h>

#include <string>
#include <vector>

class CStartupDlg;

struct ShownRow {
    std::string program;
    std::string location;
    std::string path;
    bool checked;
    bool operator==(const ShownRow& other) const
    {
        return program == other.program && location == other.location && path == other.path &&
               checked == other.checked;
    }
};

class StartupPageFixture : public AppFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    CStartupDlg& Page() const;
    HWND PageWindow() const;
    HWND List() const;
    bool Enabled(int controlId) const;

    std::vector<ShownRow> Rows() const;
    // The text shown in one cell.
    std::string Text(int item, int column) const;
    std::vector<std::string> Programs() const;
    int RowOf(const std::string& program, const std::string& location) const;
    // Whether the row shown at `item` is marked as having appeared while the program runs.
    bool IsNewRow(int item) const;

    void Tick(int row, bool checked);
    void Select(int row, bool selected);
    void ClickHeader(int column);
    void Press(int buttonId);

    std::unique_ptr<StartupFolderSandbox> m_folders;
};

void PrintTo(const ShownRow& row, std::ostream* os);
