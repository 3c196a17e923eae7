// Text quoted from a file the user may have edited by hand: one absurd line must
// not flood a message or the trace.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vornik {

inline constexpr std::size_t kExcerptCharacters = 80;

// `text` when it has at most `maxCharacters` UTF-8 characters; otherwise its
// beginning, cut on a character boundary, followed by "…", together that many
// characters. Bytes that are no UTF-8 count as one character each, so the
// excerpt is never longer than four bytes a character.
std::string Excerpt(std::string_view text, std::size_t maxCharacters = kExcerptCharacters);

// The UTF-8 characters of `text`, counted as Excerpt counts them.
std::size_t CharacterCount(std::string_view text);

}  // namespace vornik
