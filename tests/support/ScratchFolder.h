#pragma once
// Files for tests, by wide paths: a scratch folder (with a space in its name)
// that is removed with everything in it, and the files that tests put there
// and read back.

#include <optional>
#include <string>
#include <vector>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, without a closing backslash.
    const std::wstring& Path() const { return m_path; }
    // The names of everything in the folder, sorted.
    std::vector<std::wstring> Names() const;
    // Writes `bytes` to `relative` in the folder, making the folders on the
    // way; returns the file's full path.
    std::wstring Write(const std::wstring& relative, const std::string& bytes = "x") const;

private:
    std::wstring m_path;
};

bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The file's whole content, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::wstring& path);
