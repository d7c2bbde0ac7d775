// CObject and run-time class information: class names, IsKindOf, and creation of a
// registered class by its name.
#pragma once

#include "winlib/WinDef.h"

class CObject;

struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();   // null: the class cannot be created by name
    CRuntimeClass* (*m_pfnGetBaseClass)(); // null for CObject

    CRuntimeClass* BaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
    CObject* CreateObject() const;

    // Classes register themselves when their module loads (IMPLEMENT_DYNAMIC and friends).
    static CRuntimeClass* FromName(LPCSTR className);
    static CObject* CreateObject(LPCSTR className);
    static void Register(CRuntimeClass* cls);
    static void Unregister(CRuntimeClass* cls);
};

// Keeps a class in the by-name registry for the life of its module.
struct AFX_CLASSINIT
{
    explicit AFX_CLASSINIT(CRuntimeClass* cls) : m_pClass(cls) { CRuntimeClass::Register(cls); }
    ~AFX_CLASSINIT() { CRuntimeClass::Unregister(m_pClass); }
    AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
    AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;
    CRuntimeClass* m_pClass;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                                                          \
public:                                                                                                      \
    static CRuntimeClass* GetThisClass();                                                                    \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                                        \
    DECLARE_DYNAMIC(class_name)                                                                              \
    static CObject* CreateObject();

#define WINLIB_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                                    \
    CRuntimeClass* class_name::GetThisClass()                                                                \
    {                                                                                                        \
        static CRuntimeClass cls{#class_name, static_cast<int>(sizeof(class_name)), pfnNew,                  \
                                 &base_class_name::GetThisClass};                                            \
        return &cls;                                                                                         \
    }                                                                                                        \
    CRuntimeClass* class_name::GetRuntimeClass() const { return class_name::GetThisClass(); }                \
    static const AFX_CLASSINIT _init_##class_name(class_name::GetThisClass());

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                       \
    WINLIB_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                                     \
    CObject* class_name::CreateObject() { return new class_name; }                                           \
    WINLIB_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)

class CObject
{
public:
    virtual ~CObject() = default;
    static CRuntimeClass* GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* cls) const;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
