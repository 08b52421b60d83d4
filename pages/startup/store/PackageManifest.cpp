#include "pages/startup/store/PackageManifest.h"

#include "framework/ShellObjects.h"
#include "framework/UniqueHandle.h"

#include <windows.h>

#include <shlwapi.h>
#include <xmllite.h>

#include <mutex>

namespace {

constexpr UINT kDeepestElements = 64;

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// XmlLite, loaded at the first manifest and kept: Windows and Wine ship it,
// but MinGW-w64 has no import library for it.
CreateXmlReaderFunction XmlReaderFactory()
{
    static std::once_flag loaded;
    static CreateXmlReaderFunction create = nullptr;
    std::call_once(loaded, [] {
        wchar_t folder[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return;
        if (const HMODULE module = ::LoadLibraryW((std::wstring(folder, length) + L"\\xmllite.dll").c_str()))
            create = reinterpret_cast<CreateXmlReaderFunction>(
                reinterpret_cast<void*>(::GetProcAddress(module, "CreateXmlReader")));
    });
    return create;
}

// The attribute's value on the element the reader stands on; empty when absent.
std::wstring Attribute(IXmlReader* reader, const wchar_t* name)
{
    const wchar_t* value = nullptr;
    if (reader->MoveToAttributeByName(name, nullptr) != S_OK || FAILED(reader->GetValue(&value, nullptr)) || !value)
        return {};
    std::wstring text(value);
    reader->MoveToElement();
    return text;
}

std::wstring LocalName(IXmlReader* reader)
{
    const wchar_t* name = nullptr;
    return SUCCEEDED(reader->GetLocalName(&name, nullptr)) && name ? name : L"";
}

bool IsTrue(const std::wstring& text)
{
    return text == L"true" || text == L"1";
}

// Walks the manifest's elements, keeping what it says of the package and of
// its start-up tasks.
class ManifestWalk {
public:
    bool Walk(IXmlReader* reader)
    {
        for (;;) {
            XmlNodeType node = XmlNodeType_None;
            const HRESULT status = reader->Read(&node);
            if (status == S_FALSE)
                return m_isPackage && m_path.empty();
            if (status != S_OK)
                return false; // not well-formed, a document type, too deep
            if (node == XmlNodeType_Element)
                OnElement(reader);
            else if (node == XmlNodeType_EndElement)
                OnEnd();
            else if (node == XmlNodeType_Text || node == XmlNodeType_CDATA)
                OnText(reader);
        }
    }

    PackageManifest Manifest() { return std::move(m_manifest); }

private:
    void OnElement(IXmlReader* reader)
    {
        const std::wstring name = LocalName(reader);
        const std::wstring parent = m_path.empty() ? L"" : m_path.back();
        if (m_path.empty())
            m_isPackage = name == L"Package"; // the root: a manifest is a package's
        if (name == L"Application") {
            m_applicationExecutable = Attribute(reader, L"Executable");
            m_applicationParameters = Attribute(reader, L"Parameters");
        } else if (name == L"Extension") {
            m_inStartupExtension = Attribute(reader, L"Category") == L"windows.startupTask";
            m_extensionExecutable = Attribute(reader, L"Executable");
            m_extensionParameters = Attribute(reader, L"Parameters");
        } else if (name == L"StartupTask" && m_inStartupExtension) {
            StartupTaskDeclaration task;
            task.taskId = Attribute(reader, L"TaskId");
            task.displayName = Attribute(reader, L"DisplayName");
            task.enabled = IsTrue(Attribute(reader, L"Enabled"));
            const bool own = !m_extensionExecutable.empty();
            task.executable = own ? m_extensionExecutable : m_applicationExecutable;
            task.parameters = own ? m_extensionParameters : m_applicationParameters;
            if (!task.taskId.empty() && !task.executable.empty())
                m_manifest.startupTasks.push_back(std::move(task));
        }
        m_collecting = nullptr;
        if (parent == L"Properties" && name == L"DisplayName")
            m_collecting = &m_manifest.displayName;
        else if (parent == L"Properties" && name == L"PublisherDisplayName")
            m_collecting = &m_manifest.publisherDisplayName;
        if (!reader->IsEmptyElement())
            m_path.push_back(name);
        else
            OnClosed(name);
    }

    void OnEnd()
    {
        if (m_path.empty())
            return;
        const std::wstring name = m_path.back();
        m_path.pop_back();
        OnClosed(name);
    }

    void OnClosed(const std::wstring& name)
    {
        m_collecting = nullptr;
        if (name == L"Extension")
            m_inStartupExtension = false;
        else if (name == L"Application")
            m_applicationExecutable.clear();
    }

    void OnText(IXmlReader* reader)
    {
        const wchar_t* text = nullptr;
        if (m_collecting && SUCCEEDED(reader->GetValue(&text, nullptr)) && text)
            *m_collecting += text;
    }

    PackageManifest m_manifest;
    std::vector<std::wstring> m_path;
    std::wstring* m_collecting = nullptr;
    std::wstring m_applicationExecutable, m_applicationParameters;
    std::wstring m_extensionExecutable, m_extensionParameters;
    bool m_inStartupExtension = false;
    bool m_isPackage = false;
};

} // namespace

std::optional<PackageManifest> ParsePackageManifest(const std::uint8_t* bytes, std::size_t size)
{
    const CreateXmlReaderFunction create = XmlReaderFactory();
    if (!create || size > kLargestManifestBytes)
        return std::nullopt;
    fw::ComPtr<IStream> stream;
    *stream.Put() = ::SHCreateMemStream(bytes, static_cast<UINT>(size));
    fw::ComPtr<IXmlReader> reader;
    if (!stream.Get() || FAILED(create(__uuidof(IXmlReader), reader.Put(), nullptr))
        || FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))
        || FAILED(reader->SetProperty(XmlReaderProperty_MaxElementDepth, kDeepestElements))
        || FAILED(reader->SetInput(stream.Get())))
        return std::nullopt;
    ManifestWalk walk;
    if (!walk.Walk(reader.Get()))
        return std::nullopt;
    return walk.Manifest();
}

std::optional<PackageManifest> ReadPackageManifest(const std::wstring& path)
{
    const fw::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0
        || static_cast<unsigned long long>(size.QuadPart) > kLargestManifestBytes)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)
                           || read != bytes.size()))
        return std::nullopt;
    return ParsePackageManifest(bytes.data(), bytes.size());
}
