#include "pages/startup/store/TaskScheduler.h"

#include "framework/ShellObjects.h"
#include "framework/SmallFile.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"
#include "framework/Wine.h"
#include "pages/startup/store/SafeXml.h"
#include "pages/startup/store/TaskDefinition.h"

#include <windows.h>

#include <oleauto.h>
#include <taskschd.h>

#include <atomic>
#include <cstring>

namespace {

// The BSTR functions, from OLE Automation, which the Task Scheduler loads
// anyway: taken from it there rather than loaded with the program.
struct BstrFunctions {
    decltype(&::SysAllocStringLen) allocate = nullptr;
    decltype(&::SysFreeString) free = nullptr;
    decltype(&::SysStringLen) length = nullptr;
};

const BstrFunctions& Automation()
{
    static const BstrFunctions functions = [] {
        BstrFunctions found;
        if (const HMODULE module = fw::LoadSystemLibrary(L"oleaut32.dll")) {
            found.allocate = reinterpret_cast<decltype(found.allocate)>(
                reinterpret_cast<void*>(::GetProcAddress(module, "SysAllocStringLen")));
            found.free = reinterpret_cast<decltype(found.free)>(
                reinterpret_cast<void*>(::GetProcAddress(module, "SysFreeString")));
            found.length = reinterpret_cast<decltype(found.length)>(
                reinterpret_cast<void*>(::GetProcAddress(module, "SysStringLen")));
        }
        if (!found.allocate || !found.free || !found.length)
            found = {};
        return found;
    }();
    return functions;
}

// A BSTR freed when it goes; empty where OLE Automation is missing.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : m_text(Automation().allocate ? Automation().allocate(text.data(), static_cast<UINT>(text.size())) : nullptr)
    {
    }
    ~Bstr()
    {
        if (m_text)
            Automation().free(m_text);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* Put() { return &m_text; }
    BSTR Get() const { return m_text; }
    std::wstring Text() const { return m_text ? std::wstring(m_text, Automation().length(m_text)) : std::wstring(); }

private:
    BSTR m_text = nullptr;
};

// A definition as UTF-16 with its byte-order mark, which XmlLite reads whatever it declares.
std::vector<std::uint8_t> Utf16Bytes(const std::wstring& text)
{
    std::vector<std::uint8_t> bytes(2 + text.size() * sizeof(wchar_t));
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    if (!text.empty())
        std::memcpy(bytes.data() + 2, text.data(), text.size() * sizeof(wchar_t));
    return bytes;
}

// A collection's item by its position, counted from 1.
VARIANT Position(LONG position)
{
    VARIANT index{};
    index.vt = VT_I4;
    index.lVal = position;
    return index;
}

class SystemTaskScheduler final : public TaskScheduler {
public:
    std::optional<std::vector<ScheduledTask>> Tasks() override
    {
        const fw::ComScope com;
        std::vector<ScheduledTask> tasks;
        // A Task Scheduler that cannot list tasks (Wine's) is not asked again.
        if (!m_cannotList) {
            fw::ComPtr<ITaskService> service;
            fw::ComPtr<ITaskFolder> root;
            HRESULT listed = E_FAIL;
            if (Connect(service)
                && SUCCEEDED(service->GetFolder(Bstr(L"\\").Get(), reinterpret_cast<ITaskFolder**>(root.Put()))))
                listed = AddFolder(root.Get(), tasks, 0);
            if (SUCCEEDED(listed))
                return tasks;
            m_cannotList = listed == E_NOTIMPL;
            tasks.clear();
        }
        if (!AddFiles(L"", tasks, 0))
            return std::nullopt;
        return tasks;
    }

    bool SetEnabled(const std::wstring& path, bool enabled) override
    {
        const fw::ComScope com;
        fw::ComPtr<IRegisteredTask> task;
        return Open(path, task) && SUCCEEDED(task->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE));
    }

