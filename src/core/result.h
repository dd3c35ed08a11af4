#pragma once
// The outcome of every operation that can fail: its value, or a Fault that says what went
// wrong and, where it applies, in which file, on which page and line. Lower layers hand
// faults back; only the application decides whether a fault becomes a message box, a
// caption or a line on standard error. Nothing throws across a layer.
#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace tidemark {

struct Fault {
    std::string description;
    std::string file{};  // the file the fault is in, when it is about one
    int page = 0;        // 1-based page of the setup, 0 when none applies
    int line = 0;        // 1-based line of `file`, 0 when none applies
};

// F is Fault, or a fault of one kind of operation that says more (derived from Fault,
// e.g. the step an upload stopped at).
template <class T, class F = Fault>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}  // NOLINT: implicit by design
    Result(F fault) : state_(std::move(fault)) {}  // NOLINT: implicit by design

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
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    bool has_value() const { return ok(); }
    // The value, or `otherwise` when the operation failed (for callers to whom any
    // fault means the same).
    template <class U>
    T value_or(U&& otherwise) const {
        return ok() ? value() : static_cast<T>(std::forward<U>(otherwise));
    }

    // Equal to a value when it holds that value; two results when both hold equal
    // values or both failed.
    friend bool operator==(const Result& result, const T& other) { return result.ok() && result.value() == other; }
    friend bool operator==(const Result& a, const Result& b) {
        return a.ok() == b.ok() && (!a.ok() || a.value() == b.value());
    }

    // The fault's description; empty when the operation succeeded.
    const std::string& error() const {
        static const std::string kNone;
        return ok() ? kNone : std::get<F>(state_).description;
    }
    const F& fault() const {
        assert(!ok());
        return std::get<F>(state_);
    }

private:
    std::variant<T, F> state_;
};

// The outcome of an operation that gives nothing back but may fail.
template <class F>
class [[nodiscard]] Result<void, F> {
public:
    Result() = default;
    Result(F fault) : fault_(std::move(fault)), ok_(false) {}  // NOLINT: implicit by design

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::string& error() const { return fault_.description; }
    const F& fault() const {
        assert(!ok_);
        return fault_;
    }

private:
    F fault_;
    bool ok_ = true;
};

}  // namespace tidemark
