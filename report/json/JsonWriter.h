// Writes a JSON document straight into a string, without building a tree first: a large
// library's document has millions of values, and a tree of them costs several times the
// writing. Every string value goes through nlohmann-json, which escapes it and replaces
// bytes that aren't UTF-8; keys are the writer's own literal ASCII names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

namespace vantrel::json {

class JsonWriter {
public:
    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // `name` is a literal of letters and digits; it needs no escaping.
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(const std::string& text) { value(std::string_view(text)); }
    void value(double number);
    void value(bool flag);
    void null();
    template <class Integer>
        requires std::is_integral_v<Integer> && (!std::is_same_v<Integer, bool>)
    void value(Integer number) {
        separate();
        if constexpr (std::is_signed_v<Integer>)
            appendInteger(static_cast<int64_t>(number));
        else
            appendUnsigned(static_cast<uint64_t>(number));
        done();
    }

    template <class Value>
    void field(std::string_view name, const Value& v) {
        key(name);
        value(v);
    }

    std::string& text() { return out_; }

private:
    void open(char bracket);
    void close(char bracket);
    void separate() {
        if (needsComma_) out_ += ',';
    }
    void done() { needsComma_ = true; }
    void appendInteger(int64_t number);
    void appendUnsigned(uint64_t number);

    std::string out_;
    bool needsComma_ = false;
};

}  // namespace vantrel::json
