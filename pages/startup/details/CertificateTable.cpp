#include "pages/startup/details/CertificateTable.h"

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {
template <class T>
T Read(const std::uint8_t* bytes, std::size_t at)
{
    T value;
    std::memcpy(&value, bytes + at, sizeof(T));
    return value;
}

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderOffsetAt = 0x3C; // e_lfanew
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSignatureSize = 4;
// Where the optional header's directory count stands, and its first directory.
constexpr std::size_t kPe32DirectoryCountAt = 92, kPe32DirectoriesAt = 96;
constexpr std::size_t kPe64DirectoryCountAt = 108, kPe64DirectoriesAt = 112;
constexpr std::size_t kDirectorySize = 8;
// Headers further into the file than this are none that Windows would load.
constexpr std::size_t kLargestHeaderOffset = 64 * 1024;
} // namespace

CertificateTable CertificateTableOf(const std::uint8_t* bytes, std::size_t size, std::size_t* more)
{
    if (size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z')
        return CertificateTable::Unknown;
    const std::size_t pe = Read<std::uint32_t>(bytes, kNewHeaderOffsetAt);
    if (pe < kDosHeaderSize || pe > kLargestHeaderOffset)
        return CertificateTable::Unknown;
    const std::size_t optional = pe + kSignatureSize + kFileHeaderSize;
    // Where the headers end at the most, as far as the certificate table's
    // entry: what a second read is to take, when the first fell short.
    const std::size_t most = optional + kPe64DirectoriesAt + (IMAGE_DIRECTORY_ENTRY_SECURITY + 1) * kDirectorySize;
    const auto needs = [&](std::size_t end) {
        if (end <= size)
            return false;
        if (more)
            *more = most;
        return true;
    };
    if (needs(optional + 2))
        return CertificateTable::Unknown;
    if (std::memcmp(bytes + pe, "PE\0\0", kSignatureSize) != 0)
        return CertificateTable::Unknown;
    const std::uint16_t optionalSize = Read<std::uint16_t>(bytes, pe + kSignatureSize + 16);
    const std::uint16_t magic = Read<std::uint16_t>(bytes, optional);
    std::size_t countAt = 0, directoriesAt = 0;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        countAt = kPe32DirectoryCountAt;
        directoriesAt = kPe32DirectoriesAt;
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        countAt = kPe64DirectoryCountAt;
        directoriesAt = kPe64DirectoriesAt;
    } else {
        return CertificateTable::Unknown;
    }
    if (needs(optional + countAt + 4))
        return CertificateTable::Unknown;
    const std::uint32_t count = Read<std::uint32_t>(bytes, optional + countAt);
    const std::size_t security = directoriesAt + IMAGE_DIRECTORY_ENTRY_SECURITY * kDirectorySize;
    // A table the optional header has no room for is none.
    if (count <= IMAGE_DIRECTORY_ENTRY_SECURITY || security + kDirectorySize > optionalSize)
        return CertificateTable::Absent;
    if (needs(optional + security + kDirectorySize))
        return CertificateTable::Unknown;
    const std::uint32_t tableOffset = Read<std::uint32_t>(bytes, optional + security);
    const std::uint32_t tableSize = Read<std::uint32_t>(bytes, optional + security + 4);
    return tableOffset == 0 && tableSize == 0 ? CertificateTable::Absent : CertificateTable::Present;
}

CertificateTable ReadCertificateTable(const std::wstring& path)
{
    const fw::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return CertificateTable::Unknown;
    std::vector<std::uint8_t> bytes(4096);
    // A second read takes the headers whole, wherever they begin.
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD got = 0;
        if (::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER
            || !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            return CertificateTable::Unknown;
        std::size_t more = 0;
        const CertificateTable table = CertificateTableOf(bytes.data(), got, &more);
        // Headers further in than the first read: read once more, as far as they go.
        if (table != CertificateTable::Unknown || more <= bytes.size() || got < bytes.size())
            return table;
        bytes.resize(more);
    }
    return CertificateTable::Unknown;
}
