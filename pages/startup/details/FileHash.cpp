#include "pages/startup/details/FileHash.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/details/NativeFilePath.h"

#include <bcrypt.h>

#include <memory>
#include <utility>
#include <vector>

struct FileHasher::Functions {
    decltype(&::BCryptOpenAlgorithmProvider) open = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) close = nullptr;
    decltype(&::BCryptCreateHash) create = nullptr;
    decltype(&::BCryptHashData) hashData = nullptr;
    decltype(&::BCryptFinishHash) finish = nullptr;
    decltype(&::BCryptDestroyHash) destroy = nullptr;
};

namespace {

constexpr ULONG kHashBytes = 32;
constexpr DWORD kChunkBytes = 1u << 16;

template <class Function>
bool Find(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

std::wstring Hex(const unsigned char* bytes, std::size_t size)
{
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

// One hash under way, destroyed however it ends.
class Hash {
public:
    Hash(const FileHasher::Functions& functions, void* algorithm) : m_functions(functions)
    {
        if (m_functions.create(algorithm, &m_hash, nullptr, 0, nullptr, 0, 0) < 0)
            m_hash = nullptr;
    }
    ~Hash()
    {
        if (m_hash)
            m_functions.destroy(m_hash);
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;

    bool Add(const void* data, ULONG size)
    {
        return m_hash && m_functions.hashData(m_hash, static_cast<PUCHAR>(const_cast<void*>(data)), size, 0) >= 0;
    }
    std::wstring Finish()
    {
        unsigned char digest[kHashBytes];
        if (!m_hash || m_functions.finish(m_hash, digest, kHashBytes, 0) < 0)
            return {};
        return Hex(digest, kHashBytes);
    }

private:
    const FileHasher::Functions& m_functions;
    BCRYPT_HASH_HANDLE m_hash = nullptr;
};

} // namespace

FileHasher::FileHasher() : m_module(::LoadLibraryW(L"bcrypt.dll"))
{
    if (!m_module)
        return;
    const HMODULE module = m_module.Get();
    auto functions = std::make_unique<Functions>();
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (Find(module, "BCryptOpenAlgorithmProvider", functions->open) &&
        Find(module, "BCryptCloseAlgorithmProvider", functions->close) &&
        Find(module, "BCryptCreateHash", functions->create) && Find(module, "BCryptHashData", functions->hashData) &&
        Find(module, "BCryptFinishHash", functions->finish) && Find(module, "BCryptDestroyHash", functions->destroy) &&
        functions->open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0) {
        m_algorithm = algorithm;
        m_functions = std::move(functions);
    }
}

FileHasher::~FileHasher()
{
    if (m_algorithm)
        m_functions->close(m_algorithm, 0);
}

std::wstring FileHasher::Sha256Of(const void* data, std::size_t size) const
{
    if (!m_algorithm || size > MAXDWORD)
        return {};
    Hash hash(*m_functions, m_algorithm);
    return hash.Add(data, static_cast<ULONG>(size)) ? hash.Finish() : std::wstring();
}

std::wstring FileHasher::Sha256OfFile(const std::wstring& path) const
{
    const std::wstring native = path.empty() ? std::wstring() : NativeFilePath(path);
    if (!m_algorithm || native.empty())
        return {};
    const fw::UniqueFileHandle file(::CreateFileW(native.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file || ::GetFileType(file.Get()) != FILE_TYPE_DISK)
        return {};
    Hash hash(*m_functions, m_algorithm);
    std::vector<unsigned char> chunk(kChunkBytes);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), chunk.data(), kChunkBytes, &read, nullptr))
            return {};
        if (read == 0)
            return hash.Finish();
        if (!hash.Add(chunk.data(), read))
            return {};
    }
}

const std::wstring& ProgramHashes::Of(const std::wstring& path)
{
    std::wstring key = FileKey(path);
    const auto known = m_known.find(key);
    if (known != m_known.end())
        return known->second;
    return m_known.emplace(std::move(key), path.empty() ? std::wstring() : m_hasher.Sha256OfFile(path)).first->second;
}

void AddProgramHashes(std::vector<EntryReport>& entries)
{
    ProgramHashes hashes;
    for (EntryReport& entry : entries)
        if (entry.fileExists)
            entry.sha256 = hashes.Of(entry.programFile);
}
