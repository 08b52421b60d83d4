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

// A file of its own beside `path`, made new so that nothing else's is reused.
fw::UniqueKernelHandle CreateTemporaryBeside(const std::wstring& path, std::wstring& temporaryPath, DWORD& error)
{
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        wchar_t suffix[48];
        std::swprintf(suffix, 48, L".%lx-%x.tmp", ::GetCurrentProcessId(), serial++);
        temporaryPath = path + suffix;
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

DWORD WriteFileWhole(const std::wstring& path, const std::string& bytes)
{
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
