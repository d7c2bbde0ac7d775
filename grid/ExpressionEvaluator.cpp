#include "grid/ExpressionEvaluator.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Both passes are loops over heap-allocated stacks, never recursion: however deeply an expression
// nests, it costs memory in proportion to its length and cannot exhaust the call stack.

namespace
{
struct Operator
{
    std::string_view text;
    int strength; // a larger number binds tighter
};

// The identifier of an operator is its place here. Entry 0 holds the characters an operator is made
// of; "!" is not among them, so the operators that start with it are never found in a text.
constexpr std::array<Operator, 22> kOperators{{
    {"<>=*/%+-^&|\\", 0},
    {"*", 19},
    {"/", 19},
    {"\\", 19},
    {"%", 18},
    {"<<", 17},
    {">>", 17},
    {"-", 16},
    {"+", 16},
    {"^", 15},
    {"&", 15},
    {"|", 15},
    {"!|", 15},
    {"&&", 14},
    {"||", 14},
    {"!&", 15},
    {"==", 13},
    {"<", 13},
    {">", 13},
    {">=", 13},
    {"!=", 13},
    {"<=", 13},
}};

enum OperatorId
{
    OP_MULTIPLY = 1,
    OP_DIVIDE,
    OP_QUOTIENT,
    OP_REMAINDER,
    OP_SHIFT_LEFT,
    OP_SHIFT_RIGHT,
    OP_SUBTRACT,
    OP_ADD,
    OP_XOR,
    OP_AND,
    OP_OR,
    OP_NOT_OR,
    OP_LOGICAL_AND,
    OP_LOGICAL_OR,
    OP_NOT_AND,
    OP_EQUAL,
    OP_LESS,
    OP_GREATER,
    OP_GREATER_EQUAL,
    OP_NOT_EQUAL,
    OP_LESS_EQUAL,
};

bool IsOperatorChar(char c)
{
    return c != '\0' && kOperators[0].text.find(c) != std::string_view::npos;
}

bool IsOperandChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int Strength(std::string_view token)
{
    const int id = FindOperator(token);
    return id > 0 ? kOperators[id].strength : 1;
}

// Truncation towards zero; false when the value has no 64-bit integer (NaN, infinite, too large),
// where a plain conversion would be undefined.
bool ToInt64(double value, std::int64_t& result)
{
    const double truncated = std::trunc(value);
    if (!(truncated >= -9223372036854775808.0 && truncated < 9223372036854775808.0))
        return false;
    result = static_cast<std::int64_t>(truncated);
    return true;
}

// b mod 32, taken non-negative so that a negative count still names a valid shift.
int ShiftCount(std::int64_t b)
{
    return static_cast<int>(((b % 32) + 32) % 32);
}

int Apply(int id, double a, double b, double& result)
{
    switch (id)
    {
    case OP_MULTIPLY:
        result = a * b;
        return EXPR_OK;
    case OP_DIVIDE:
        result = a / b;
        return EXPR_OK;
    case OP_QUOTIENT:
        result = std::trunc(a / b);
        return EXPR_OK;
    case OP_SUBTRACT:
        result = a - b;
        return EXPR_OK;
    case OP_ADD:
        result = a + b;
        return EXPR_OK;
    case OP_LOGICAL_AND:
        result = (a != 0 && b != 0) ? 1 : 0;
        return EXPR_OK;
    case OP_LOGICAL_OR:
        result = (a == 0 && b == 0) ? 0 : 1;
        return EXPR_OK;
    case OP_EQUAL:
        result = a == b ? 1 : 0;
        return EXPR_OK;
    case OP_LESS:
        result = a < b ? 1 : 0;
        return EXPR_OK;
    case OP_GREATER:
        result = a > b ? 1 : 0;
        return EXPR_OK;
    case OP_GREATER_EQUAL:
        result = a >= b ? 1 : 0;
        return EXPR_OK;
    case OP_NOT_EQUAL:
        result = a != b ? 1 : 0;
        return EXPR_OK;
    case OP_LESS_EQUAL:
        result = a <= b ? 1 : 0;
        return EXPR_OK;
    default:
        break;
    }

    // The rest work on the operands truncated to 64-bit integers.
    std::int64_t x = 0;
    std::int64_t y = 0;
    if (!ToInt64(a, x) || !ToInt64(b, y))
        return EXPR_UNDEFINED;
    switch (id)
    {
    case OP_REMAINDER:
        if (y == 0)
            return EXPR_UNDEFINED;
        result = static_cast<double>(y == -1 ? 0 : x % y); // INT64_MIN % -1 would overflow
        return EXPR_OK;
    case OP_SHIFT_LEFT:
    {
        // a as a 32-bit integer; shifted as unsigned so that bits leaving the top are simply lost.
        const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(x)) << ShiftCount(y);
        result = static_cast<double>(static_cast<std::int32_t>(bits));
        return EXPR_OK;
    }
    case OP_SHIFT_RIGHT:
        result = static_cast<double>(x >> ShiftCount(y)); // arithmetic: the sign is kept
        return EXPR_OK;
    case OP_XOR:
        result = static_cast<double>(x ^ y);
        return EXPR_OK;
    case OP_AND:
        result = static_cast<double>(x & y);
        return EXPR_OK;
    case OP_OR:
        result = static_cast<double>(x | y);
        return EXPR_OK;
    case OP_NOT_OR:
        result = static_cast<double>(~(x | y));
        return EXPR_OK;
    case OP_NOT_AND:
        result = static_cast<double>(~(x & y));
        return EXPR_OK;
    default:
        return EXPR_UNBALANCED; // not reached: every identifier is handled above
    }
}
} // namespace

