#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

// What went wrong in an operation of the core: a code of the operation's own (never 0) and the
// one line that says what, for the caller to print or pass on.
struct Failure {
    int code = 1;
    std::string message;
};

// How an operation of the core ended: with its value, or with a failure. Result<> carries no
// value: it is done, or failed. Every operation of the core reports this way, instead of an
// empty string for success, a flag beside an error string or a status printed on the console.
template <typename T = void>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : code(failure.code), message(std::move(failure.message)) {}
    static Result failed(int code, std::string message) {
        return Result(Failure{code, std::move(message)});
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return *value_;
    }
    const T& value() const& {
        assert(ok());
        return *value_;
    }
    T&& value() && {
        assert(ok());
        return std::move(*value_);
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    // The failure, for passing on to a caller of another result type.
    Failure failure() const { return {code, message}; }

    int code = 0;         // 0 while it holds a value
    std::string message;  // empty while it holds a value

  private:
    std::optional<T> value_;
};

template <>
struct Result<void> {
    int code = 0;
    std::string message;

    Result() = default;
    Result(int code, std::string message) : code(code), message(std::move(message)) {}
    Result(Failure failure) : code(failure.code), message(std::move(failure.message)) {}

    bool ok() const { return code == 0; }
    explicit operator bool() const { return ok(); }
    Failure failure() const { return {code, message}; }
    static Result failed(int code, std::string message) { return {code, std::move(message)}; }
};
