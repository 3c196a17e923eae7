// What the holiday and discount-time editors share: the fields a message can
// point at, the outcome of a button, and the checks of typed numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "base/result.h"

namespace vornik {

// The edit fields whose text a check can refuse.
enum class InputField { kNone, kHolidayName, kTotalDays, kDiscount };

// Why the typed values were refused: the message for the user and the field that
// gets the focus, its text selected.
struct InputProblem {
    std::string message;
    InputField field = InputField::kNone;
};

// What one of 添加, 修改 and 删除 did.
struct EditResult {
    // The table changed: the rules in force are to be loaded again.
    bool changed = false;
    // For the user, in an OK-only box; empty when there is nothing to say.
    std::string message;
    // Where the focus goes once the message is closed.
    InputField field = InputField::kNone;
};

inline constexpr const char* kNotANumberText = "请输入数字。";

// A typed number: blanks around it are ignored, but a blank text is no number
// (the empty box must not pass for 0).
std::optional<double> TypedNumber(std::string_view text);

// A discount factor as typed: a number the fee engine can apply (0 to
// kMaxDiscountFactor); the problem otherwise.
std::optional<InputProblem> CheckDiscount(std::string_view text);

// A refused write, for the user.
EditResult NotSaved(const std::string& reason);
// An update or delete: changed when it touched a row, said when it failed.
EditResult ChangeResult(const Result<int>& touched);

// Runs `edit` with the values when the checks passed; otherwise says why not.
template <typename Values, typename Edit>
EditResult IfValid(const std::variant<InputProblem, Values>& checked, Edit edit) {
    if (const auto* problem = std::get_if<InputProblem>(&checked)) {
        return {false, problem->message, problem->field};
    }
    return edit(std::get<Values>(checked));
}

}  // namespace vornik
