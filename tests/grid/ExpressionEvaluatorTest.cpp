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

void ExpectFailures(int code, std::initializer_list<const char*> texts)
{
    for (const char* text : texts)
    {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        double value = 0;
        EXPECT_EQ(Eval(text, value), code);
        EXPECT_EQ(value, 12345.0) << "a failure leaves the value as it was";
    }
}

void ExpectValues(std::initializer_list<std::pair<const char*, double>> cases)
{
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(ValueOf(text), value) << text;
}

TEST(ExpressionEvaluator, OperatorsTheirPrecedenceAndSigns)
{
    // Precedence and grouping from the left.
    ExpectValues({{"2*3+4", 10}, {"2+3*4", 14}, {"8-3-2", 3}, {"12.5*(3+4)", 87.5}, {" 16 / 4 / 2 ", 2}});
    // Division, quotient and remainder (both operands truncated first).
    ExpectValues({{"7/2", 3.5}, {"7\\2", 3}, {"-7\\2", -3}, {"7%3", 1}, {"7.9%3.9", 1}});
    EXPECT_TRUE(std::isinf(ValueOf("7/0")));
    // The remainder binds looser than multiplication and tighter than plus.
    ExpectValues({{"7%3*2", 1}, {"2*7%4", 2}, {"7%4+1", 4}, {"1+7%4", 4}});
    // The caret is exclusive or and binds looser than plus.
    ExpectValues({{"3^1", 2}, {"2+3^1", 4}, {"6&3", 2}, {"6|3", 7}});
    // Shifts work on 32-bit integers and take the count modulo 32; the right shift keeps the sign.
    ExpectValues({{"1<<4", 16},
                  {"1<<31", -2147483648.0},
                  {"3<<32", 3},
                  {"1<<(0-1)", -2147483648.0},
                  {"4294967297<<1", 2},
                  {"-8>>1", -4},
                  {"-1>>40", -1}});
    // Logical and comparison operators; comparisons bind loosest.
    ExpectValues({{"1&&0", 0},
                  {"2&&3", 1},
                  {"0||0", 0},
                  {"0||5", 1},
                  {"2==2", 1},
                  {"2<3", 1},
                  {"2>3", 0},
                  {"3>=3", 1},
                  {"4<=3", 0},
                  {"1+1==2", 1}});
    double value = 0;
    EXPECT_EQ(Eval("1!=2", value), EXPR_NOT_A_NUMBER); // "!" is no operator character
    // A sign after a blank or an opening parenthesis belongs to the operand.
    ExpectValues({{"5* -2", -10},
                  {"-5+2", -3},
                  {"1 - -2", 3},
                  {"2*(-3)", -6},
                  {"3+(-2)", 1},
                  {"(-3)", -3},
                  {"(-3)*2", -6},
                  {"4+(-3)", 1}});
}

TEST(ExpressionEvaluator, PostfixForms)
{
    EXPECT_EQ(Postfix("8-3-2"), "8 3 - 2 -");
    EXPECT_EQ(Postfix("2*3+4"), "2 3 * 4 +");
    EXPECT_EQ(Postfix("7%3*2"), "7 3 2 * %");
    EXPECT_EQ(Postfix("5* -2"), "5 (-2) *");
    // A leading sign inside parentheses takes zero as its left operand.
    EXPECT_EQ(Postfix("(-3)"), "0 3 -");
}

TEST(ExpressionEvaluator, SignDirectlyBehindAnOperatorIsAnError)
{
    // The run "*-" is no operator, so "*" is taken as an operand and "-" as binary with left
    // operand 0: the postfix form has a "*" with nothing on its left.
    EXPECT_EQ(Postfix("5*-2"), "5 * 0 2 -");
    ExpectFailures(EXPR_UNBALANCED, {"5*-2", "5/-2"});
}

// Every failure but values left over leaves the value as it was.
TEST(ExpressionEvaluator, FailuresGiveTheirCodeAndLeaveTheValueAlone)
{
    // Parentheses or operands missing.
    ExpectFailures(EXPR_UNBALANCED, {"(1+2", "1+2)", "1+"});
    // A leading operator (a sign of nothing), tokens that are no numbers, nothing to evaluate.
    ExpectFailures(EXPR_NOT_A_NUMBER, {"*", "1a+2", "1,5+1", "\"3\"*2", "", "   ", "\t", "()", "( ( ) )"});
    // Integer operations without a defined result ("7%0.9" truncates to 7%0).
    ExpectFailures(EXPR_UNDEFINED, {"7%0", "7%0.9", "1e300%7", "nan&1", "inf<<1", "9223372036854775808|0"});
    // The one remainder that overflows 64 bits is 0, not a fault.
    EXPECT_DOUBLE_EQ(ValueOf("(0-9223372036854775808)%(0-1)"), 0);
}

TEST(ExpressionEvaluator, ValuesLeftOverStillGiveTheLastValue)
{
    double value = 0;
    EXPECT_EQ(Eval("1 2", value), EXPR_VALUES_LEFT_OVER);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(Eval("(1)(2+3)", value), EXPR_VALUES_LEFT_OVER);
    EXPECT_EQ(value, 5);
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
