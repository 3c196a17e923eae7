#include "settings/rule_listing.h"

#include "store/dbio.h"

namespace vornik {
namespace {

template <typename Row, typename Line>
std::string Section(const char* heading, const std::vector<Row>& rows, Line line) {
    std::string text = std::string(heading) + "\n";
    for (const Row& row : rows) {
        text += "  " + line(row) + "\n";
    }
    return rows.empty() ? text + "  （无）\n" : text;
}

}  // namespace

RuleListing ListRules(Dbio& db) {
    RuleListing listing;
    for (const Row& row :
         db.QueryRows("SELECT propertyType, propertyName, propertyValue FROM config "
                      "WHERE entryName = 'global' ORDER BY propertyType, propertyName")) {
        listing.config.push_back({row[0].Text(), row[1].Text(), row[2].Text()});
    }
    listing.windows = DiscountTimeTable(db).Rows();
    listing.holidays = HolidayTable(db).Rows();
    return listing;
}

std::string RuleListingText(const RuleListing& listing) {
    return Section("设置：", listing.config,
                   [](const ConfigRow& r) { return r.group + "/" + r.key + " = " + r.value; }) +
           Section("优惠时段：", listing.windows,
                   [](const DiscountTimeRow& r) {
                       return r.beginTime + " - " + r.endTime + "  折扣 " + r.discount;
                   }) +
           Section("节假日：", listing.holidays, [](const HolidayRow& r) {
               return r.name + "  " + r.beginDate + " 起 " + r.totalDays + " 天  折扣 " +
                      r.discount;
           });
}

}  // namespace vornik
