#include "pages/startup/store/SafeXml.h"

#include "framework/ShellObjects.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"
#include "pages/startup/store/StartupStore.h"

#include <shlwapi.h>

#include <memory>

namespace {

constexpr UINT kDeepestElements = 64;

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// XmlLite, loaded for a reading of the sources and let go after it (or for
// a single document outside one): Windows and Wine ship it, but MinGW-w64
// has no import library for it.
struct XmlLite {
    fw::UniqueModule module{fw::LoadSystemLibrary(L"xmllite.dll")};
    CreateXmlReaderFunction create = module ? reinterpret_cast<CreateXmlReaderFunction>(reinterpret_cast<void*>(
                                                  ::GetProcAddress(module.Get(), "CreateXmlReader")))
                                            : nullptr;
};

std::shared_ptr<const XmlLite> LoadedXmlLite()
{
    static const char key = 0;
    return std::static_pointer_cast<const XmlLite>(
        SharedInReading(&key, [] { return std::shared_ptr<const void>(std::make_shared<XmlLite>()); }));
}

std::wstring LocalName(IXmlReader* reader)
{
    const wchar_t* name = nullptr;
    return SUCCEEDED(reader->GetLocalName(&name, nullptr)) && name ? name : L"";
}

} // namespace

bool WalkXml(const std::uint8_t* bytes, std::size_t size, std::size_t largest, const wchar_t* root,
             XmlWalker& walker)
{
    const std::shared_ptr<const XmlLite> xmlLite = LoadedXmlLite();
    const CreateXmlReaderFunction create = xmlLite->create;
    if (!create || size > largest)
        return false;
    fw::ComPtr<IStream> stream;
    *stream.Put() = ::SHCreateMemStream(bytes, static_cast<UINT>(size));
    fw::ComPtr<IXmlReader> reader;
    if (!stream.Get() || FAILED(create(__uuidof(IXmlReader), reader.Put(), nullptr))
        || FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))
        || FAILED(reader->SetProperty(XmlReaderProperty_MaxElementDepth, kDeepestElements))
        || FAILED(reader->SetInput(stream.Get())))
        return false;
    std::vector<std::wstring> path;
    bool sawRoot = false;
    for (;;) {
        XmlNodeType node = XmlNodeType_None;
        const HRESULT status = reader->Read(&node);
        if (status == S_FALSE)
            return sawRoot && path.empty();
        if (status != S_OK)
            return false; // not well-formed, a document type, too deep
        if (node == XmlNodeType_Element) {
            path.push_back(LocalName(reader.Get()));
            if (!sawRoot && path.back() != root)
                return false;
            sawRoot = true;
            const bool empty = reader->IsEmptyElement();
            walker.OnElement(reader.Get(), path);
            if (empty) {
                walker.OnEnd(path);
                path.pop_back();
            }
        } else if (node == XmlNodeType_EndElement && !path.empty()) {
            walker.OnEnd(path);
            path.pop_back();
        } else if (node == XmlNodeType_Text || node == XmlNodeType_CDATA) {
            const wchar_t* text = nullptr;
            if (SUCCEEDED(reader->GetValue(&text, nullptr)) && text)
                walker.OnText(text);
        }
    }
}

std::wstring XmlAttribute(IXmlReader* reader, const wchar_t* name)
{
    const wchar_t* value = nullptr;
    if (reader->MoveToAttributeByName(name, nullptr) != S_OK || FAILED(reader->GetValue(&value, nullptr)) || !value)
        return {};
    std::wstring text(value);
    reader->MoveToElement();
    return text;
}
