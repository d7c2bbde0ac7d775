#include "Low.h"
#include "High.h"

int Low() { return High() - 1; }
