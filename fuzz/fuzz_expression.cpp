// Any text must give one of the documented result codes, and the two passes run apart must agree
// with the whole.
#include "grid/ExpressionEvaluator.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    double value = 0;
    const int code = EvaluateExpression(text, value);
    if (code < EXPR_OK || code > EXPR_VALUES_LEFT_OVER)
        __builtin_trap();

    std::string postfix;
    const int conversion = InfixToPostfix(text, postfix);
    double again = 0;
    const int evaluation = conversion == EXPR_OK ? EvaluatePostfix(postfix, again) : conversion;
    if (evaluation != code)
        __builtin_trap();

    // The evaluation pass must also survive text that no conversion produced.
    EvaluatePostfix(text, again);
    if (TokenLength(text) > static_cast<int>(size))
        __builtin_trap();
    FindOperator(text);
    return 0;
}
