// The libraries of AppInit_DLLs, which Windows loads into every program that
// loads user32 while LoadAppInit_DLLs, beside it, is a number other than 0.
// The list's members are separated by spaces or commas; each library is a
// row, once however often the list names it. A library is switched off by
// taking it out of the list (wherever the list names it, each time with one
// separator beside it; the rest of the value stays byte for byte as it was)
// and keeping it in Quorvane's disabled key of the same hive and view, a
// value named as the library. Switched on, it goes at the end of the list.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/RegistryValueText.h"
#include "pages/startup/store/SwitchedValues.h"

#include <cstring>

namespace {

constexpr std::size_t kMostLibraries = 256; // listed of one list
constexpr std::size_t kMostMembers = 4096;  // read of one list, however often they repeat
constexpr std::size_t kLongestName = 16383; // of a value: a longer library cannot be kept

bool IsSeparator(wchar_t c) { return c == L' ' || c == L','; }

struct Member {
    std::size_t at = 0;
    std::size_t length = 0;
};

// The list as UTF-16 units: its text ends at the first NUL, and the units
// after it (and an odd last byte) are kept as they are.
struct List {
    explicit List(const RawValue& value) : type(value.type), units(value.bytes.size() / sizeof(wchar_t), L'\0')
    {
        if (!units.empty())
            std::memcpy(units.data(), value.bytes.data(), units.size() * sizeof(wchar_t));
        if (value.bytes.size() % sizeof(wchar_t))
            odd.push_back(value.bytes.back());
        textEnd = std::min(units.find(L'\0'), units.size());
    }

    RawValue Value() const
    {
        RawValue value{type, std::vector<BYTE>(units.size() * sizeof(wchar_t))};
        if (!units.empty())
            std::memcpy(value.bytes.data(), units.data(), value.bytes.size());
        value.bytes.insert(value.bytes.end(), odd.begin(), odd.end());
        return value;
    }

    std::wstring Text(const Member& member) const { return units.substr(member.at, member.length); }

    // Every member, in order.
    std::vector<Member> Members() const
    {
        std::vector<Member> members;
        for (std::size_t at = 0; at < textEnd;) {
            if (IsSeparator(units[at])) {
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < textEnd && !IsSeparator(units[end]))
                ++end;
            members.push_back({at, end - at});
            at = end;
        }
        return members;
    }

    // Where the list names `library`, as the registry compares names.
    std::vector<Member> Naming(const std::wstring& library) const
    {
        std::vector<Member> naming;
        for (const Member& member : Members()) {
            if (SameValueName(Text(member), library))
                naming.push_back(member);
        }
        return naming;
    }

    // Each member taken out with one separator beside it: the one after it,
    // or else the one before.
    void Remove(const std::vector<Member>& members)
    {
        for (auto member = members.rbegin(); member != members.rend(); ++member) {
            std::size_t at = member->at;
            std::size_t length = member->length;
            if (at + length < textEnd && IsSeparator(units[at + length]))
                ++length;
            else if (at > 0 && IsSeparator(units[at - 1]))
                --at, ++length;
            units.erase(at, length);
            textEnd -= length;
        }
    }

    // At the end of the text, after a separator of the kind the list uses.
    void Append(const std::wstring& library)
    {
        std::wstring added = library;
        if (textEnd > 0 && !IsSeparator(units[textEnd - 1])) {
            const std::size_t separator = units.find_first_of(L" ,");
            added.insert(0, 1, separator < textEnd ? units[separator] : L' ');
        }
        units.insert(textEnd, added);
        textEnd += added.size();
    }

    DWORD type;
    std::wstring units;
    std::vector<BYTE> odd;
    std::size_t textEnd = 0;
};

RawValue TextValue(const std::wstring& text)
{
    RawValue value{REG_SZ, std::vector<BYTE>((text.size() + 1) * sizeof(wchar_t), 0)};
    std::memcpy(value.bytes.data(), text.data(), text.size() * sizeof(wchar_t));
    return value;
}

// Whether Windows loads the list: LoadAppInit_DLLs, a number other than 0.
bool LoadsTheList(HKEY key)
{
    RawValue value;
    DWORD load = 0;
    if (ReadRawValue(SystemStartupCalls(), key, L"LoadAppInit_DLLs", value) != Lookup::Found
        || value.type != REG_DWORD || value.bytes.size() != sizeof(load))
        return false;
    std::memcpy(&load, value.bytes.data(), sizeof(load));
    return load != 0;
}

StartupValueList ReadLibraries(const StartupSource& source)
{
    StartupValueList entries;
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS
        || !LoadsTheList(key.Get()))
        return entries;
    RawValue value;
    if (ReadRawValue(SystemStartupCalls(), key.Get(), source.valueName, value) != Lookup::Found
        || !IsTextValueType(value.type))
        return entries;
    const List list(value);
    const std::vector<Member> members = list.Members();
    for (std::size_t index = 0; index < members.size() && index < kMostMembers; ++index) {
        const std::wstring library = list.Text(members[index]);
        bool named = false;
        for (const StartupValue& entry : entries)
            named = named || SameValueName(entry.name, library);
        if (named)
            continue;
        if (entries.size() == kMostLibraries)
            break;
        entries.push_back({library, library});
        entries.back().fixed = library.size() > kLongestName;
    }
    return entries;
}

