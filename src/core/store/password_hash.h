// The password that guards the options, the removal of old records and the exit.
// It is kept as a salted PBKDF2-HMAC-SHA256 hash, never in clear text.
#pragma once

#include <string>
#include <string_view>

#include "base/result.h"

namespace vornik {

// The password a new installation accepts; the prompt names it.
inline constexpr std::string_view kInitialPassword = "qexor";

// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>" with a fresh random salt.
Result<std::string> HashPassword(std::string_view password);

// True when `typed` is the password that `stored` keeps. An empty stored value
// accepts only the empty password; a stored value that is not a hash (written by
// hand into the log) is compared as it stands. Exact: case and blanks count.
bool CheckPassword(std::string_view typed, std::string_view stored);

bool IsPasswordHash(std::string_view stored);

}  // namespace vornik
