#pragma once
// A scratch folder for one test, with a space in its name, removed with
// everything in it when the object goes.

#include <string>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return m_path; }

    // Writes `bytes` to `relative` in the folder, making the folders on the
    // way; returns the file's full path.
    std::wstring Write(const std::wstring& relative, const std::string& bytes = "x") const;

private:
    std::wstring m_path;
};
