#include "host/ScriptActions.h"

#include <stdexcept>

namespace host
{

void ScriptActionTable::Add(const std::string& name, ScriptAction action)
{
    if (!m_actions.emplace(name, std::move(action)).second)
        throw std::logic_error("the script action '" + name + "' is there twice");
}

void ScriptActionTable::Add(std::initializer_list<const char*> names, const ScriptAction& action)
{
    for (const char* name : names)
        Add(name, action);
}

const ScriptAction* ScriptActionTable::Find(const std::string& name) const
{
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : &it->second;
}

} // namespace host
