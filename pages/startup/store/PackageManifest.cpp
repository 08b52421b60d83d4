#include "pages/startup/store/PackageManifest.h"

#include "framework/SmallFile.h"
#include "pages/startup/store/SafeXml.h"

#include <utility>

namespace {

bool IsTrue(const std::wstring& text)
{
    return text == L"true" || text == L"1";
}

// Keeps what the manifest's elements say of the package and of its
// start-up tasks.
class ManifestWalk final : public XmlWalker {
public:
    PackageManifest Manifest() { return std::move(m_manifest); }

private:
    void OnElement(IXmlReader* reader, const std::vector<std::wstring>& path) override
    {
        const std::wstring& name = path.back();
        const bool inProperties = path.size() >= 2 && path[path.size() - 2] == L"Properties";
        if (name == L"Application") {
            m_applicationExecutable = XmlAttribute(reader, L"Executable");
            m_applicationParameters = XmlAttribute(reader, L"Parameters");
        } else if (name == L"Extension") {
            m_inStartupExtension = XmlAttribute(reader, L"Category") == L"windows.startupTask";
            m_extensionExecutable = XmlAttribute(reader, L"Executable");
            m_extensionParameters = XmlAttribute(reader, L"Parameters");
        } else if (name == L"StartupTask" && m_inStartupExtension) {
            StartupTaskDeclaration task;
            task.taskId = XmlAttribute(reader, L"TaskId");
            task.displayName = XmlAttribute(reader, L"DisplayName");
            task.enabled = IsTrue(XmlAttribute(reader, L"Enabled"));
            const bool own = !m_extensionExecutable.empty();
            task.executable = own ? m_extensionExecutable : m_applicationExecutable;
            task.parameters = own ? m_extensionParameters : m_applicationParameters;
            if (!task.taskId.empty() && !task.executable.empty())
                m_manifest.startupTasks.push_back(std::move(task));
        }
        m_collecting = nullptr;
        if (inProperties && name == L"DisplayName")
            m_collecting = &m_manifest.displayName;
        else if (inProperties && name == L"PublisherDisplayName")
            m_collecting = &m_manifest.publisherDisplayName;
    }

    void OnEnd(const std::vector<std::wstring>& path) override
    {
        const std::wstring& name = path.back();
        m_collecting = nullptr;
        if (name == L"Extension")
            m_inStartupExtension = false;
        else if (name == L"Application")
            m_applicationExecutable.clear();
    }

    void OnText(const std::wstring& text) override
    {
        if (m_collecting)
            *m_collecting += text;
    }

    PackageManifest m_manifest;
    std::wstring* m_collecting = nullptr;
    std::wstring m_applicationExecutable, m_applicationParameters;
    std::wstring m_extensionExecutable, m_extensionParameters;
    bool m_inStartupExtension = false;
};

} // namespace

std::optional<PackageManifest> ParsePackageManifest(const std::uint8_t* bytes, std::size_t size)
{
    ManifestWalk walk;
    // The root: a manifest is a package's.
    if (!WalkXml(bytes, size, kLargestManifestBytes, L"Package", walk))
        return std::nullopt;
    return walk.Manifest();
}

std::optional<PackageManifest> ReadPackageManifest(const std::wstring& path)
{
    const std::optional<std::vector<std::uint8_t>> bytes = fw::ReadSmallFile(path, kLargestManifestBytes);
    if (!bytes)
        return std::nullopt;
    return ParsePackageManifest(bytes->data(), bytes->size());
}
