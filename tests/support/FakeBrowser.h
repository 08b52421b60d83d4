#pragma once
// A web browser for tests: fake_browser.exe, built beside the test programs,
// registered as the program that opens web addresses. The registration lives
// in a scratch HKEY_CLASSES_ROOT of this process only; the fake writes the
// arguments it was started with to a record file that the test reads back.

#include <windows.h>

#include <optional>
#include <string>

// Redirects HKEY_CLASSES_ROOT of this process into an empty scratch key under
// the current user's hive, and removes it again.
class ClassesRootSandbox {
public:
    ClassesRootSandbox();
    ~ClassesRootSandbox();
    ClassesRootSandbox(const ClassesRootSandbox&) = delete;
    ClassesRootSandbox& operator=(const ClassesRootSandbox&) = delete;

private:
    std::string m_path;
    HKEY m_key = nullptr;
};

// Sets the default value of HKEY_CLASSES_ROOT "http\shell\open\command".
void RegisterBrowserCommand(const std::string& command);

class FakeBrowser {
public:
    // Registers `commandTemplate` with every "{path}" replaced by the fake's
    // path, as a browser installer would.
    explicit FakeBrowser(const std::string& commandTemplate = "\"{path}\" -- \"%1\"");
    ~FakeBrowser();
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    const std::string& Path() const { return m_path; }
    // The fake's arguments once it has been started and recorded them within the time.
    std::optional<std::string> WaitForArguments(DWORD timeoutMs) const;

private:
    ClassesRootSandbox m_classes;
    std::string m_path;
    std::string m_recordPath;
};
