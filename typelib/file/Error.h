// Errors as values: every operation that can fail returns Expected<T>, which holds
// either the result or an Error with a number and a description for the user.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "typelib/file/OutOfLine.h"

namespace vantrel {

// Error numbers. Where the platform's own type-library reader reports an HRESULT for
// the same case we use it; otherwise the Basic run-time error number.
namespace errc {
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t PathFileAccess = 75;
inline constexpr int32_t ElementNotFound = static_cast<int32_t>(0x8002802Bu);   // TYPE_E_ELEMENTNOTFOUND
inline constexpr int32_t CantLoadLibrary = static_cast<int32_t>(0x80029C4Au);   // TYPE_E_CANTLOADLIBRARY
inline constexpr int32_t InvalidDataRead = static_cast<int32_t>(0x80028018u);   // TYPE_E_INVDATAREAD
inline constexpr int32_t UnsupportedFormat = static_cast<int32_t>(0x80028019u); // TYPE_E_UNSUPFORMAT
inline constexpr int32_t LibNotRegistered = static_cast<int32_t>(0x8002801Du);  // TYPE_E_LIBNOTREGISTERED
inline constexpr int32_t InvalidArgument = static_cast<int32_t>(0x80070057u);   // E_INVALIDARG
}  // namespace errc

struct Error {
    int32_t number = 0;
    std::string description;
};

inline bool operator==(const Error& a, const Error& b) {
    return a.number == b.number && a.description == b.description;
}

// `error` moved to the heap. Out of line and cold: the many places that may fail stay
// small where they succeed, small enough to be inlined.
[[gnu::cold]] OutOfLine<Error> holdError(Error error);

// The error of a result is kept out of line: results are made millions of times in a walk
// over a large library and nearly all succeed, so a success carries one pointer rather
// than an empty Error.
template <class T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    // The value made where it lies, from `args`.
    template <class... Args>
    explicit Expected(std::in_place_t, Args&&... args) : state_(std::in_place_index<0>, std::forward<Args>(args)...) {}
    Expected(Error error) : state_(std::in_place_index<1>, holdError(std::move(error))) {}

    explicit operator bool() const { return state_.index() == 0; }
    bool hasValue() const { return state_.index() == 0; }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return *std::get<1>(state_); }

private:
    std::variant<T, OutOfLine<Error>> state_;
};

// Expected<void>: success or an Error.
template <>
class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Error error) : error_(holdError(std::move(error))) {}
    explicit operator bool() const { return !error_; }
    bool hasValue() const { return !error_; }
    // An empty Error on success.
    const Error& error() const {
        static const Error none;
        return error_ ? *error_ : none;
    }

private:
    OutOfLine<Error> error_;
};

inline Error makeError(int32_t number, std::string description) {
    return Error{number, std::move(description)};
}

// The error of damaged type-library data.
inline Error damaged(std::string description) {
    return makeError(errc::InvalidDataRead, std::move(description));
}

}  // namespace vantrel

// Propagates the error of an Expected expression to the caller, else yields its value.
// Uses a GNU statement expression, which GCC and Clang both accept (__extension__
// keeps -Wpedantic quiet about it).
#define VANTREL_TRY(expr)                                            \
    __extension__({                                                  \
        auto vantrelTryResult_ = (expr);                             \
        if (!vantrelTryResult_) return vantrelTryResult_.error();    \
        std::move(vantrelTryResult_).value();                        \
    })

// Propagates the error of an Expected<void> (or any Expected whose value is unused).
#define VANTREL_CHECK(expr)                                          \
    do {                                                             \
        auto vantrelCheckResult_ = (expr);                           \
        if (!vantrelCheckResult_) return vantrelCheckResult_.error(); \
    } while (0)
