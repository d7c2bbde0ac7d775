#include "High.h"
#include "Low.h"
#include "winlib/Api.h"

int High() { return 2; }
