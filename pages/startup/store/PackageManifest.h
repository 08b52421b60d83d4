#pragma once
// What a packaged app's manifest (AppxManifest.xml) says of the programs it
// starts at log-on: its start-up tasks, each with the program that runs, and
// the names it gives itself. Read with Windows' own streaming XML reader
// (XmlLite, loaded at the first manifest), document type definitions
// refused and the size bounded: a broken or hostile manifest is no manifest,
// never a hang, a crash or a large allocation.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct StartupTaskDeclaration {
    std::wstring taskId;
    std::wstring displayName; // as written: plain, or an "ms-resource:" name
    bool enabled = false;     // the manifest's Enabled, which Windows follows until the task has a state
    std::wstring executable;  // in the package's folder: the extension's, else its application's
    std::wstring parameters;
};

struct PackageManifest {
    std::wstring displayName;          // Properties/DisplayName, as written
    std::wstring publisherDisplayName; // Properties/PublisherDisplayName
    std::vector<StartupTaskDeclaration> startupTasks;
};

// The largest manifest read; real ones are a few kilobytes.
constexpr std::size_t kLargestManifestBytes = 1 << 20;

// The manifest in `bytes` (any encoding XML allows); nothing when it is not
// well-formed, declares a document type, nests too deep or is too large.
std::optional<PackageManifest> ParsePackageManifest(const std::uint8_t* bytes, std::size_t size);
// The same for the file at `path`.
std::optional<PackageManifest> ReadPackageManifest(const std::wstring& path);
