// What a scheduled task's definition says of the programs it starts with
// Windows. A broken or hostile definition gives nothing, as any document read
// the same way (the manifests' tests show the hostile cases at length).

#include "pages/startup/store/StartupStore.h"
#include "pages/startup/store/TaskDefinition.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A definition as the Task Scheduler writes it, with the triggers and
// actions given.
std::string Task(const std::string& triggers, const std::string& actions, const std::string& settings = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo><Author>Maker</Author></RegistrationInfo>\n"
           "  <Triggers>"
           + triggers + "</Triggers>\n  <Settings>" + settings + "</Settings>\n  <Actions Context=\"Author\">" + actions
           + "</Actions>\n</Task>\n";
}

// The text as UTF-16 with its byte-order mark, as the Task Scheduler keeps it.
std::string Utf16WithMark(const std::string& utf8)
{
    const std::wstring wide = W(utf8);
    std::string bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return bytes;
}

std::optional<TaskDefinition> Parse(const std::string& bytes)
{
    return ParseTaskDefinition(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// What a definition says, as a line: when it runs, its state, its command lines.
std::string Said(const std::string& bytes)
{
    const std::optional<TaskDefinition> task = Parse(Utf16WithMark(bytes));
    if (!task)
        return "none";
    std::string line = std::string(task->atLogOn ? "log-on " : "") + (task->atBoot ? "boot " : "")
                       + (task->enabled ? "enabled" : "disabled") + (task->hidden ? " hidden" : "");
    for (const TaskProgram& program : task->programs)
        line += " | " + U8(CommandLine(program.command, program.arguments));
    return line;
}

const std::string kExec = "<Exec><Command>C:\\Program Files\\Sync\\sync.exe</Command>"
                          "<Arguments>/quiet</Arguments></Exec>";

} // namespace

TEST(TaskDefinition, TellsWhenATaskRunsAndEachProgramItStarts)
{
    const struct {
        const char* what;
        std::string definition;
        std::string said;
    } cases[] = {
        {"a log-on trigger", Task("<LogonTrigger><UserId>anna</UserId></LogonTrigger>", kExec),
         "log-on enabled | \"C:\\Program Files\\Sync\\sync.exe\" /quiet"},
        {"a boot trigger", Task("<BootTrigger><Enabled>true</Enabled></BootTrigger>", kExec),
         "boot enabled | \"C:\\Program Files\\Sync\\sync.exe\" /quiet"},
        {"a daily trigger only", Task("<CalendarTrigger><ScheduleByDay/></CalendarTrigger>", kExec),
         "enabled | \"C:\\Program Files\\Sync\\sync.exe\" /quiet"},
        {"a disabled log-on trigger beside a boot one",
         Task("<LogonTrigger><Enabled>false</Enabled></LogonTrigger><BootTrigger/>", kExec),
         "boot enabled | \"C:\\Program Files\\Sync\\sync.exe\" /quiet"},
        {"two actions, one of them no program",
         Task("<LogonTrigger/>", kExec + "<SendEmail/><Exec><Command>\"C:\\a b\\up.exe\"</Command></Exec>"
                                      "<Exec><Command> </Command></Exec>"),
         "log-on enabled | \"C:\\Program Files\\Sync\\sync.exe\" /quiet | \"C:\\a b\\up.exe\""},
        {"a hidden task switched off",
         Task("<LogonTrigger/>", kExec, "<Enabled>false</Enabled><Hidden>true</Hidden>"),
         "log-on disabled hidden | \"C:\\Program Files\\Sync\\sync.exe\" /quiet"},
        {"a command with a stray quote",
         Task("<LogonTrigger/>", "<Exec><Command>C:\\Tools\\odd\"name.exe</Command></Exec>"),
         "log-on enabled | C:\\Tools\\odd\"name.exe"},
        {"a document that is not a task", "<Package><Triggers><LogonTrigger/></Triggers></Package>", "none"},
        {"broken XML", Task("<LogonTrigger>", kExec), "none"},
        {"a document type", "<!DOCTYPE Task [<!ENTITY x \"x\">]>" + Task("<LogonTrigger/>", kExec), "none"},
        {"more than a megabyte",
         Task("<LogonTrigger/>", "<Exec><Command>" + std::string(kLargestTaskBytes, 'x') + "</Command></Exec>"),
         "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Said(c.definition), c.said) << c.what;
    EXPECT_TRUE(Parse(Task("<BootTrigger/>", kExec))) << "UTF-8 as well";
}
