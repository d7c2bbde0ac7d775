// The dialog templates of the filter list: its value picker (1010) and the dialog that adds and
// deletes user-defined columns (1008).
#pragma once

void RegisterFilterListTemplates();
