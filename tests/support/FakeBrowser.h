#pragma once
// Browsers for tests: their registration, as Windows keeps it, and
// fake_browser.exe, built beside the test programs, which writes the
// arguments it was started with to a record file that the test reads back.

#include <windows.h>

#include <optional>
#include <string>

// Makes HKEY_CLASSES_ROOT of this process the machine's classes
// (HKEY_LOCAL_MACHINE\Software\Classes) as HKEY_LOCAL_MACHINE stands when it
// is made, such as a RegistrySandbox's, and gives it back. Wine makes up
// HKEY_CLASSES_ROOT from the machine's classes alone and does not follow a
// redirected HKEY_LOCAL_MACHINE into it by itself.
class MachineClassesView {
public:
    MachineClassesView();
    ~MachineClassesView();
    MachineClassesView(const MachineClassesView&) = delete;
    MachineClassesView& operator=(const MachineClassesView&) = delete;

private:
    HKEY m_classes = nullptr;
};

// Sets the open command of a class (a ProgId, or "http") in the machine's classes.
void RegisterOpenCommand(const std::wstring& className, const std::wstring& command);
// Records, as Windows does, that the user chose the ProgId for "https" or "http" addresses.
void ChooseBrowser(const std::wstring& scheme, const std::wstring& progId);

class FakeBrowser {
public:
    FakeBrowser();
    ~FakeBrowser();
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    const std::wstring& Path() const { return m_path; }
    // `commandTemplate` with every "{path}" replaced by the fake's path, as a
    // browser installer would register it.
    std::wstring Command(const std::wstring& commandTemplate) const;
    // The fake's arguments, in UTF-8, once it has been started and recorded them within the time.
    std::optional<std::string> WaitForArguments(DWORD timeoutMs) const;

private:
    std::wstring m_path;
    std::wstring m_recordPath;
};
