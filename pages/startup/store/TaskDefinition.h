#pragma once
// What a scheduled task's definition (the Task Scheduler's XML, as it keeps
// it in a file of %windir%\System32\Tasks and gives it out) says of the
// programs it starts with Windows: whether it runs at log-on or at boot, and
// the programs of its Exec actions. Read as SafeXml reads any document: a
// broken or hostile definition is none.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TaskProgram {
    std::wstring command;   // Exec/Command, as written
    std::wstring arguments; // Exec/Arguments
};

struct TaskDefinition {
    bool atLogOn = false; // an enabled LogonTrigger
    bool atBoot = false;  // an enabled BootTrigger
    bool enabled = true;  // Settings/Enabled: the task itself may be switched off
    bool hidden = false;  // Settings/Hidden
    std::vector<TaskProgram> programs;
};

// The largest definition read; real ones are a few kilobytes.
constexpr std::size_t kLargestTaskBytes = 1 << 20;

// The definition in `bytes` (UTF-16 with its mark, as the Task Scheduler
// writes it, or any encoding XML allows); nothing when it is not a Task
// element's well-formed document, declares a document type, nests too deep
// or is too large.
std::optional<TaskDefinition> ParseTaskDefinition(const std::uint8_t* bytes, std::size_t size);

