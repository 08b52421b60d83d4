#pragma once
// Services for the benchmarks, made in the prefix's own Service Control
// Manager, named PREFIX0, PREFIX1, ...: as a Windows machine has them, most
// run in a shared host with a DLL of their own, the others in a process of
// their own; their programs are FOLDER\signed-N.exe and unsigned-N.exe.

#include <string>

// `automaticEvery`: one in that many starts automatically, the others on
// demand. False if a service could not be made.
bool MakeBenchServices(const std::wstring& prefix, int count, int automaticEvery, const std::wstring& folder);
void RemoveBenchServices(const std::wstring& prefix, int count);
