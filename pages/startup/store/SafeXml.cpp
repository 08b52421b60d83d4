#include "pages/startup/store/SafeXml.h"

#include "framework/ShellObjects.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"
#include "pages/startup/Utf8Text.h"
#include "pages/startup/store/StartupStore.h"

#include <shlwapi.h>

#include <cctype>
#include <memory>
#include <optional>
#include <string>

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

// A document in UTF-16 (little- or big-endian, by its byte-order mark or its
// first character) as UTF-8 with a byte-order mark, without its declaration,
// which would name the encoding it no longer has: Wine's XmlLite misreads a
// UTF-16 document longer than a few kilobytes, and loops for ever on a long
// one. Nothing where the bytes are not UTF-16 text; other documents are read
// as they are.
std::optional<std::string> AsUtf8(const std::uint8_t* bytes, std::size_t size)
{
    bool little = false, big = false;
    std::size_t at = 0;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        little = true, at = 2;
    else if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        big = true, at = 2;
    else if (size >= 2 && bytes[0] == '<' && bytes[1] == 0)
        little = true;
    else if (size >= 2 && bytes[0] == 0 && bytes[1] == '<')
        big = true;
    if (!little && !big)
        return std::nullopt;
    if ((size - at) % 2 != 0)
        return std::string(); // half a character: no document
    // Encoded as it is read, without a copy of the whole text in UTF-16.
    auto unit = [&](std::size_t index) -> unsigned {
        const std::uint8_t first = bytes[index], second = bytes[index + 1];
        return little ? first | (second << 8) : (first << 8) | second;
    };
    std::string utf8 = "\xEF\xBB\xBF";
    utf8.reserve(3 + (size - at) / 2);
    for (std::size_t index = at; index < size; index += 2) {
        unsigned code = unit(index);
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (index + 2 >= size || unit(index + 2) < 0xDC00 || unit(index + 2) > 0xDFFF)
                return std::string(); // a broken surrogate pair: no document
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(index + 2) - 0xDC00);
            index += 2;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return std::string();
        }
        AppendUtf8(utf8, code);
    }
    // The declaration names UTF-16: it goes.
    if (utf8.size() > 3 + 5 && utf8.compare(3, 5, "<?xml") == 0 && std::isspace(static_cast<unsigned char>(utf8[8]))) {
        const std::size_t end = utf8.find("?>", 8);
        if (end == std::string::npos)
            return std::string(); // a declaration that never ends
        utf8.erase(3, end + 2 - 3);
    }
    return utf8;
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
    const std::optional<std::string> utf8 = AsUtf8(bytes, size);
    if (utf8) {
        if (utf8->empty())
            return false;
        bytes = reinterpret_cast<const std::uint8_t*>(utf8->data());
        size = utf8->size();
    }
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
