#pragma once
// Scratch folders in place of the Startup folders and the profile folders of
// the user and of all users, for as long as the object lives, and the files
// that tests put there. Paths and texts are UTF-8.

#include "support/ScratchFolder.h"

#include <optional>
#include <string>

class StartupFolderSandbox {
public:
    StartupFolderSandbox();
    ~StartupFolderSandbox();
    StartupFolderSandbox(const StartupFolderSandbox&) = delete;
    StartupFolderSandbox& operator=(const StartupFolderSandbox&) = delete;

    // The scratch folder standing in for a known folder; empty for others.
    std::string Path(int csidl) const;

private:
    ScratchFolder m_root;
};

void WriteFileText(const std::string& path, const std::string& text);
// The file's whole content, or nothing when there is no such file.
std::optional<std::string> ReadFileText(const std::string& path);
// A shortcut at `path` to `target` with `arguments`.
bool MakeShortcut(const std::string& path, const std::string& target, const std::string& arguments);
