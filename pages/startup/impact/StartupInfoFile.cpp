#include "pages/startup/impact/StartupInfoFile.h"

#include "pages/startup/store/SafeXml.h"

#include <limits>
#include <utility>

namespace {

constexpr std::uint64_t kMostCpuMicrosecondsPerProcessor = 90ull * 1000 * 1000;
constexpr std::uint64_t kMostDiskBytes = 1ull << 40;

std::wstring Trimmed(const std::wstring& text)
{
    const std::size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// A plain decimal number (digits only, after trimming), times `scale`, where
// it is at most `largest`.
std::optional<std::uint64_t> Figure(const std::wstring& text, std::uint64_t scale, std::uint64_t largest)
{
    const std::wstring digits = Trimmed(text);
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - L'0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (value > std::numeric_limits<std::uint64_t>::max() / scale)
        return std::nullopt;
    value *= scale;
    if (value > largest)
        return std::nullopt;
    return value;
}

// StartupData/Process elements, with the figures of their CommandLine,
// CpuUsage and DiskUsage children; counted past the most kept, never kept.
class StartupInfoWalk final : public XmlWalker {
public:
    explicit StartupInfoWalk(unsigned processors)
        : m_mostCpu(kMostCpuMicrosecondsPerProcessor * (processors > 0 ? processors : 1))
    {
    }

    bool TooMany() const { return m_count > kMostMeasuredProcesses; }
    std::vector<MeasuredProcess> Processes() { return std::move(m_processes); }

private:
    enum class Child { Other, CommandLine, Cpu, Disk };

    void OnElement(IXmlReader* reader, const std::vector<std::wstring>& path) override
    {
        m_depth = path.size();
        m_text.clear();
        if (path.size() == 2 && path[1] == L"Process") {
            ++m_count;
            m_kept = !TooMany();
            if (m_kept) {
                m_processes.emplace_back();
                m_processes.back().image = XmlAttribute(reader, L"Name");
            }
            m_sawCommandLine = m_sawCpu = m_sawDisk = false;
        } else if (path.size() == 3 && path[1] == L"Process" && m_kept) {
            const std::wstring& name = path[2];
            m_child = name == L"CommandLine" ? Child::CommandLine
                      : name == L"CpuUsage"  ? Child::Cpu
                      : name == L"DiskUsage" ? Child::Disk
                                             : Child::Other;
            m_units = m_child == Child::Cpu || m_child == Child::Disk ? XmlAttribute(reader, L"Units") : std::wstring();
        }
    }

    void OnEnd(const std::vector<std::wstring>& path) override
    {
        if (path.size() == 3 && path[1] == L"Process" && m_kept)
            EndChild();
        m_depth = path.size() - 1;
        m_child = Child::Other;
        m_text.clear();
    }

    void OnText(const std::wstring& text) override
    {
        if (m_depth == 3 && m_child != Child::Other)
            m_text += text;
    }

    // A child written twice says two things: its figure is absent.
    void EndChild()
    {
        MeasuredProcess& process = m_processes.back();
        switch (m_child) {
        case Child::CommandLine:
            process.commandLine = m_sawCommandLine ? std::wstring() : Trimmed(m_text);
            m_sawCommandLine = true;
            break;
        case Child::Cpu: {
            const std::uint64_t scale = m_units.empty() || m_units == L"us" ? 1 : m_units == L"ms" ? 1000 : 0;
            process.cpuMicroseconds =
                scale && !m_sawCpu ? Figure(m_text, scale, m_mostCpu) : std::optional<std::uint64_t>();
            m_sawCpu = true;
            break;
        }
        case Child::Disk:
            process.diskBytes = (m_units.empty() || m_units == L"bytes") && !m_sawDisk
                                    ? Figure(m_text, 1, kMostDiskBytes)
                                    : std::optional<std::uint64_t>();
            m_sawDisk = true;
            break;
        case Child::Other:
            break;
        }
    }

    const std::uint64_t m_mostCpu;
    std::vector<MeasuredProcess> m_processes;
    std::size_t m_count = 0;
    bool m_kept = false;
    std::size_t m_depth = 0;
    Child m_child = Child::Other;
    std::wstring m_units;
    std::wstring m_text;
    bool m_sawCommandLine = false, m_sawCpu = false, m_sawDisk = false;
};

} // namespace

std::optional<std::vector<MeasuredProcess>> ParseStartupInfo(const std::uint8_t* bytes, std::size_t size, unsigned processors)
{
    StartupInfoWalk walk(processors);
    if (!WalkXml(bytes, size, kLargestStartupInfoBytes, L"StartupData", walk) || walk.TooMany())
        return std::nullopt;
    return walk.Processes();
}
