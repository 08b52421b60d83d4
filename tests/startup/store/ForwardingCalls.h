#pragma once
// The registry, file and service calls of a move, passed on to the system unless a
// test says otherwise, in place for as long as the object lives. Windows'
// own start-up switches are honoured, as on Windows 8 and later, whatever
// version Wine reports.

#include "pages/startup/store/StartupMoves.h"

class ForwardingCalls : public StartupCalls {
public:
    ForwardingCalls() { SetStartupCallsForTesting(this); }
    ~ForwardingCalls() override { SetStartupCallsForTesting(nullptr); }
    ForwardingCalls(const ForwardingCalls&) = delete;
    ForwardingCalls& operator=(const ForwardingCalls&) = delete;

    LONG CreateKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) override
    {
        return Pass() ? Real().CreateKey(hive, path, view, key) : ERROR_ACCESS_DENIED;
    }
    LONG OpenKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) override
    {
        return Pass() ? Real().OpenKey(hive, path, view, key) : ERROR_ACCESS_DENIED;
    }
    LONG QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return Pass() ? Real().QueryValue(key, name, type, data, size) : ERROR_ACCESS_DENIED;
    }
    LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return Pass() ? Real().SetValue(key, name, type, data, size) : ERROR_ACCESS_DENIED;
    }
    LONG DeleteValue(HKEY key, const wchar_t* name) override
    {
        return Pass() ? Real().DeleteValue(key, name) : ERROR_ACCESS_DENIED;
    }
    LONG CreateFolder(const wchar_t* path) override { return Pass() ? Real().CreateFolder(path) : ERROR_ACCESS_DENIED; }
    LONG RenameFile(const wchar_t* from, const wchar_t* to) override
    {
        return Pass() ? Real().RenameFile(from, to) : ERROR_ACCESS_DENIED;
    }
    LONG RemoveFile(const wchar_t* path) override { return Pass() ? Real().RemoveFile(path) : ERROR_ACCESS_DENIED; }
    bool HonoursWindowsSwitches() override { return !m_withoutSwitches; }
    LONG OpenService(const wchar_t* name, SC_HANDLE* service) override
    {
        return Pass() ? Real().OpenService(name, service) : ERROR_ACCESS_DENIED;
    }
    LONG ChangeServiceStart(SC_HANDLE service, DWORD startType, bool delayed) override
    {
        return Pass() ? Real().ChangeServiceStart(service, startType, delayed) : ERROR_ACCESS_DENIED;
    }

    // Windows before 8, which keeps no start-up switches of its own.
    void WithoutWindowsSwitches() { m_withoutSwitches = true; }

protected:
    // Whether the next call goes through; a call that does not fails without
    // touching anything.
    virtual bool Pass() { return true; }

private:
    static StartupCalls& Real() { return SystemStartupCalls(); }
    bool m_withoutSwitches = false;
};

// Passes calls on, except call number `failAt` (counted from 1) and, where
// given, `alsoAt`, which fail without touching anything, as changes the
// system denies; what undoes the steps before them still goes through unless
// it is the other one.
class FailingCalls final : public ForwardingCalls {
public:
    explicit FailingCalls(int failAt, int alsoAt = 0) : m_failAt(failAt), m_alsoAt(alsoAt) {}
    bool Failed() const { return m_calls >= m_failAt; }
    bool FailedBoth() const { return m_calls >= m_failAt && m_calls >= m_alsoAt; }

private:
    bool Pass() override
    {
        ++m_calls;
        return m_calls != m_failAt && m_calls != m_alsoAt;
    }
    int m_failAt;
    int m_alsoAt;
    int m_calls = 0;
};

// Passes the first `calls` calls on and fails every later one without
// touching anything: the program ended after them.
class EndingCalls final : public ForwardingCalls {
public:
    explicit EndingCalls(int calls) : m_last(calls) {}
    bool Ended() const { return m_calls > m_last; }

private:
    bool Pass() override { return ++m_calls <= m_last; }
    int m_last;
    int m_calls = 0;
};