int FindOperator(std::string_view text)
{
    std::size_t run = 0;
    while (run < text.size() && IsOperatorChar(text[run]))
        ++run;
    if (run == 0)
        return -1;
    const std::string_view candidate = text.substr(0, run);
    for (int id = 1; id < static_cast<int>(kOperators.size()); ++id)
    {
        if (kOperators[id].text == candidate)
            return id;
    }
    return -1;
}

int TokenLength(std::string_view text)
{
    if (text.empty())
        return 0;
    std::size_t length = 1;
    while (length < text.size() && IsOperandChar(text[length]))
        ++length;
    return static_cast<int>(length);
}

int InfixToPostfix(std::string_view infix, std::string& postfix)
{
    postfix.clear();
    std::vector<std::string_view> stack; // "(" and operator texts
    std::string_view lastToken;          // the last operand or operator taken from the text
    auto append = [&postfix](std::string_view token)
    {
        if (!postfix.empty())
            postfix += ' ';
        postfix += token;
    };

    std::size_t i = 0;
    while (i < infix.size())
    {
        const char c = infix[i];
        if (IsSpace(c))
        {
            ++i;
            continue;
        }
        if (c == '(')
        {
            stack.push_back("(");
            ++i;
            continue;
        }
        if (c == ')')
        {
            for (;;)
            {
                if (stack.empty())
                    return EXPR_UNBALANCED;
                const std::string_view top = stack.back();
                stack.pop_back();
                if (top == "(")
                    break;
                append(top);
            }
            ++i;
            continue;
        }

        const std::string_view rest = infix.substr(i);
        const int id = FindOperator(rest);
        bool sign = false;
        if (id > 0)
        {
            // A sign when nothing stands before it, or an operator does. The look-back takes the
            // whole run of operator characters there: in 5* -2 it finds "*" and the "-" is a sign,
            // but in 5*-2 the run "*-" is no operator, so the "*" was taken as an operand and the
            // "-" is binary. 5*-2 thus ends in code 1 rather than a quietly wrong number; write
            // 5* -2 or 5*(-2).
            std::size_t previous = i;
            while (previous > 0 && IsSpace(infix[previous - 1]))
                --previous;
            sign = previous == 0 || FindOperator(infix.substr(previous - 1)) > 0;
        }

        if (id <= 0 || sign)
        {
            const int length = TokenLength(rest);
            if (length == 0)
                return EXPR_NOT_A_NUMBER;
            const std::string_view token = rest.substr(0, static_cast<std::size_t>(length));
            if (sign)
                append(std::string("(").append(token).append(")"));
            else
                append(token);
            lastToken = token;
            i += static_cast<std::size_t>(length);
            continue;
        }

        // A binary operator with nothing on its left (first in the text, or right behind another
        // one-character operator) gets the left operand 0: (-3) reads as (0-3).
        if (postfix.empty() || (lastToken.size() == 1 && FindOperator(lastToken) > 0))
            append("0");
        const Operator& op = kOperators[id];
        while (!stack.empty() && stack.back() != "(" && Strength(stack.back()) >= op.strength)
        {
            append(stack.back());
            stack.pop_back();
        }
        stack.push_back(op.text);
        lastToken = op.text;
        i += op.text.size();
    }

    while (!stack.empty())
    {
        if (stack.back() == "(")
            return EXPR_UNBALANCED;
        append(stack.back());
        stack.pop_back();
    }
    return EXPR_OK;
}

int EvaluatePostfix(std::string_view postfix, double& dResult)
{
    std::vector<double> stack;
    std::size_t i = 0;
    while (i < postfix.size())
    {
        const char c = postfix[i];
        if (c == ' ' || c == '(' || c == ')')
        {
            ++i;
            continue;
        }
        const std::string_view rest = postfix.substr(i);
        const int id = FindOperator(rest);
        // Right behind "(" an operator character is the sign of an operand such as (-5).
        if (id > 0 && (i == 0 || postfix[i - 1] != '('))
        {
            if (stack.size() < 2)
                return EXPR_UNBALANCED;
            const double b = stack.back();
            stack.pop_back();
            const double a = stack.back();
            stack.pop_back();
            double result = 0;
            if (const int code = Apply(id, a, b, result); code != EXPR_OK)
                return code;
            stack.push_back(result);
            i += kOperators[id].text.size();
            continue;
        }
        const auto length = static_cast<std::size_t>(TokenLength(rest));
        const std::string token(rest.substr(0, length));
        char* end = nullptr;
        const double value = std::strtod(token.c_str(), &end);
        if (end != token.c_str() + token.size())
            return EXPR_NOT_A_NUMBER;
        stack.push_back(value);
        i += length;
    }
    // An expression of blanks and parentheses only leaves nothing to take: no number was given.
    if (stack.empty())
        return EXPR_NOT_A_NUMBER;
    dResult = stack.back();
    return stack.size() > 1 ? EXPR_VALUES_LEFT_OVER : EXPR_OK;
}

int EvaluateExpression(const std::string& strExpression, double& dResult)
{
    std::string postfix;
    if (const int code = InfixToPostfix(strExpression, postfix); code != EXPR_OK)
        return code;
    return EvaluatePostfix(postfix, dResult);
}
