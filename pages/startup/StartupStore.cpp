#include "pages/startup/StartupStore.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/RegistryValueText.h"

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kDisabledKeyPath[] = "Software\\Quorvane\\DisabledStartup";
const char kMoveFailedMessage[] = "Could not make changes, not allowed!";

namespace {
// Longer names and larger data are left out of a value list.
constexpr DWORD kNameCapacity = 8192; // characters, with the closing NUL
constexpr DWORD kDataCapacity = 8192; // bytes

class AdvapiStartupRegistry final : public StartupRegistry {
public:
    LONG CreateKey(HKEY hive, const char* path, HKEY* key) override
    {
        return ::RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                                 nullptr);
    }
    LONG OpenKey(HKEY hive, const char* path, HKEY* key) override
    {
        return ::RegOpenKeyExA(hive, path, 0, KEY_ALL_ACCESS, key);
    }
    LONG QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return ::RegQueryValueExA(key, name, nullptr, type, data, size);
    }
    LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return ::RegSetValueExA(key, name, 0, type, data, size);
    }
    LONG DeleteValue(HKEY key, const char* name) override { return ::RegDeleteValueA(key, name); }
};

StartupRegistry* g_testRegistry = nullptr;

StartupRegistry& ActiveRegistry() { return g_testRegistry ? *g_testRegistry : SystemStartupRegistry(); }

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

enum class Lookup { Found, Missing, Failed };

// Reads a value's type and bytes, whatever their size.
Lookup ReadRawValue(StartupRegistry& registry, HKEY key, const std::string& name, RawValue& value)
{
    for (;;) {
        DWORD size = 0;
        LONG status = registry.QueryValue(key, name.c_str(), &value.type, nullptr, &size);
        if (status == ERROR_SUCCESS) {
            value.bytes.resize(size);
            status = registry.QueryValue(key, name.c_str(), &value.type, value.bytes.data(), &size);
            if (status == ERROR_MORE_DATA)
                continue; // it grew in between
        }
        if (status == ERROR_FILE_NOT_FOUND)
            return Lookup::Missing;
        if (status != ERROR_SUCCESS)
            return Lookup::Failed;
        value.bytes.resize(size);
        return Lookup::Found;
    }
}

HKEY HiveOf(StartupOrigin origin) { return origin == StartupOrigin::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

enum class MoveTarget { DisabledKey, RunKey };

// Moves `name` from one key of the hive to the other, written as REG_SZ with
// `command`. Every step that can fail comes before the source is touched, and
// a failed deletion of the source takes the copy back out again (putting back
// what it overwrote), so the entry is never lost and never left in both keys.
bool MoveEntry(StartupOrigin origin, MoveTarget to, const std::string& name, const std::string& command)
{
    StartupRegistry& registry = ActiveRegistry();
    const HKEY hive = HiveOf(origin);
    fw::UniqueRegKey disabledKey;
    if (registry.CreateKey(hive, kDisabledKeyPath, disabledKey.Put()) != ERROR_SUCCESS)
        return false;
    fw::UniqueRegKey runKey;
    if (registry.OpenKey(hive, kRunKeyPath, runKey.Put()) != ERROR_SUCCESS)
        return false;
    const bool toDisabled = to == MoveTarget::DisabledKey;
    const HKEY source = toDisabled ? runKey.Get() : disabledKey.Get();
    const HKEY target = toDisabled ? disabledKey.Get() : runKey.Get();

    // Only a text value can go through REG_SZ unharmed; a missing one has nothing to move.
    DWORD sourceType = REG_NONE;
    if (registry.QueryValue(source, name.c_str(), &sourceType, nullptr, nullptr) != ERROR_SUCCESS
        || !IsTextValueType(sourceType))
        return false;

    RawValue overwritten;
    const Lookup previous = ReadRawValue(registry, target, name, overwritten);
    if (previous == Lookup::Failed)
        return false;

    if (registry.SetValue(target, name.c_str(), REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>(command.size() + 1))
        != ERROR_SUCCESS)
        return false;
    if (registry.DeleteValue(source, name.c_str()) == ERROR_SUCCESS)
        return true;

    if (previous == Lookup::Found)
        registry.SetValue(target, name.c_str(), overwritten.type, overwritten.bytes.data(),
                          static_cast<DWORD>(overwritten.bytes.size()));
    else
        registry.DeleteValue(target, name.c_str());
    return false;
}
} // namespace

StartupRegistry& SystemStartupRegistry()
{
    static AdvapiStartupRegistry registry;
    return registry;
}

void SetStartupRegistryForTesting(StartupRegistry* registry)
{
    g_testRegistry = registry;
}

StartupValueList ReadValueList(HKEY hive, const char* keyPath)
{
    StartupValueList values;
    fw::UniqueRegKey key;
    if (::RegOpenKeyExA(hive, keyPath, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return values;
    DWORD count = 0;
    if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                           nullptr, nullptr, nullptr)
        != ERROR_SUCCESS)
        return values;

    std::vector<char> name(kNameCapacity);
    std::vector<BYTE> data(kDataCapacity);
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameLength = kNameCapacity;
        DWORD size = kDataCapacity;
        DWORD type = REG_NONE;
        // Too long a name or too much data, or a value removed meanwhile: left out.
        if (::RegEnumValueA(key.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size)
            != ERROR_SUCCESS)
            continue;
        values.push_back({std::string(name.data(), nameLength), RegistryValueText(type, data.data(), size),
                          IsTextValueType(type)});
    }
    return values;
}

bool DisableEntry(StartupOrigin origin, const std::string& name, const std::string& command)
{
    return MoveEntry(origin, MoveTarget::DisabledKey, name, command);
}

bool EnableEntry(StartupOrigin origin, const std::string& name, const std::string& command)
{
    return MoveEntry(origin, MoveTarget::RunKey, name, command);
}
