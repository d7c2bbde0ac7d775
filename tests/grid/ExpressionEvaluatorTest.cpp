#include "grid/ExpressionEvaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
// Evaluates and returns the code; the value goes to value only when the evaluator writes it.
int Eval(const std::string& text, double& value)
{
    value = 12345.0;
    return EvaluateExpression(text, value);
}

double ValueOf(const std::string& text)
{
    double value = 0;
    EXPECT_EQ(Eval(text, value), EXPR_OK) << text;
    return value;
}

std::string Postfix(const std::string& text)
{
    std::string postfix;
    EXPECT_EQ(InfixToPostfix(text, postfix), EXPR_OK) << text;
    return postfix;
}

TEST(ExpressionEvaluator, PrecedenceAndLeftGrouping)
{
    EXPECT_DOUBLE_EQ(ValueOf("2*3+4"), 10);
    EXPECT_DOUBLE_EQ(ValueOf("2+3*4"), 14);
    EXPECT_DOUBLE_EQ(ValueOf("8-3-2"), 3);
    EXPECT_DOUBLE_EQ(ValueOf("12.5*(3+4)"), 87.5);
    EXPECT_DOUBLE_EQ(ValueOf(" 16 / 4 / 2 "), 2);
    EXPECT_EQ(Postfix("8-3-2"), "8 3 - 2 -");
    EXPECT_EQ(Postfix("2*3+4"), "2 3 * 4 +");
}

TEST(ExpressionEvaluator, DivisionQuotientAndRemainder)
{
    EXPECT_DOUBLE_EQ(ValueOf("7/2"), 3.5);
    EXPECT_DOUBLE_EQ(ValueOf("7\\2"), 3);
    EXPECT_DOUBLE_EQ(ValueOf("-7\\2"), -3);
    EXPECT_DOUBLE_EQ(ValueOf("7%3"), 1);
    EXPECT_DOUBLE_EQ(ValueOf("7.9%3.9"), 1); // both truncated first
    EXPECT_TRUE(std::isinf(ValueOf("7/0")));
}

TEST(ExpressionEvaluator, RemainderBindsLooserThanMultiplicationAndTighterThanPlus)
{
    EXPECT_DOUBLE_EQ(ValueOf("7%3*2"), 1); // 7 % (3*2)
    EXPECT_EQ(Postfix("7%3*2"), "7 3 2 * %");
    EXPECT_DOUBLE_EQ(ValueOf("2*7%4"), 2); // (2*7) % 4
    EXPECT_DOUBLE_EQ(ValueOf("7%4+1"), 4); // (7%4) + 1
    EXPECT_DOUBLE_EQ(ValueOf("1+7%4"), 4);
}

TEST(ExpressionEvaluator, CaretIsExclusiveOrAndBindsLooserThanPlus)
{
    EXPECT_DOUBLE_EQ(ValueOf("3^1"), 2);
    EXPECT_DOUBLE_EQ(ValueOf("2+3^1"), 4);
    EXPECT_DOUBLE_EQ(ValueOf("6&3"), 2);
    EXPECT_DOUBLE_EQ(ValueOf("6|3"), 7);
}

TEST(ExpressionEvaluator, ShiftsTakeTheCountModuloThirtyTwo)
{
    EXPECT_DOUBLE_EQ(ValueOf("1<<4"), 16);
    EXPECT_DOUBLE_EQ(ValueOf("1<<31"), -2147483648.0); // a is a 32-bit integer
    EXPECT_DOUBLE_EQ(ValueOf("3<<32"), 3);
    EXPECT_DOUBLE_EQ(ValueOf("1<<(0-1)"), -2147483648.0); // -1 mod 32 is 31
    EXPECT_DOUBLE_EQ(ValueOf("4294967297<<1"), 2);        // cut to 32 bits before the shift
    EXPECT_DOUBLE_EQ(ValueOf("-8>>1"), -4);               // arithmetic
    EXPECT_DOUBLE_EQ(ValueOf("-1>>40"), -1);
}

TEST(ExpressionEvaluator, LogicalAndComparisonOperators)
{
    EXPECT_DOUBLE_EQ(ValueOf("1&&0"), 0);
    EXPECT_DOUBLE_EQ(ValueOf("2&&3"), 1);
    EXPECT_DOUBLE_EQ(ValueOf("0||0"), 0);
    EXPECT_DOUBLE_EQ(ValueOf("0||5"), 1);
    EXPECT_DOUBLE_EQ(ValueOf("2==2"), 1);
    EXPECT_DOUBLE_EQ(ValueOf("2<3"), 1);
    EXPECT_DOUBLE_EQ(ValueOf("2>3"), 0);
    EXPECT_DOUBLE_EQ(ValueOf("3>=3"), 1);
    EXPECT_DOUBLE_EQ(ValueOf("4<=3"), 0);
    EXPECT_DOUBLE_EQ(ValueOf("1+1==2"), 1); // comparisons bind loosest
    double value = 0;
    EXPECT_EQ(Eval("1!=2", value), EXPR_NOT_A_NUMBER); // "!" is no operator character
}

TEST(ExpressionEvaluator, SignAfterABlankBelongsToTheOperand)
{
    EXPECT_EQ(Postfix("5* -2"), "5 (-2) *");
    EXPECT_DOUBLE_EQ(ValueOf("5* -2"), -10);
    EXPECT_DOUBLE_EQ(ValueOf("-5+2"), -3);
    EXPECT_DOUBLE_EQ(ValueOf("1 - -2"), 3);
    EXPECT_DOUBLE_EQ(ValueOf("2*(-3)"), -6);
    EXPECT_DOUBLE_EQ(ValueOf("3+(-2)"), 1);
}

