// Every field the server keeps for users, accounts and RMS limits: its id, the name makers use
// for it, the form its values take and whether it holds one value, one per exchange or a list.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace oms
{

enum class EntityKind
{
    User,
    Account,
    Limits
};

enum class Form
{
    Text,       // printable text
    Number,     // a non-negative amount, kept with two decimals
    Integer,    // a non-negative whole number
    Flag,       // "Y" or "N"
    Route,      // "OK" or "NO"
    YesNoWord,  // "yes" or "no"
    Date,       // YYYY-MM-DD
    Expiry,     // a date, or "0" for none
    ExchangeId, // a text, or "-1" for the exchange's default
    Choice      // one of the listed texts
};

enum class Shape
{
    Single,
    PerExchange, // one value per exchange, in the order of the user's exchanges (63001)
    List         // any number of values
};

struct FieldSpec
{
    std::int32_t id = 0;
    const char* key = "";
    Form form = Form::Text;
    Shape shape = Shape::Single;
    const char* choices = "";  // Choice: the allowed texts, separated by commas
    bool identity = false;     // the entity's id: set when it is added, never changed
    const char* fallback = ""; // PerExchange: the value of an exchange that was not given one
};

class FieldCatalogue
{
public:
    static std::span<const FieldSpec> For(EntityKind kind);
    static const FieldSpec* Find(EntityKind kind, std::int32_t id);
    // By the maker's name, or by the id written as a number.
    static const FieldSpec* Find(EntityKind kind, std::string_view keyOrId);
    // The value as the server keeps it (numbers with two decimals), or an error text naming
    // the field.
    static std::optional<std::string> Normalise(const FieldSpec& spec, std::string_view value,
                                                std::string* error);
    static const char* KindName(EntityKind kind);
};

} // namespace oms
