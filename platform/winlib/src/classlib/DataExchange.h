// Dialog data exchange for windows of the class library that exchange data without being
// CDialog (dialog bars, form views).
#pragma once

#include "winlib/Dialog.h"

#include <functional>

namespace winlib::detail
{

// Runs a data exchange as CDialog::UpdateData does; false when a field failed validation.
bool RunDataExchange(CWnd* window, BOOL saveAndValidate, const std::function<void(CDataExchange*)>& exchange);

} // namespace winlib::detail
