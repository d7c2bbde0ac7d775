// Bitmaps the terminal carries in its own resources and the library loads from there:
// the three 9 x 5 sort arrows of list headers (131 ascending, 132 descending, 133 the mark
// a column keeps after its sort moved elsewhere). Black is drawn in the button-text colour
// and white is transparent.
#pragma once

void RegisterAppBitmaps();
