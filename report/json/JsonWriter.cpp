#include "report/json/JsonWriter.h"

#include <charconv>

namespace vantrel::json {

namespace {

using Tree = nlohmann::ordered_json;

void appendDumped(std::string& out, const Tree& tree) {
    out += tree.dump(-1, ' ', false, Tree::error_handler_t::replace);
}

// Printable ASCII without quote or backslash stands in JSON as it is; most names are
// such, and copying them spares a round through the library.
bool needsNoEscaping(std::string_view text) {
    for (const char c : text)
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') return false;
    return true;
}

}  // namespace

void JsonWriter::open(char bracket) {
    separate();
    out_ += bracket;
    needsComma_ = false;
}

void JsonWriter::close(char bracket) {
    out_ += bracket;
    done();
}

void JsonWriter::key(std::string_view name) {
    separate();
    out_ += '"';
    out_ += name;
    out_ += "\":";
    needsComma_ = false;
}

void JsonWriter::value(std::string_view text) {
    separate();
    if (needsNoEscaping(text)) {
        out_ += '"';
        out_ += text;
        out_ += '"';
    } else {
        appendDumped(out_, Tree(text));
    }
    done();
}

void JsonWriter::value(double number) {
    separate();
    appendDumped(out_, Tree(number));
    done();
}

void JsonWriter::value(bool flag) {
    separate();
    out_ += flag ? "true" : "false";
    done();
}

void JsonWriter::null() {
    separate();
    out_ += "null";
    done();
}

void JsonWriter::appendInteger(int64_t number) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.append(buffer, result.ptr);
}

void JsonWriter::appendUnsigned(uint64_t number) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.append(buffer, result.ptr);
}

}  // namespace vantrel::json
