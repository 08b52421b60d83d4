#pragma once
// The root of every object that receives commands or window messages.

#include "MessageMap.h"
#include "RuntimeClass.h"

// Handler information of command routing; no caller here asks for it.
struct AFX_CMDHANDLERINFO;

// The notification code of menu and accelerator commands.
constexpr int CN_COMMAND = 0;

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    static const CRuntimeClass* GetThisClass();
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* pClass) const;

    // Offers a command to this object's message map; TRUE when handled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

protected:
    // Walks this class's message map, then its base classes'. The message-map
    // macros write the override of every class that has a map.
    virtual bool ProcessWindowMessage(const fw::Message& message, LRESULT& result);
};
