#include "winlib/Object.h"

#include <cstring>
#include <map>
#include <string>

namespace
{
std::map<std::string, CRuntimeClass*>& Registry()
{
    static std::map<std::string, CRuntimeClass*> registry;
    return registry;
}
} // namespace

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* cls = this; cls; cls = cls->BaseClass())
    {
        if (cls == base)
            return TRUE;
    }
    return FALSE;
}

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

CRuntimeClass* CRuntimeClass::FromName(LPCSTR className)
{
    if (!className)
        return nullptr;
    const auto it = Registry().find(className);
    return it == Registry().end() ? nullptr : it->second;
}

CObject* CRuntimeClass::CreateObject(LPCSTR className)
{
    const CRuntimeClass* cls = FromName(className);
    return cls ? cls->CreateObject() : nullptr;
}

void CRuntimeClass::Register(CRuntimeClass* cls) { Registry()[cls->m_lpszClassName] = cls; }

void CRuntimeClass::Unregister(CRuntimeClass* cls)
{
    const auto it = Registry().find(cls->m_lpszClassName);
    if (it != Registry().end() && it->second == cls)
        Registry().erase(it);
}

CRuntimeClass* CObject::GetThisClass()
{
    static CRuntimeClass cls{"CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr};
    return &cls;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

static const AFX_CLASSINIT _init_CObject(CObject::GetThisClass());
