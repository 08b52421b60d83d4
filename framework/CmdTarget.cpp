#include "CmdTarget.h"

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == pBaseClass)
            return true;
    return false;
}

CCmdTarget* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

const CRuntimeClass* CCmdTarget::GetThisClass()
{
    static const CRuntimeClass info{"CCmdTarget", nullptr, nullptr};
    return &info;
}

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const
{
    return GetThisClass();
}

bool CCmdTarget::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void*, AFX_CMDHANDLERINFO*)
{
    const fw::Message command{WM_COMMAND, MAKEWPARAM(nID, nCode), 0};
    LRESULT ignored = 0;
    return ProcessWindowMessage(command, ignored);
}

bool CCmdTarget::ProcessWindowMessage(const fw::Message&, LRESULT&)
{
    return false;
}
