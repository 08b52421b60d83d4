#pragma once
// Run-time class information: a class's name, its base class and, for
// dynamically creatable classes, a factory.

class CCmdTarget;

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
    CCmdTarget* (*m_pfnCreateObject)(); // null unless the class is dynamically creatable

    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    // A new object of the class, or null when it cannot be created dynamically.
    CCmdTarget* CreateObject() const;
};

#define RUNTIME_CLASS(theClass) (theClass::GetThisClass())

#define DECLARE_DYNAMIC(theClass)                                 \
public:                                                           \
    static const CRuntimeClass* GetThisClass();                   \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(theClass) DECLARE_DYNAMIC(theClass)

#define FW_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, factory)              \
    const CRuntimeClass* theClass::GetThisClass()                            \
    {                                                                        \
        static const CRuntimeClass info{#theClass, baseClass::GetThisClass(), \
                                        factory};                            \
        return &info;                                                        \
    }                                                                        \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return GetThisClass(); }

#define IMPLEMENT_DYNAMIC(theClass, baseClass) \
    FW_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass)            \
    FW_IMPLEMENT_RUNTIMECLASS(theClass, baseClass,          \
                              []() -> CCmdTarget* { return new theClass; })