TEST(ExpressionEvaluator, LeadingSignInsideParenthesesTakesZeroAsItsLeftOperand)
{
    double value = 0;
    EXPECT_EQ(Eval("(-3)", value), EXPR_OK);
    EXPECT_DOUBLE_EQ(value, -3);
    EXPECT_EQ(Postfix("(-3)"), "0 3 -");
    EXPECT_DOUBLE_EQ(ValueOf("(-3)*2"), -6);
    EXPECT_DOUBLE_EQ(ValueOf("4+(-3)"), 1);
}

TEST(ExpressionEvaluator, SignDirectlyBehindAnOperatorIsAnError)
{
    // The run "*-" is no operator, so "*" is taken as an operand and "-" as binary with left
    // operand 0: the postfix form has a "*" with nothing on its left.
    EXPECT_EQ(Postfix("5*-2"), "5 * 0 2 -");
    double value = 0;
    EXPECT_EQ(Eval("5*-2", value), EXPR_UNBALANCED);
    EXPECT_EQ(value, 12345.0);
    EXPECT_EQ(Eval("5/-2", value), EXPR_UNBALANCED);
}

TEST(ExpressionEvaluator, UnbalancedParenthesesAndMissingOperands)
{
    double value = 0;
    EXPECT_EQ(Eval("(1+2", value), EXPR_UNBALANCED);
    EXPECT_EQ(Eval("1+2)", value), EXPR_UNBALANCED);
    EXPECT_EQ(Eval("1+", value), EXPR_UNBALANCED);
    EXPECT_EQ(Eval("*", value), EXPR_NOT_A_NUMBER); // a leading operator is a sign of nothing
    EXPECT_EQ(value, 12345.0);
}

TEST(ExpressionEvaluator, TokensThatAreNoNumbers)
{
    double value = 0;
    EXPECT_EQ(Eval("1a+2", value), EXPR_NOT_A_NUMBER);
    EXPECT_EQ(Eval("1,5+1", value), EXPR_NOT_A_NUMBER);
    EXPECT_EQ(Eval("\"3\"*2", value), EXPR_NOT_A_NUMBER);
    EXPECT_EQ(value, 12345.0);
}

TEST(ExpressionEvaluator, ValuesLeftOverStillGiveTheLastValue)
{
    double value = 0;
    EXPECT_EQ(Eval("1 2", value), EXPR_VALUES_LEFT_OVER);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(Eval("(1)(2+3)", value), EXPR_VALUES_LEFT_OVER);
    EXPECT_EQ(value, 5);
}

TEST(ExpressionEvaluator, UndefinedIntegerOperationsEndInCodeTwo)
{
    double value = 0;
    EXPECT_EQ(Eval("7%0", value), EXPR_UNDEFINED);
    EXPECT_EQ(Eval("7%0.9", value), EXPR_UNDEFINED); // truncates to 0
    EXPECT_EQ(Eval("1e300%7", value), EXPR_UNDEFINED);
    EXPECT_EQ(Eval("nan&1", value), EXPR_UNDEFINED);
    EXPECT_EQ(Eval("inf<<1", value), EXPR_UNDEFINED);
    EXPECT_EQ(Eval("9223372036854775808|0", value), EXPR_UNDEFINED);
    EXPECT_EQ(value, 12345.0);
    // The one remainder that overflows 64 bits is 0, not a fault.
    EXPECT_DOUBLE_EQ(ValueOf("(0-9223372036854775808)%(0-1)"), 0);
}

TEST(ExpressionEvaluator, EmptyBlankOrParenthesesOnlyIsNotANumber)
{
    double value = 0;
    for (const char* text : {"", "   ", "\t", "()", "( ( ) )"})
        EXPECT_EQ(Eval(text, value), EXPR_NOT_A_NUMBER) << '"' << text << '"';
    EXPECT_EQ(value, 12345.0);
}

TEST(ExpressionEvaluator, DeepAndLongInputsNeedNoRecursion)
{
    const int depth = 200000;
    const std::string nested = std::string(depth, '(') + "1+1" + std::string(depth, ')');
    EXPECT_DOUBLE_EQ(ValueOf(nested), 2);
    double value = 0;
    EXPECT_EQ(Eval(std::string(depth, '('), value), EXPR_UNBALANCED);
    std::string sum = "1";
    for (int i = 0; i < 100000; ++i)
        sum += "+1";
    EXPECT_DOUBLE_EQ(ValueOf(sum), 100001);
}

TEST(FindOperator, TheWholeRunOfOperatorCharactersMustMatch)
{
    EXPECT_EQ(FindOperator("*2"), 1);
    EXPECT_EQ(FindOperator("\\2"), 3);
    EXPECT_EQ(FindOperator("<<3"), 5);
    EXPECT_EQ(FindOperator("-"), 7);
    EXPECT_EQ(FindOperator("&& 1"), 13);
    EXPECT_EQ(FindOperator("<="), 21);
    EXPECT_EQ(FindOperator("<-"), -1);
    EXPECT_EQ(FindOperator("*-2"), -1);
    EXPECT_EQ(FindOperator("!="), -1);
    EXPECT_EQ(FindOperator("2*"), -1);
    EXPECT_EQ(FindOperator(""), -1);
}

TEST(TokenLength, CountsAFirstCharacterOfAnyKind)
{
    EXPECT_EQ(TokenLength("-5"), 2);
    EXPECT_EQ(TokenLength("12.5*3"), 4);
    EXPECT_EQ(TokenLength("1a+2"), 2);
    EXPECT_EQ(TokenLength(",5+1"), 2);
    EXPECT_EQ(TokenLength("*-2"), 1);
    EXPECT_EQ(TokenLength(""), 0);
}
} // namespace
