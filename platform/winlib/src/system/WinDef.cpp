#include "winlib/WinDef.h"

#include <cstdlib>

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    // Round half away from zero, in the sign of the exact quotient.
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    const long long result = negative ? -magnitude : magnitude;
    if (result > 0x7FFFFFFFLL || result < -0x80000000LL)
        return -1;
    return static_cast<int>(result);
}
