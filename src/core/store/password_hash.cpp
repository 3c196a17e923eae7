#include "store/password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vornik {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr int kIterations = 120000;
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;

std::string ToHex(const std::vector<unsigned char>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0f]);
    }
    return out;
}

std::optional<std::vector<unsigned char>> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return bytes;
}

std::optional<std::vector<unsigned char>> Derive(std::string_view password,
                                                 const std::vector<unsigned char>& salt,
                                                 int iterations, std::size_t length) {
    std::vector<unsigned char> out(length);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(),
                          static_cast<int>(length), out.data()) != 1) {
        return std::nullopt;
    }
    return out;
}

struct ParsedHash {
    int iterations = 0;
    std::vector<unsigned char> salt;
    std::vector<unsigned char> hash;
};

std::optional<ParsedHash> ParseHash(std::string_view stored) {
    std::array<std::string_view, 4> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t cut = i + 1 < parts.size() ? stored.find('$') : stored.size();
        if (cut == std::string_view::npos) {
            return std::nullopt;
        }
        parts[i] = stored.substr(0, cut);
        stored.remove_prefix(cut == stored.size() ? cut : cut + 1);
    }
    if (parts[0] != kScheme) {
        return std::nullopt;
    }
    ParsedHash parsed;
    for (const char c : parts[1]) {
        if (c < '0' || c > '9' || parsed.iterations > 10'000'000) {
            return std::nullopt;
        }
        parsed.iterations = parsed.iterations * 10 + (c - '0');
    }
    auto salt = FromHex(parts[2]);
    auto hash = FromHex(parts[3]);
    if (parsed.iterations < 1 || !salt || !hash || salt->empty() || hash->empty()) {
        return std::nullopt;
    }
    parsed.salt = std::move(*salt);
    parsed.hash = std::move(*hash);
    return parsed;
}

bool SameBytes(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

Result<std::string> HashPassword(std::string_view password) {
    std::vector<unsigned char> salt(kSaltBytes);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) {
        return Result<std::string>::Failure("no random bytes for the password salt");
    }
    const auto hash = Derive(password, salt, kIterations, kHashBytes);
    if (!hash) {
        return Result<std::string>::Failure("the password could not be hashed");
    }
    return std::string(kScheme) + "$" + std::to_string(kIterations) + "$" + ToHex(salt) + "$" +
           ToHex(*hash);
}

bool IsPasswordHash(std::string_view stored) {
    return ParseHash(stored).has_value();
}

bool CheckPassword(std::string_view typed, std::string_view stored) {
    const auto parsed = ParseHash(stored);
    if (!parsed) {
        return SameBytes(typed, stored);
    }
    // A hash that cannot be computed proves nothing: the password is refused.
    const auto hash = Derive(typed, parsed->salt, parsed->iterations, parsed->hash.size());
    return hash && CRYPTO_memcmp(hash->data(), parsed->hash.data(), hash->size()) == 0;
}

}  // namespace vornik
