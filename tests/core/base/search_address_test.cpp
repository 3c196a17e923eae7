#include "base/search_address.h"

#include <gtest/gtest.h>

namespace vornik {
namespace {

// Words with a space, an ampersand and Chinese: each must reach the site whole.
constexpr std::string_view kWords = "a b&c 拨号";
constexpr std::string_view kEncoded = "a%20b%26c%20%E6%8B%A8%E5%8F%B7";

TEST(SearchAddress, EverySiteGetsTheWordsEncoded) {
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Google", "https://www.google.com/search?q=" + std::string(kEncoded)},
        {"百度", "https://www.baidu.com/baidu?word=" + std::string(kEncoded) + "&cl=3"},
        {"新浪", "https://search.sina.com.cn/cgi-bin/search/search.cgi?_searchkey=" +
                     std::string(kEncoded)},
        {"网易", "http://search.163.com/Search?in=seek&q=" + std::string(kEncoded)},
        {"Yahoo中国", "http://cn.search.yahoo.com/search/cn?p=" + std::string(kEncoded)},
        {"3721", "http://cns.3721.com/cns.dll?fw=1&name=" + std::string(kEncoded)},
    };
    ASSERT_EQ(SearchSiteNames().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(SearchSiteNames()[i], expected[i].first);
        EXPECT_EQ(SearchAddress(expected[i].first, kWords), expected[i].second);
    }
}

TEST(SearchAddress, EmptyWordsOpenAnEmptyQuery) {
    EXPECT_EQ(SearchAddress("Google", ""), "https://www.google.com/search?q=");
}

TEST(SearchAddress, ANameOutsideTheListOpensNothing) {
    EXPECT_EQ(SearchAddress("google", "x"), std::nullopt);
    EXPECT_EQ(SearchAddress("必应", "x"), std::nullopt);
}

TEST(SearchAddress, UnreservedCharactersStayAsTheyAre) {
    EXPECT_EQ(PercentEncode("Az09-._~"), "Az09-._~");
    EXPECT_EQ(PercentEncode("/?#%+="), "%2F%3F%23%25%2B%3D");
}

}  // namespace
}  // namespace vornik
