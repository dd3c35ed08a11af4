#pragma once
// Putting state back on every way out of a scope: early returns and exceptions alike.
// For flags such as "a load runs" or "the layout pass runs", which stay raised for good
// (and keep later events out) if one path forgets to lower them.
#include <utility>

namespace tidemark {

// Gives a variable a value for the life of the scope, then its earlier value back.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value) : variable_(variable), earlier_(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { variable_ = std::move(earlier_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T earlier_;
};

// Runs a function when the scope ends.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F atExit) : atExit_(std::move(atExit)) {}
    ~ScopeExit() { atExit_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F atExit_;
};

}  // namespace tidemark
