// Values that travel into and out of statements. Parameters are always bound,
// never spliced into the statement text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/number_text.h"

namespace vornik {

// A bound parameter: null, a whole number, a real number or a text.
class SqlParam {
  public:
    SqlParam(std::nullptr_t) {}
    SqlParam(int v) : value_(std::int64_t{v}) {}
    SqlParam(std::int64_t v) : value_(v) {}
    SqlParam(double v) : value_(v) {}
    SqlParam(const char* v) : value_(std::string(v)) {}
    SqlParam(std::string v) : value_(std::move(v)) {}
    SqlParam(std::string_view v) : value_(std::string(v)) {}

    const std::variant<std::monostate, std::int64_t, double, std::string>& Value() const {
        return value_;
    }

  private:
    std::variant<std::monostate, std::int64_t, double, std::string> value_;
};

using SqlParams = std::vector<SqlParam>;

// One field of a result row, with the type the engine gave it.
class Field {
  public:
    Field() = default;  // null
    explicit Field(std::int64_t v) : value_(v) {}
    explicit Field(double v) : value_(v) {}
    explicit Field(std::string v) : value_(std::move(v)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    // Null reads as the empty text; numbers in their shortest decimal form.
    std::string Text() const;
    // Null and the empty text read as 0; a text that is not a number reads as nothing.
    std::optional<double> Number() const;
    // As Number, but 0 where the field holds no number.
    double NumberOr0() const { return Number().value_or(0.0); }
    // Whole numbers as they are, reals rounded to the nearest, texts parsed; 0 otherwise.
    std::int64_t Integer() const;

    friend bool operator==(const Field&, const Field&) = default;

  private:
    std::variant<std::monostate, std::int64_t, double, std::string> value_;
};

using Row = std::vector<Field>;
using Rows = std::vector<Row>;

}  // namespace vornik
