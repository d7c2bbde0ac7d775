#include "grid/UserColumnFormula.h"

#include "grid/ExpressionEvaluator.h"

#include <cstdio>
#include <cstdlib>

std::vector<FormulaPiece> SplitFormula(std::string_view expression)
{
    // Pieces alternate by the quotes around them, so that two references side by side or a
    // reference at the very start still read as references.
    std::vector<FormulaPiece> pieces;
    bool inside = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= expression.size(); ++i)
    {
        if (i < expression.size() && expression[i] != '"')
            continue;
        if (i > start)
            pieces.push_back(FormulaPiece{std::string(expression.substr(start, i - start)), inside});
        inside = !inside;
        start = i + 1;
    }
    return pieces;
}

UserCellResult ComputeUserCell(std::string_view expression, const ReadUserCell& cell, std::string& text)
{
    text.clear();
    std::string formula;
    std::string value;
    for (const FormulaPiece& piece : SplitFormula(expression))
    {
        if (!piece.reference)
        {
            formula += piece.text;
            continue;
        }
        char* end = nullptr;
        const long column = std::strtol(piece.text.c_str(), &end, 10);
        if (end == piece.text.c_str() || *end != '\0' || !cell(static_cast<int>(column), value))
            return UserCellResult::NoValue;
        formula += (std::atof(value.c_str()) == 0) ? std::string("0") : value;
    }
    double result = 0;
    const std::size_t slash = formula.find('/');
    if (slash != std::string::npos)
    {
        double divisor = 0;
        const int code = EvaluateExpression(formula.substr(slash + 1), divisor);
        if (code >= EXPR_NOT_A_NUMBER)
            return UserCellResult::NoValue;
        if (code == EXPR_OK && divisor == 0)
        {
            text = "Divided by ZERO error";
            return UserCellResult::Value;
        }
    }
    const int code = EvaluateExpression(formula, result);
    if (code > EXPR_NOT_A_NUMBER)
        return UserCellResult::InvalidExpression;
    if (code != EXPR_OK)
        result = 0;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*lf", 2, result);
    text = buffer;
    return UserCellResult::Value;
}
