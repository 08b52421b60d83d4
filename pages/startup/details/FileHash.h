#pragma once
// The SHA-256 of program files, worked out only when a list is saved: the
// system's hash provider (bcrypt.dll) is loaded by the first hasher made and
// let go with the last, so the window never pays for it.

#include "framework/UniqueHandle.h"
#include "pages/startup/actions/StartupReport.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class FileHasher {
public:
    FileHasher();
    ~FileHasher();
    FileHasher(const FileHasher&) = delete;
    FileHasher& operator=(const FileHasher&) = delete;

    // Whether the provider could be had: without it every hash is empty.
    bool Available() const { return m_algorithm != nullptr; }
    // The SHA-256 of the file's bytes in lower-case hex; empty where it
    // cannot be read (missing, a folder, a device, locked) or there is no
    // provider. The file is reached as the system sees it (NativeFilePath)
    // and read while others write it, as it stands.
    std::wstring Sha256OfFile(const std::wstring& path) const;
    // The same of bytes in memory.
    std::wstring Sha256Of(const void* data, std::size_t size) const;

    // The provider's functions, as found in the library it loaded.
    struct Functions;

private:
    fw::UniqueModule m_module;
    std::unique_ptr<const Functions> m_functions;
    void* m_algorithm = nullptr; // BCRYPT_ALG_HANDLE, closed before the functions and library go
};

// The SHA-256 of program files, each file hashed once however many entries
// name it (many services run the same host); the provider is loaded while
// this lives.
class ProgramHashes {
public:
    // Empty for an empty path, and where the file cannot be read.
    const std::wstring& Of(const std::wstring& path);

private:
    FileHasher m_hasher;
    std::unordered_map<std::wstring, std::wstring> m_known; // by FileKey
};

// Each entry's SHA-256 filled in from its program file, where that exists.
void AddProgramHashes(std::vector<EntryReport>& entries);
