// The templates of the console's own dialogs.
#pragma once

void RegisterConsoleResources();
