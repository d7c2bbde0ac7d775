// The text forms of a user-defined column. Column references are written between double quotes:
// by name in the form the user edits ("Qty" * "Rate") and by column index in the evaluator form
// (a blank, then "3" * "4"). A cell is computed by putting the row's cells in place of the
// references and handing the result to EvaluateExpression.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct FormulaPiece
{
    std::string text;
    bool reference = false; // a column between double quotes; otherwise literal text
};

// Splits at double quotes: pieces outside quotes are literal text, pieces inside are references.
// Empty pieces are left out.
std::vector<FormulaPiece> SplitFormula(std::string_view expression);

enum class UserCellResult
{
    Value,            // 'text' holds the value with two decimals, or "Divided by ZERO error"
    NoValue,          // a referenced cell could not be had, or the divisor does not evaluate
    InvalidExpression // values left over: the caller tells the user
};

// Reads the cell of column 'column' of the same row; false when it cannot be produced.
using ReadUserCell = std::function<bool(int column, std::string& text)>;

// Computes a user-defined column's cell from its evaluator form. A referenced cell that reads as
// the number 0 (any text that is no number does) stands as "0", any other as it is.
UserCellResult ComputeUserCell(std::string_view expression, const ReadUserCell& cell, std::string& text);
