#pragma once
// Outcome of a database operation: a value, or the description of what went wrong
// (the engine's own message where there is one). Database code never throws into its
// callers; every fault comes back as one of these.
#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace tidemark {

struct DbError {
    std::string message;
};

template <class T>
class DbResult {
public:
    DbResult(T value) : state_(std::move(value)) {}        // NOLINT: implicit by design
    DbResult(DbError error) : state_(std::move(error)) {}  // NOLINT: implicit by design

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() {
        assert(ok());
        return std::get<T>(state_);
    }
    const T& value() const {
        assert(ok());
        return std::get<T>(state_);
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // Empty when the operation succeeded.
    const std::string& error() const {
        static const std::string kNone;
        return ok() ? kNone : std::get<DbError>(state_).message;
    }

private:
    std::variant<T, DbError> state_;
};

}  // namespace tidemark
