// The outcome of an operation that can fail: its value, or the reason it failed,
// in words fit to show the user and to trace. Nothing in the core throws for a
// failure it expects; it returns one of these.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vornik {

template <typename T = void>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    static Result Failure(std::string reason) { return Result(std::nullopt, std::move(reason)); }

    bool Ok() const { return value_.has_value(); }
    explicit operator bool() const { return Ok(); }
    const T& Value() const& { return *value_; }
    T& Value() & { return *value_; }
    T&& Value() && { return std::move(*value_); }
    const T& operator*() const& { return *value_; }
    const T* operator->() const { return &*value_; }
    // Empty when the operation succeeded.
    const std::string& Error() const { return error_; }

  private:
    Result(std::nullopt_t, std::string reason) : error_(std::move(reason)) {}

    std::optional<T> value_;
    std::string error_;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    static Result Success() { return Result(true, {}); }
    static Result Failure(std::string reason) { return Result(false, std::move(reason)); }

    bool Ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::string& Error() const { return error_; }

  private:
    Result(bool ok, std::string reason) : ok_(ok), error_(std::move(reason)) {}

    bool ok_;
    std::string error_;
};

}  // namespace vornik
