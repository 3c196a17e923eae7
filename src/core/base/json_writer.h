// JSON for scripts: objects and arrays written as they are walked, with strings
// escaped and numbers written so that they read back as the same value. Field
// names are the caller's and stay stable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vornik {

class JsonWriter {
  public:
    // `indent` 0 writes one line; more indents nested values by that many blanks.
    explicit JsonWriter(int indent = 2) : indent_(indent) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next value inside an object.
    JsonWriter& Key(std::string_view name);

    JsonWriter& String(std::string_view text);
    JsonWriter& Integer(std::int64_t value);
    // Money and other fractions: at most `decimals` places, no trailing zeros
    // beyond the first; not-a-number and infinities become null.
    JsonWriter& Number(double value, int decimals = 6);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // The text so far, followed by a line end once the outermost value is closed.
    const std::string& Text() const { return text_; }

  private:
    void BeforeValue();
    void Close(char bracket);
    void NewLine();

    struct Level {
        bool empty = true;
    };
    std::string text_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
    int indent_;
};

// The text as a JSON string, quotes included. Invalid UTF-8 bytes are replaced
// by U+FFFD so that the output always parses.
std::string JsonQuoted(std::string_view text);

}  // namespace vornik