    std::optional<bool> IsEnabled(const std::wstring& path) override
    {
        const fw::ComScope com;
        fw::ComPtr<IRegisteredTask> task;
        VARIANT_BOOL enabled = VARIANT_FALSE;
        if (!Open(path, task) || FAILED(task->get_Enabled(&enabled)))
            return std::nullopt;
        return enabled != VARIANT_FALSE;
    }

private:
    static bool Connect(fw::ComPtr<ITaskService>& service)
    {
        const VARIANT none{};
        return Automation().allocate
               && SUCCEEDED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                            service.Put()))
               && SUCCEEDED(service->Connect(none, none, none, none));
    }

    static bool Open(const std::wstring& path, fw::ComPtr<IRegisteredTask>& task)
    {
        fw::ComPtr<ITaskService> service;
        fw::ComPtr<ITaskFolder> root;
        return Connect(service)
               && SUCCEEDED(service->GetFolder(Bstr(L"\\").Get(), reinterpret_cast<ITaskFolder**>(root.Put())))
               && SUCCEEDED(root->GetTask(Bstr(path).Get(), reinterpret_cast<IRegisteredTask**>(task.Put())));
    }

    // The folder's tasks and those of the folders within, hidden ones too.
    // A failure where the Task Scheduler cannot list the folder's tasks.
    static HRESULT AddFolder(ITaskFolder* folder, std::vector<ScheduledTask>& tasks, int depth)
    {
        fw::ComPtr<IRegisteredTaskCollection> found;
        LONG count = 0;
        if (depth > 32)
            return S_FALSE;
        HRESULT status = folder->GetTasks(TASK_ENUM_HIDDEN, reinterpret_cast<IRegisteredTaskCollection**>(found.Put()));
        if (SUCCEEDED(status))
            status = found->get_Count(&count);
        if (FAILED(status))
            return status;
        for (LONG i = 1; i <= count; ++i) {
            fw::ComPtr<IRegisteredTask> task;
            Bstr path, xml;
            if (SUCCEEDED(found->get_Item(Position(i), reinterpret_cast<IRegisteredTask**>(task.Put())))
                && SUCCEEDED(task->get_Path(path.Put())) && SUCCEEDED(task->get_Xml(xml.Put())))
                tasks.push_back({path.Text(), Utf16Bytes(xml.Text())});
        }
        fw::ComPtr<ITaskFolderCollection> folders;
        if (FAILED(folder->GetFolders(0, reinterpret_cast<ITaskFolderCollection**>(folders.Put())))
            || FAILED(folders->get_Count(&count)))
            return S_OK;
        for (LONG i = 1; i <= count; ++i) {
            fw::ComPtr<ITaskFolder> inner;
            if (SUCCEEDED(folders->get_Item(Position(i), reinterpret_cast<ITaskFolder**>(inner.Put()))))
                AddFolder(inner.Get(), tasks, depth + 1);
        }
        return S_OK;
    }

    // The task files under the Task Scheduler's folder, `relative` within it;
    // false where the folder is there but cannot be listed (a missing one
    // holds no tasks).
    static bool AddFiles(const std::wstring& relative, std::vector<ScheduledTask>& tasks, int depth)
    {
        WIN32_FIND_DATAW found;
        if (depth > 32)
            return true;
        const fw::UniqueFindHandle search(::FindFirstFileW((NativeTaskFilePath(relative) + L"\\*").c_str(), &found));
        if (!search) {
            const DWORD error = ::GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = relative + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    AddFiles(path, tasks, depth + 1);
            } else if (std::optional<std::vector<std::uint8_t>> xml =
                           fw::ReadSmallFile(NativeTaskFilePath(path), kLargestTaskBytes)) {
                tasks.push_back({path, std::move(*xml)});
            }
        } while (::FindNextFileW(search.Get(), &found));
        return true;
    }

    // Wine's Task Scheduler cannot list tasks (it answers E_NOTIMPL), and
    // connecting to it the first time in a session starts its service, for
    // over a second: under Wine its files are read at once.
    std::atomic<bool> m_cannotList{fw::RunsOnWine()}; // tasks are listed on any thread
};

TaskScheduler* g_testScheduler = nullptr;

} // namespace

TaskScheduler& ActiveTaskScheduler()
{
    static SystemTaskScheduler system;
    return g_testScheduler ? *g_testScheduler : system;
}

void SetTaskSchedulerForTesting(TaskScheduler* scheduler)
{
    g_testScheduler = scheduler;
}

std::wstring TaskFilePath(const std::wstring& path)
{
    const std::wstring folder = fw::SystemFolderPath();
    return folder.empty() ? std::wstring() : folder + L"\\Tasks" + path;
}

std::wstring NativeTaskFilePath(const std::wstring& path)
{
    // Fixed for the life of the process; tasks are read on any thread.
    static const std::wstring folder = fw::NativeSystemFolderPath();
    return folder.empty() ? std::wstring() : folder + L"\\Tasks" + path;
}