MoveResult SwitchOff(const StartupSource& source, const std::wstring& library)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey parked;
    if (calls.CreateKey(source.hive, source.disabledKeyPath, source.view, parked.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    fw::UniqueRegKey key;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, key.Put());
    if (opened != ERROR_SUCCESS)
        return Refused(opened == ERROR_FILE_NOT_FOUND ? MoveOutcome::Gone : MoveOutcome::Failed);
    RawValue value;
    const Lookup found = ReadRawValue(calls, key.Get(), source.valueName, value);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    List list(value);
    const std::vector<Member> naming = IsTextValueType(value.type) ? list.Naming(library) : std::vector<Member>{};
    if (naming.empty())
        return Refused(MoveOutcome::Gone);

    // Kept as the list names it first.
    const std::wstring kept = list.Text(naming.front());
    const RawValue keeping = TextValue(kept);
    RawValue standing;
    const Lookup taken = ReadRawValue(calls, parked.Get(), kept, standing);
    if (taken == Lookup::Failed)
        return Refused(MoveOutcome::Failed);
    if (taken == Lookup::Found && !(standing == keeping))
        return Refused(MoveOutcome::NameTaken);
    const bool copied = taken == Lookup::Missing;
    if (copied && !WriteRawValue(calls, parked.Get(), kept, keeping))
        return Refused(MoveOutcome::Failed);
    list.Remove(naming);
    if (WriteRawValue(calls, key.Get(), source.valueName, list.Value()))
        return Moved(kept, EntryPlace::Parked);
    if (copied)
        calls.DeleteValue(parked.Get(), kept.c_str());
    return Refused(MoveOutcome::Failed);
}

MoveResult SwitchOn(const StartupSource& source, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey parked;
    if (calls.CreateKey(source.hive, source.disabledKeyPath, source.view, parked.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    RawValue kept;
    const Lookup found = ReadRawValue(calls, parked.Get(), name, kept);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    // Only one library goes back, never a list of them.
    const std::wstring library = IsTextValueType(kept.type) ? ValueText(kept) : std::wstring();
    if (library.empty() || library.find_first_of(L" ,") != std::wstring::npos)
        return Refused(MoveOutcome::Failed);
    fw::UniqueRegKey key;
    if (calls.CreateKey(source.hive, source.keyPath, source.view, key.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    RawValue value;
    const Lookup listed = ReadRawValue(calls, key.Get(), source.valueName, value);
    if (listed == Lookup::Failed || (listed == Lookup::Found && !IsTextValueType(value.type)))
        return Refused(MoveOutcome::Failed);

    // A list that names the library already is left as it is.
    List list(listed == Lookup::Found ? value : TextValue(L""));
    const bool written = list.Naming(library).empty();
    if (written) {
        list.Append(library);
        if (!WriteRawValue(calls, key.Get(), source.valueName, list.Value()))
            return Refused(MoveOutcome::Failed);
    }
    if (calls.DeleteValue(parked.Get(), name.c_str()) == ERROR_SUCCESS)
        return Moved(library, EntryPlace::Startup);
    if (written && listed == Lookup::Found)
        WriteRawValue(calls, key.Get(), source.valueName, value);
    else if (written)
        calls.DeleteValue(key.Get(), source.valueName);
    return Refused(MoveOutcome::Failed);
}

class AppInitKind final : public UnwatchedKind {
public:
    const char* ReadingWork() const override { return "read: AppInit libraries"; }
    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        if (place == EntryPlace::Startup)
            return ReadLibraries(source);
        // A kept value that names more than one library is none Quorvane kept.
        StartupValueList parked = ReadCommandValues(source.hive, source.disabledKeyPath, source.view);
        for (StartupValue& value : parked)
            value.fixed = value.fixed || value.command.find_first_of(L" ,") != std::wstring::npos;
        return parked;
    }

    MoveResult Switch(const StartupSource& source, EntryPlace, const std::wstring& name, bool on) const override
    {
        return on ? SwitchOn(source, name) : SwitchOff(source, name);
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring&) const override
    {
        return KeyAddress(source, place);
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return LibraryFile(command);
    }
};

} // namespace

const PlaceKind& AppInitPlaces()
{
    static const AppInitKind kind;
    return kind;
}
