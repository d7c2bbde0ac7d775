// The templates of the grids' dialogs: the font dialog (302), the appearance dialog (1007) and
// the column profile (9002).
#pragma once

void RegisterGridDialogTemplates();
