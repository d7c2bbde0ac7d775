// The table a host script's steps are looked up in: an action's name and what runs it. The
// runner and each set of actions (server, console, windows) put theirs into one table when the
// runner is made, so that a step is one look-up whatever set its action belongs to.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <unordered_map>

namespace host
{

// Runs one step: 'action' is the name it was found under (names that differ in one word share a
// handler), 'argument' the rest of the line. Whether the step held.
using ScriptAction = std::function<bool(const std::string& action, const std::string& argument)>;

class ScriptActionTable
{
public:
    // A name can be given once: a second handler under it would take the first one's steps
    // away unnoticed, and which one ran would depend on the order the sets were put in.
    void Add(const std::string& name, ScriptAction action);
    void Add(std::initializer_list<const char*> names, const ScriptAction& action);

    // Null when no action has the name.
    const ScriptAction* Find(const std::string& name) const;
    std::size_t Size() const { return m_actions.size(); }

private:
    std::unordered_map<std::string, ScriptAction> m_actions;
};

// A member function of 'owner' as a table's action: one that needs the argument only, or one
// that needs the name too.
template <class Owner> ScriptAction Bound(Owner* owner, bool (Owner::*run)(const std::string& argument))
{
    return [owner, run](const std::string&, const std::string& argument) { return (owner->*run)(argument); };
}
template <class Owner>
ScriptAction Bound(Owner* owner, bool (Owner::*run)(const std::string& action, const std::string& argument))
{
    return [owner, run](const std::string& action, const std::string& argument)
    { return (owner->*run)(action, argument); };
}

} // namespace host
