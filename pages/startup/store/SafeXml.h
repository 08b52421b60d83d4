#pragma once
// Small XML documents that other programs wrote (package manifests, task
// definitions), read with Windows' own streaming XML reader, XmlLite (loaded
// for a reading of the sources, or for one document outside a reading):
// document type definitions refused, nesting and size
// bounded, so that a broken or hostile document is none, at once, never a
// hang, a crash or a large allocation.

#include <windows.h>

#include <xmllite.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a walk through a document does at each element, end of an element
// and text. `path` is the elements open from the root down, the element
// itself last; an element that closes at once (<a/>) ends at once.
class XmlWalker {
public:
    virtual ~XmlWalker() = default;
    virtual void OnElement(IXmlReader* reader, const std::vector<std::wstring>& path) = 0;
    virtual void OnEnd(const std::vector<std::wstring>& path) = 0;
    virtual void OnText(const std::wstring& text) = 0;
};

// Walks the document in `bytes` (any encoding XML allows). False, part way
// or at once, when it is larger than `largest`, its root element is not
// named `root`, it is not well-formed, declares a document type or nests
// deeper than 64 elements.
bool WalkXml(const std::uint8_t* bytes, std::size_t size, std::size_t largest, const wchar_t* root,
             XmlWalker& walker);

// The attribute's value on the element the reader stands on; empty when absent.
std::wstring XmlAttribute(IXmlReader* reader, const wchar_t* name);
