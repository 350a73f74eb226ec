#include "typelib/file/Messages.h"

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
