// The quick search hands the words to one of six search sites.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornik {

// The six site names, in the order the search dialog lists them.
const std::vector<std::string>& SearchSiteNames();

// The address that searches `site` (one of the names above, compared exactly)
// for `words`; the words are percent-encoded, so spaces, "&" and Chinese reach
// the site whole. Nothing for an unknown site.
std::optional<std::string> SearchAddress(std::string_view site, std::string_view words);

// Every byte of `text` but the unreserved ones as %XX.
std::string PercentEncode(std::string_view text);

}  // namespace vornik
