#include "base/text_excerpt.h"

namespace vornik {
namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of the character that starts at `pos`: as many as its first byte
// announces, as far as continuation bytes follow.
std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t announced = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < announced && pos + length < text.size() && IsContinuation(text[pos + length])) {
        ++length;
    }
    return length;
}

}  // namespace

std::string Excerpt(std::string_view text, std::size_t maxCharacters) {
    constexpr std::string_view kEllipsis = "…";
    if (maxCharacters == 0) {
        return {};
    }
    std::size_t pos = 0;
    std::size_t cut = 0;  // where the text is cut when it proves too long
    for (std::size_t characters = 0; pos < text.size(); ++characters) {
        if (characters == maxCharacters) {
            return std::string(text.substr(0, cut)) + std::string(kEllipsis);
        }
        pos += CharacterLength(text, pos);
        if (characters + 1 == maxCharacters - 1) {
            cut = pos;
        }
    }
    return std::string(text);
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos)) {
        ++characters;
    }
    return characters;
}

}  // namespace vornik
