// Arithmetic on the text of a user-defined column once its column references hold cell values, for
// example 12.5*(3+4): an operator-precedence pass to postfix form, then a pass over a stack of doubles.
#pragma once

#include <string>
#include <string_view>

// Result codes of EvaluateExpression and of both passes.
constexpr int EXPR_OK = 0;
constexpr int EXPR_UNBALANCED = 1;       // unbalanced parentheses, or an operator without two operands
constexpr int EXPR_UNDEFINED = 2;        // remainder by 0, or an integer operator on a value beyond 64 bits
constexpr int EXPR_NOT_A_NUMBER = 3;     // a token that is no number; also an expression with no number
constexpr int EXPR_VALUES_LEFT_OVER = 4; // more values than operators could combine

// Converts and evaluates; the first non-zero code, or 0. dResult is written only when the evaluation
// runs to its end (codes 0 and 4; with 4 it holds the last value on the stack).
int EvaluateExpression(const std::string& strExpression, double& dResult);

// The operator whose text equals the whole run of operator characters ("<>=*/%+-^&|\") at the start of
// text: its identifier, 1 to 21; -1 when the run is empty or equals no operator (so "*-" is none).
int FindOperator(std::string_view text);

// Length of the operand at the start of text: a run of letters, digits and "."; a first character
// outside that set is taken anyway, which takes in a leading sign.
int TokenLength(std::string_view text);

// The two passes, for callers and tests that need them apart. The postfix text separates tokens with
// single blanks and wraps a signed operand in parentheses, as in "5 (-2) *".
int InfixToPostfix(std::string_view infix, std::string& postfix);
int EvaluatePostfix(std::string_view postfix, double& dResult);
