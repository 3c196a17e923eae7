#include "base/search_address.h"

#include <algorithm>
#include <array>

namespace vornik {
namespace {

struct SearchSite {
    const char* name;
    // The words go between the two halves.
    const char* before;
    const char* after;
};

// The secure address wherever the site answers on one.
constexpr std::array<SearchSite, 6> kSites = {{
    {"Google", "https://www.google.com/search?q=", ""},
    {"百度", "https://www.baidu.com/baidu?word=", "&cl=3"},
    {"新浪", "https://search.sina.com.cn/cgi-bin/search/search.cgi?_searchkey=", ""},
    {"网易", "http://search.163.com/Search?in=seek&q=", ""},
    {"Yahoo中国", "http://cn.search.yahoo.com/search/cn?p=", ""},
    {"3721", "http://cns.3721.com/cns.dll?fw=1&name=", ""},
}};

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

const std::vector<std::string>& SearchSiteNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const SearchSite& site : kSites) {
            all.emplace_back(site.name);
        }
        return all;
    }();
    return names;
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::optional<std::string> SearchAddress(std::string_view site, std::string_view words) {
    const auto* found = std::find_if(kSites.begin(), kSites.end(),
                                     [site](const SearchSite& s) { return site == s.name; });
    if (found == kSites.end()) {
        return std::nullopt;
    }
    return found->before + PercentEncode(words) + found->after;
}

}  // namespace vornik
