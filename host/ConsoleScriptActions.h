// Host-script actions that work the console as a checker does: rows of the request list found
// by their key, opened by a double click and ticked by their check box, the detail grid read and
// edited in place, the rejection reason typed into its dialog. Everything goes through the
// console's windows and real input, nothing through the plug-in's code. See docs/host.md.
#pragma once

#include "host/HostApp.h"
#include "host/ScriptActions.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace host
{

class ConsoleScriptActions
{
public:
    // 'key' turns a script's key word ("last", "100042") into a request key.
    ConsoleScriptActions(CKivoHostApp& app,
                         std::function<std::optional<std::string>(const std::string&)> key);
    ~ConsoleScriptActions();
    ConsoleScriptActions(const ConsoleScriptActions&) = delete;
    ConsoleScriptActions& operator=(const ConsoleScriptActions&) = delete;

    // Puts these actions into the script's table.
    void AddActions(ScriptActionTable& table);
    // True while a dialog's answer is being typed: the keys are pumped one by one, and the
    // script's next step must wait until the dialog has its whole answer.
    bool IsAnswering() const { return m_bAnswering; }

private:
    HWND RequestList() const;
    HWND DetailGrid() const;
    // The row of the request list that shows the key; -1 when none does.
    int RowOf(const std::string& key) const;
    // The list shows every pending request the checker may decide, once, and nothing else.
    bool ExpectPendingListed(const std::function<bool(const std::string&)>& fail) const;
    // A script's key word as a request key; "noted" is the row noted under the pointer.
    std::optional<std::string> KeyNamed(const std::string& word) const;

    bool ExpectBeeps(const std::string& action, const std::string& argument);
    bool PrintRows(const std::string& argument);
    bool PrintDetails(const std::string& argument);
    bool NoteRowUnderPointer(const std::string& action, const std::string& argument);
    bool PrintRect(const std::string& action, const std::string& argument);
    bool ExpectNewestFirst(const std::string& action, const std::string& argument);
    // The actions on a request's row, found by its key.
    bool OnRow(const std::string& action, const std::string& argument);
    bool ClickRow(const std::string& action, const std::string& argument, HWND list, int row);
    // The actions on a line of the detail grid, found by its field.
    bool OnDetail(const std::string& action, const std::string& argument);

    CKivoHostApp& m_app;
    std::function<std::optional<std::string>(const std::string&)> m_key;
    std::deque<std::string> m_dialogTexts;
    std::size_t m_beepsSeen = 0;
    std::string m_notedKey; // note-row-under-pointer: the key "noted" names
    bool m_bAnswering = false;
};

} // namespace host
