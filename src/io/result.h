#pragma once

#include <string>
#include <utility>

// How an operation of the core ended: done, or failed with a code of the operation's own and
// the one line that says what went wrong, for the caller to print or pass on. Code 0 is done.
struct Result {
    int code = 0;
    std::string message;

    bool ok() const { return code == 0; }
    static Result failed(int code, std::string message) { return {code, std::move(message)}; }
};
