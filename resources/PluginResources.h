// The dialog templates the library carries, registered with the window library's
// resources when the library starts.
#pragma once

void RegisterPluginResources();
