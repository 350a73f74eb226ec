#include "typelib/file/Messages.h"

#include <algorithm>

namespace vantrel {

std::string groupedNumber(uint64_t value) {
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

std::string byteCount(uint64_t count) {
    return groupedNumber(count) + (count == 1 ? " byte" : " bytes");
}

std::string asSentence(std::string text) {
    if (text.empty() || (text.back() != '.' && text.back() != '!' && text.back() != '?')) text += '.';
    return text;
}

namespace {

std::string offsetText(int64_t offset) {
    if (offset < 0) return "the negative offset " + std::to_string(offset);
    return "offset " + groupedNumber(static_cast<uint64_t>(offset));
}

}  // namespace

std::string pointsOutside(std::string_view what, int64_t offset, std::string_view region, uint64_t regionSize) {
    std::string text(region);
    text += " holds " + byteCount(regionSize) + ", but ";
    text += what;
    return text + " points to " + offsetText(offset);
}

std::string readsPastEnd(std::string_view region, uint64_t regionSize, int64_t offset, int64_t length) {
    std::string text(region);
    text += " ends after " + byteCount(regionSize) + ", but ";
    text += length == 1 ? "1 byte is" : groupedNumber(static_cast<uint64_t>(std::max<int64_t>(length, 0))) + " bytes are";
    return text + " read at " + offsetText(offset);
}

Error damagedFileError(std::string_view kind, std::string_view path, const Error& what) {
    std::string text = "The ";
    text += kind;
    text += " '";
    text += path;
    text += "' is damaged: ";
    text += what.description;
    return makeError(what.number, asSentence(std::move(text)));
}

}  // namespace vantrel
