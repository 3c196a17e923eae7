#include "reports/bills.h"

#include <cmath>

#include "reports/report_forms.h"
#include "store/dbio.h"

namespace vornik {
namespace {

constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

double Units(BillCorrection::Basis basis, const UsageSums& recorded) {
    return basis == BillCorrection::Basis::kMinutes
               ? static_cast<double>(recorded.seconds) / 60
               : static_cast<double>(recorded.bytes) / kBytesPerMegabyte;
}

struct Fit {
    BillCorrection correction;
    double squaredError = 0;
    int months = 0;
};

// Least squares through the origin: the rate that makes the sum of the squared
// differences between bill and estimate smallest. A month without usage of the
// basis says nothing about its rate.
Fit FitOn(BillCorrection::Basis basis, const std::vector<BilledMonth>& months) {
    double unitsByBill = 0;
    double unitsSquared = 0;
    Fit fit{{basis, 0}, 0, 0};
    for (const BilledMonth& month : months) {
        const double units = Units(basis, month.recorded);
        if (units > 0) {
            unitsByBill += units * month.bill.amount;
            unitsSquared += units * units;
            ++fit.months;
        }
    }
    if (fit.months < 2) {
        return fit;
    }
    fit.correction.yuanPerUnit = unitsByBill / unitsSquared;
    for (const BilledMonth& month : months) {
        const double error = fit.correction.Estimate(month.recorded) - month.bill.amount;
        fit.squaredError += error * error;
    }
    return fit;
}

}  // namespace

double BillCorrection::Estimate(const UsageSums& recorded) const {
    return yuanPerUnit * Units(basis, recorded);
}

std::optional<BillCorrection> LearnBillCorrection(const std::vector<BilledMonth>& months) {
    const Fit minutes = FitOn(BillCorrection::Basis::kMinutes, months);
    const Fit megabytes = FitOn(BillCorrection::Basis::kMegabytes, months);
    if (minutes.months < 2 && megabytes.months < 2) {
        return std::nullopt;
    }
    if (megabytes.months < 2 ||
        (minutes.months >= 2 && minutes.squaredError <= megabytes.squaredError)) {
        return minutes.correction;
    }
    return megabytes.correction;
}

Result<> BillBook::Save(const Bill& bill) {
    const Result<int> saved =
        db_.Change("INSERT OR REPLACE INTO bills (month, amount) VALUES (?, ?)",
                   {BillingMonthText(bill.month), bill.amount});
    return saved ? Result<>::Success() : Result<>::Failure(saved.Error());
}

std::optional<double> BillBook::AmountOf(const BillingMonth& month) {
    const std::optional<Field> amount =
        db_.QueryValue("SELECT amount FROM bills WHERE month = ?", {BillingMonthText(month)});
    return amount ? amount->Number() : std::nullopt;
}

std::vector<Bill> BillBook::All() {
    std::vector<Bill> bills;
    for (const Row& row : db_.QueryRows("SELECT month, amount FROM bills ORDER BY month")) {
        const std::optional<BillingMonth> month = ParseBillingMonth(row[0].Text());
        if (month && row[1].Number()) {
            bills.push_back({*month, *row[1].Number()});
        }
    }
    return bills;
}

std::vector<BilledMonth> BillBook::Compare(UsageTotalsReader& reader, int firstFeeDay,
                                           const std::string& entryName) {
    std::vector<BilledMonth> months;
    for (const Bill& bill : All()) {
        const std::optional<UsageSums> recorded =
            reader.Sum(BillingMonthBounds(bill.month, firstFeeDay), entryName);
        months.push_back({bill, recorded.value_or(UsageSums{})});
    }
    return months;
}

std::string BillLine(const std::optional<double>& billed, const UsageSums& recorded,
                     const std::optional<BillCorrection>& correction, const NumberFormat& number) {
    if (billed) {
        const double difference = *billed - recorded.fee;
        return "账单 " + number(*billed, 2) + "元，本程序记录 " + number(recorded.fee, 2) +
               "元，相差 " + (difference >= 0 ? "+" : "") + number(difference, 2) + "元";
    }
    if (correction) {
        return "按账单校正约 " + number(correction->Estimate(recorded), 2) + "元";
    }
    return {};
}

std::optional<BillingMonth> ParseBillingMonth(const std::string& text) {
    const std::optional<Moment> first = ParseMoment(text + "-01");
    if (text.size() != 7 || !first) {
        return std::nullopt;
    }
    return BillingMonth{first->year, first->month};
}

}  // namespace vornik
