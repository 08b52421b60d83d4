#include "pages/startup/store/TaskDefinition.h"

#include "pages/startup/store/SafeXml.h"

#include <algorithm>
#include <utility>

namespace {

std::wstring Trimmed(const std::wstring& text)
{
    const std::size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// A boolean as the task schema writes one; `otherwise` when it is neither.
bool Boolean(const std::wstring& text, bool otherwise)
{
    const std::wstring trimmed = Trimmed(text);
    if (trimmed == L"true" || trimmed == L"1")
        return true;
    if (trimmed == L"false" || trimmed == L"0")
        return false;
    return otherwise;
}

// Task/<section>/<element>...
bool Within(const std::vector<std::wstring>& path, const wchar_t* section, const wchar_t* element = nullptr)
{
    return path.size() >= 3 && path[1] == section && (!element || path[2] == element);
}

// Keeps the triggers, settings and Exec actions of a Task element, by the
// path of elements that leads to each.
class TaskWalk final : public XmlWalker {
public:
    TaskDefinition Definition() { return std::move(m_task); }

private:
    void OnElement(IXmlReader*, const std::vector<std::wstring>& path) override
    {
        m_text.clear();
        if (path.size() == 3 && Within(path, L"Actions", L"Exec"))
            m_task.programs.emplace_back();
        if (path.size() == 3 && Within(path, L"Triggers"))
            m_triggerEnabled = true; // Enabled is true unless it says otherwise
    }

    void OnEnd(const std::vector<std::wstring>& path) override
    {
        const std::size_t depth = path.size();
        const std::wstring& name = path.back();
        if (depth == 4 && Within(path, L"Triggers") && name == L"Enabled")
            m_triggerEnabled = Boolean(m_text, true);
        else if (depth == 3 && Within(path, L"Triggers")) {
            if (name == L"LogonTrigger")
                m_task.atLogOn = m_task.atLogOn || m_triggerEnabled;
            else if (name == L"BootTrigger")
                m_task.atBoot = m_task.atBoot || m_triggerEnabled;
        } else if (depth == 3 && Within(path, L"Settings", L"Enabled"))
            m_task.enabled = Boolean(m_text, true);
        else if (depth == 3 && Within(path, L"Settings", L"Hidden"))
            m_task.hidden = Boolean(m_text, false);
        else if (depth == 4 && Within(path, L"Actions", L"Exec") && !m_task.programs.empty()) {
            if (name == L"Command")
                m_task.programs.back().command = Trimmed(m_text);
            else if (name == L"Arguments")
                m_task.programs.back().arguments = Trimmed(m_text);
        }
        m_text.clear();
    }

    void OnText(const std::wstring& text) override { m_text += text; }

    TaskDefinition m_task;
    std::wstring m_text;
    bool m_triggerEnabled = true;
};

} // namespace

std::optional<TaskDefinition> ParseTaskDefinition(const std::uint8_t* bytes, std::size_t size)
{
    TaskWalk walk;
    if (!WalkXml(bytes, size, kLargestTaskBytes, L"Task", walk))
        return std::nullopt;
    TaskDefinition task = walk.Definition();
    // An action without a command starts nothing.
    task.programs.erase(std::remove_if(task.programs.begin(), task.programs.end(),
                                       [](const TaskProgram& program) { return program.command.empty(); }),
                        task.programs.end());
    return task;
}
