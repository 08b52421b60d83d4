#include "pages/startup/store/TaskDefinition.h"

#include "pages/startup/store/SafeXml.h"

#include <algorithm>
#include <utility>

namespace {

// A boolean as the task schema writes one; `otherwise` when it is neither.
bool Boolean(const std::wstring& text, bool otherwise)
{
    std::wstring trimmed = text;
    trimmed.erase(0, trimmed.find_first_not_of(L" \t\r\n"));
    trimmed.erase(trimmed.find_last_not_of(L" \t\r\n") + 1);
    if (trimmed == L"true" || trimmed == L"1")
        return true;
    if (trimmed == L"false" || trimmed == L"0")
        return false;
    return otherwise;
}

// Keeps the triggers, settings and Exec actions of a Task element, by the
// path of elements that leads to each.
class TaskWalk final : public XmlWalker {
public:
    bool IsTask() const { return m_isTask; }
    TaskDefinition Definition() { return std::move(m_task); }

private:
    void OnElement(IXmlReader*, const std::wstring& name, bool empty) override
    {
        if (m_path.empty() && !m_sawRoot) {
            m_sawRoot = true;
            m_isTask = name == L"Task";
        }
        m_path.push_back(name);
        m_text.clear();
        if (Within(L"Actions", L"Exec") && m_path.size() == 3)
            m_task.programs.emplace_back();
        if (IsTrigger() && m_path.size() == 3)
            m_triggerEnabled = true; // Enabled is true unless it says otherwise
        if (empty)
            OnEnd(name);
    }

    void OnEnd(const std::wstring&) override
    {
        if (m_path.empty())
            return;
        const std::size_t depth = m_path.size();
        const std::wstring& name = m_path.back();
        if (depth == 4 && IsTrigger() && name == L"Enabled")
            m_triggerEnabled = Boolean(m_text, true);
        else if (depth == 3 && IsTrigger()) {
            if (m_path[2] == L"LogonTrigger")
                m_task.atLogOn = m_task.atLogOn || m_triggerEnabled;
            else if (m_path[2] == L"BootTrigger")
                m_task.atBoot = m_task.atBoot || m_triggerEnabled;
        } else if (depth == 3 && m_path[1] == L"Settings" && name == L"Enabled")
            m_task.enabled = Boolean(m_text, true);
        else if (depth == 3 && m_path[1] == L"Settings" && name == L"Hidden")
            m_task.hidden = Boolean(m_text, false);
        else if (depth == 4 && Within(L"Actions", L"Exec") && !m_task.programs.empty()) {
            if (name == L"Command")
                m_task.programs.back().command = Trimmed(m_text);
            else if (name == L"Arguments")
                m_task.programs.back().arguments = Trimmed(m_text);
        }
        m_path.pop_back();
        m_text.clear();
    }

    void OnText(const std::wstring& text) override { m_text += text; }

    // Task/<section>/<element>...
    bool Within(const wchar_t* section, const wchar_t* element) const
    {
        return m_path.size() >= 3 && m_path[0] == L"Task" && m_path[1] == section && m_path[2] == element;
    }
    bool IsTrigger() const { return m_path.size() >= 3 && m_path[0] == L"Task" && m_path[1] == L"Triggers"; }

    static std::wstring Trimmed(const std::wstring& text)
    {
        const std::size_t first = text.find_first_not_of(L" \t\r\n");
        if (first == std::wstring::npos)
            return {};
        return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
    }

    TaskDefinition m_task;
    std::vector<std::wstring> m_path;
    std::wstring m_text;
    bool m_triggerEnabled = true;
    bool m_isTask = false;
    bool m_sawRoot = false;
};

} // namespace

std::optional<TaskDefinition> ParseTaskDefinition(const std::uint8_t* bytes, std::size_t size)
{
    TaskWalk walk;
    if (!WalkXml(bytes, size, kLargestTaskBytes, walk) || !walk.IsTask())
        return std::nullopt;
    TaskDefinition task = walk.Definition();
    // An action without a command starts nothing.
    task.programs.erase(std::remove_if(task.programs.begin(), task.programs.end(),
                                       [](const TaskProgram& program) { return program.command.empty(); }),
                        task.programs.end());
    return task;
}

std::wstring TaskCommandLine(const TaskProgram& program)
{
    const bool quote = program.command.find(L' ') != std::wstring::npos && program.command.front() != L'"';
    std::wstring line = quote ? L"\"" + program.command + L"\"" : program.command;
    if (!program.arguments.empty())
        line += L" " + program.arguments;
    return line;
}
