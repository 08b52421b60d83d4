#include "pages/startup/actions/AtomicFile.h"

#include "framework/UniqueHandle.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <utility>

namespace {

constexpr DWORD kChunkSize = 1 << 20;
constexpr int kNameAttempts = 100;

BOOL SystemWrite(HANDLE file, const char* data, DWORD size, DWORD* written)
{
    return ::WriteFile(file, data, size, written, nullptr);
}

FileWriteCall& CurrentWrite()
{
    static FileWriteCall write = SystemWrite;
    return write;
}

// The temporary file's name, short whatever the target's: a name of nearly
// 255 characters, as long as a file system takes, leaves no room for more.
constexpr wchar_t kTemporaryName[] = L"~Quorvane-%lx-%x.tmp";
constexpr std::size_t kTemporaryNameRoom = 40;

// `path` made absolute, in the form the file calls take at any length: with
// the \\?\ prefix (\\?\UNC\ for a share), which lifts the MAX_PATH limit,
// where it or the temporary file beside it would reach that limit.
std::wstring PathAtAnyLength(const std::wstring& path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    length = length ? ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr) : 0;
    if (length == 0 || length >= full.size())
        return path;
    full.resize(length);
    const std::size_t folder = full.rfind(L'\\');
    if (full.size() < MAX_PATH && (folder == std::wstring::npos || folder + 1 + kTemporaryNameRoom < MAX_PATH))
        return full;
    return full.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

// A file of its own in the folder of `path`, made new so that nothing else's
// is reused.
fw::UniqueKernelHandle CreateTemporaryBeside(const std::wstring& path, std::wstring& temporaryPath, DWORD& error)
{
    static std::atomic<unsigned> serial{0};
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        wchar_t name[kTemporaryNameRoom];
        std::swprintf(name, kTemporaryNameRoom, kTemporaryName, ::GetCurrentProcessId(), serial++);
        temporaryPath = folder + name;
        HANDLE file = ::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return fw::UniqueKernelHandle(file);
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return {};
}

DWORD WriteAll(HANDLE file, const std::string& bytes)
{
    const FileWriteCall& write = CurrentWrite();
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkSize));
        DWORD written = 0;
        if (!write(file, bytes.data() + done, chunk, &written))
            return ::GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT; // no progress, and no error said why
        done += written;
    }
    return ::FlushFileBuffers(file) ? ERROR_SUCCESS : ::GetLastError();
}

} // namespace

DWORD WriteFileWhole(const std::wstring& givenPath, const std::string& bytes)
{
    const std::wstring path = PathAtAnyLength(givenPath);
    std::wstring temporaryPath;
    DWORD error = ERROR_SUCCESS;
    fw::UniqueKernelHandle file = CreateTemporaryBeside(path, temporaryPath, error);
    if (!file)
        return error;
    error = WriteAll(file.Get(), bytes);
    // Closed before the rename, which a file still open for writing would stop.
    if (!::CloseHandle(file.Release()) && error == ERROR_SUCCESS)
        error = ::GetLastError();
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temporaryPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS)
        ::DeleteFileW(temporaryPath.c_str());
    return error;
}

std::wstring SystemErrorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    text.erase(text.find_last_not_of(L' ') + 1);
    if (text.empty()) {
        wchar_t number[32];
        std::swprintf(number, 32, L"error %lu.", error);
        text = number;
    }
    return text;
}

void SetFileWriteCallForTesting(FileWriteCall write)
{
    CurrentWrite() = write ? std::move(write) : FileWriteCall(SystemWrite);
}
