// Saving a file whole or not at all: what stands in the folder after a save
// that worked and after each way one fails.

#include "pages/startup/actions/AtomicFile.h"
#include "pages/startup/actions/StartupReport.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// Writes the first half of what it is given, then reports a full disk.
BOOL FullDiskHalfway(HANDLE file, const char* data, DWORD size, DWORD* written)
{
    ::WriteFile(file, data, size / 2, written, nullptr);
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST(AtomicFileTest, LeavesTheNewFileWholeOrTheOldOneUntouchedAndSaysWhy)
{
    const std::string oldBytes = "old list\r\n";
    const std::string newBytes(100000, 'n');
    const struct {
        const char* name;
        bool oldFile;        // the target exists with oldBytes beforehand
        bool targetIsFolder; // a folder stands where the file should go
        const wchar_t* subfolder; // the target's folder under the scratch folder, missing when given
        FileWriteCall write;
        DWORD error;
    } cases[] = {
        {"a new file", false, false, nullptr, {}, ERROR_SUCCESS},
        {"an existing file replaced", true, false, nullptr, {}, ERROR_SUCCESS},
        {"the disk full halfway", true, false, nullptr, FullDiskHalfway, ERROR_DISK_FULL},
        {"the disk full halfway, no file before", false, false, nullptr, FullDiskHalfway, ERROR_DISK_FULL},
        {"a folder where the file should go", false, true, nullptr, {}, ERROR_ACCESS_DENIED},
        {"a missing folder", false, false, L"\\gone", {}, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::wstring path = folder.Path() + (c.subfolder ? c.subfolder : L"") + L"\\Start-up list.csv";
        if (c.oldFile) {
            ASSERT_TRUE(WriteBytes(path, oldBytes));
        }
        if (c.targetIsFolder) {
            ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
        }
        SetFileWriteCallForTesting(c.write);
        const DWORD error = WriteFileWhole(path, newBytes);
        SetFileWriteCallForTesting({});

        EXPECT_EQ(error, c.error);
        const std::optional<std::string> content = ReadBytes(path);
        if (c.error == ERROR_SUCCESS) {
            EXPECT_EQ(content, newBytes);
        } else if (c.oldFile) {
            EXPECT_EQ(content, oldBytes);
        } else if (!c.targetIsFolder) {
            EXPECT_FALSE(content.has_value());
        }
        // No temporary file left behind.
        const std::vector<std::wstring> expectedNames =
            c.subfolder || (!c.oldFile && !c.targetIsFolder && c.error != ERROR_SUCCESS)
                ? std::vector<std::wstring>{}
                : std::vector<std::wstring>{L"Start-up list.csv"};
        EXPECT_EQ(folder.Names(), expectedNames);

        if (c.error != ERROR_SUCCESS) {
            const std::wstring message = SaveFailureMessage(error);
            const std::wstring prefix = L"Could not save the start-up list: ";
            EXPECT_EQ(message.compare(0, prefix.size(), prefix), 0);
            EXPECT_GT(message.size(), prefix.size() + 3) << "no reason given";
            EXPECT_EQ(message.find_first_of(L"\r\n"), std::wstring::npos);
        }
    }
}

// A file name as long as a file system takes, and a path past MAX_PATH.
TEST(AtomicFileTest, WritesATargetOfAnyLength)
{
    const struct {
        std::size_t name;  // characters of the file's name
        std::size_t total; // of its path, the folder padded out
    } cases[] = {{250, 0}, {17, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total ? "a long path" : "a long name");
        ScratchFolder scratch;
        const std::wstring name = std::wstring(c.name - 4, L'n') + L".csv";
        const std::size_t padding = c.total ? c.total - scratch.Path().size() - 2 - name.size() : 1;
        const std::wstring folder = scratch.Path() + L"\\" + std::wstring(padding, L'd');
        const std::wstring path = folder + L"\\" + name;
        const std::wstring extended = L"\\\\?\\";
        ASSERT_TRUE(::CreateDirectoryW((extended + folder).c_str(), nullptr));

        EXPECT_EQ(WriteFileWhole(path, "new list"), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(WriteFileWhole(path, "newer list"), static_cast<DWORD>(ERROR_SUCCESS)) << "replacing it";
        EXPECT_EQ(ReadBytes(extended + path), std::optional<std::string>("newer list"));
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW((extended + folder + L"\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found))
            if (found.cFileName[0] != L'.')
                names.push_back(found.cFileName);
        if (search != INVALID_HANDLE_VALUE)
            ::FindClose(search);
        EXPECT_EQ(names, std::vector<std::wstring>{name}) << "a temporary file left behind";
        ::DeleteFileW((extended + path).c_str());
        ::RemoveDirectoryW((extended + folder).c_str());
    }
}

} // namespace
