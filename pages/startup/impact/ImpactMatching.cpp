#include "pages/startup/impact/ImpactMatching.h"

#include "pages/startup/details/ProgramResolver.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <limits>
#include <memory>
#include <unordered_map>

namespace {

using EntryIndexes = std::vector<std::size_t>;
using Index = std::unordered_map<std::wstring, EntryIndexes>;

constexpr const wchar_t* kSpaces = L" \t\r\n";


// Upper case as the file system folds names: the same in every locale.
std::wstring Folded(std::wstring text)
{
    bool ascii = true;
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
        ascii = ascii && c < 0x80;
    }
    if (ascii) // most paths and commands: no need to ask Windows
        return text;
    std::wstring folded(text.size(), L'\0');
    return ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()),
                           folded.data(), static_cast<int>(folded.size()), nullptr, nullptr, 0)
                   == static_cast<int>(text.size())
               ? folded
               : text;
}

std::wstring PathKey(const std::wstring& path)
{
    const std::wstring expanded = ExpandEnvironment(path);
    const std::size_t first = expanded.find_first_not_of(kSpaces);
    if (first == std::wstring::npos)
        return {};
    return Folded(expanded.substr(first, expanded.find_last_not_of(kSpaces) - first + 1));
}

std::wstring FileNameKey(const std::wstring& pathKey)
{
    const std::size_t slash = pathKey.find_last_of(L"\\/");
    return slash == std::wstring::npos ? pathKey : pathKey.substr(slash + 1);
}

// Expanded, without quotes, each run of white space one space, trimmed, folded.
std::wstring CommandKey(const std::wstring& command)
{
    const std::wstring expanded = ExpandEnvironment(command);
    std::wstring key;
    key.reserve(command.size());
    bool space = false;
    for (const wchar_t c : expanded) {
        if (c == L'"')
            continue;
        if (c != L'\0' && std::wcschr(kSpaces, c)) {
            space = !key.empty();
            continue;
        }
        if (space)
            key += L' ';
        space = false;
        key += c;
    }
    return Folded(std::move(key));
}

std::wstring Joined(const std::wstring& a, const std::wstring& b)
{
    std::wstring key = a;
    key += L'\0';
    key += b;
    return key;
}

const EntryIndexes* Find(const Index& index, const std::wstring& key)
{
    const auto found = index.find(key);
    return found == index.end() ? nullptr : &found->second;
}

std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b)
{
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::uint64_t Median(std::vector<std::uint64_t>& values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2)
        return values[middle];
    const std::uint64_t low = values[middle - 1];
    return low + (values[middle] - low) / 2;
}

} // namespace

// The entries indexed by each way a process is matched with them.
struct ImpactEntryIndex {
    explicit ImpactEntryIndex(const std::vector<ImpactEntry>& entries)
    {
        std::vector<std::wstring> paths(entries.size()), commands(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            paths[i] = PathKey(entries[i].programFile);
            if (paths[i].empty())
                continue;
            commands[i] = CommandKey(entries[i].commandLine);
            byPath[paths[i]].push_back(i);
            byNameAndCommand[Joined(FileNameKey(paths[i]), commands[i])].push_back(i);
            if (!commands[i].empty())
                byCommand[commands[i]].push_back(i);
        }
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (!paths[i].empty() && byPath[paths[i]].size() > 1)
                bySharedPathAndCommand[Joined(paths[i], commands[i])].push_back(i);
    }

    // The entries whose process this is; null for none.
    const EntryIndexes* Of(const MeasuredProcess& process) const
    {
        const std::wstring image = PathKey(process.image);
        if (image.empty())
            return nullptr;
        std::wstring command; // worked out where needed only
        const EntryIndexes* found = nullptr;
        if (process.image.find(L'\\') == std::wstring::npos) {
            command = CommandKey(process.commandLine);
            found = Find(byNameAndCommand, Joined(image, command));
        } else if (const EntryIndexes* sharing = Find(byPath, image)) {
            if (sharing->size() == 1)
                return sharing;
            command = CommandKey(process.commandLine);
            found = Find(bySharedPathAndCommand, Joined(image, command));
        } else
            command = CommandKey(process.commandLine);
        return found || command.empty() ? found : Find(byCommand, command);
    }

    Index byPath, bySharedPathAndCommand, byNameAndCommand, byCommand;
};

namespace {

// One entry's processes in one log-on.
struct LogOnSum {
    bool listed = false;
    bool complete = true;
    std::uint64_t cpu = 0;
    std::uint64_t disk = 0;
};

} // namespace

ImpactMeasure::ImpactMeasure(const std::vector<ImpactEntry>& entries)
    : m_index(std::make_unique<ImpactEntryIndex>(entries)), m_cpu(entries.size()), m_disk(entries.size())
{
}

ImpactMeasure::~ImpactMeasure() = default;

void ImpactMeasure::AddLogOn(const std::vector<MeasuredProcess>& processes)
{
    std::vector<LogOnSum> sums(m_cpu.size());
    std::vector<std::size_t> listed;
    for (const MeasuredProcess& process : processes) {
        const EntryIndexes* matched = m_index->Of(process);
        if (!matched)
            continue;
        for (const std::size_t entry : *matched) {
            LogOnSum& sum = sums[entry];
            if (!sum.listed)
                listed.push_back(entry);
            sum.listed = true;
            if (!process.cpuMicroseconds || !process.diskBytes) {
                sum.complete = false;
                continue;
            }
            sum.cpu = SaturatingSum(sum.cpu, *process.cpuMicroseconds);
            sum.disk = SaturatingSum(sum.disk, *process.diskBytes);
        }
    }
    for (const std::size_t entry : listed) {
        if (sums[entry].complete) {
            m_cpu[entry].push_back(sums[entry].cpu);
            m_disk[entry].push_back(sums[entry].disk);
        }
    }
}

std::vector<std::optional<ImpactFigures>> ImpactMeasure::Figures()
{
    std::vector<std::optional<ImpactFigures>> figures(m_cpu.size());
    for (std::size_t entry = 0; entry < m_cpu.size(); ++entry) {
        if (m_cpu[entry].empty())
            continue;
        ImpactFigures& measured = figures[entry].emplace();
        measured.logOns = static_cast<unsigned>(m_cpu[entry].size());
        measured.cpuMicroseconds = Median(m_cpu[entry]);
        measured.diskBytes = Median(m_disk[entry]);
    }
    return figures;
}

std::vector<std::optional<ImpactFigures>> MeasureEntries(const std::vector<ImpactEntry>& entries,
                                                         const std::vector<std::vector<MeasuredProcess>>& logOns)
{
    ImpactMeasure measure(entries);
    for (const std::vector<MeasuredProcess>& processes : logOns)
        measure.AddLogOn(processes);
    return measure.Figures();
}
