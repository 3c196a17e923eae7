#include "settings/table_edit.h"

#include "base/number_text.h"
#include "metering/time_rules.h"

namespace vornik {

std::optional<double> TypedNumber(std::string_view text) {
    if (text.find_first_not_of(" \t") == std::string_view::npos) {
        return std::nullopt;
    }
    return ParseNumber(text);
}

// The fee engine leaves out a factor beyond these bounds: stored, it would look
// saved and never apply.
std::optional<InputProblem> CheckDiscount(std::string_view text) {
    const std::optional<double> factor = TypedNumber(text);
    if (!factor) {
        return InputProblem{kNotANumberText, InputField::kDiscount};
    }
    if (*factor < 0 || *factor > kMaxDiscountFactor) {
        static_assert(kMaxDiscountFactor == 10, "the message names the bound");
        return InputProblem{"请输入0到10之间的折扣。", InputField::kDiscount};
    }
    return std::nullopt;
}

EditResult NotSaved(const std::string& reason) {
    return {false, "没有保存：" + reason, InputField::kNone};
}

EditResult ChangeResult(const Result<int>& touched) {
    if (!touched) {
        return NotSaved(touched.Error());
    }
    return {touched.Value() > 0, {}, InputField::kNone};
}

}  // namespace vornik
