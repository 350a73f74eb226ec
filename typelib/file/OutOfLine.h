// An optional value kept on the heap: one pointer in the record that holds it, for
// fields that most records lack (a parameter's default value, the error of a result that
// nearly always succeeds). Large libraries hold tens of thousands of such records, and
// results are made millions of times, so a std::optional's inline storage would cost more
// than everything else in them. Copies are deep.
#pragma once

#include <memory>
#include <utility>

namespace vantrel {

template <class T>
class OutOfLine {
public:
    OutOfLine() = default;
    OutOfLine(T value) : value_(std::make_unique<T>(std::move(value))) {}
    OutOfLine(const OutOfLine& other) : value_(other ? std::make_unique<T>(*other) : nullptr) {}
    OutOfLine(OutOfLine&&) noexcept = default;
    OutOfLine& operator=(const OutOfLine& other) {
        if (this != &other) value_ = other ? std::make_unique<T>(*other) : nullptr;
        return *this;
    }
    OutOfLine& operator=(OutOfLine&&) noexcept = default;
    ~OutOfLine() = default;

    bool has_value() const { return value_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    // Only when has_value().
    const T& operator*() const { return *value_; }
    const T* operator->() const { return value_.get(); }
    void reset() { value_.reset(); }

    // As std::optional compares: an empty one equals no value.
    template <class U>
    friend bool operator==(const OutOfLine& held, const U& value) {
        return held && *held == value;
    }

private:
    std::unique_ptr<T> value_;
};

}  // namespace vantrel
