#include "typelib/text/DecodedTexts.h"

#include "typelib/text/CodePage.h"

namespace vantrel {

Expected<std::string_view> DecodedTexts::decode(std::span<const uint8_t> text, size_t entrySize) {
    // An empty text takes no memory however often it is asked for; it is not counted.
    if (text.empty()) return std::string_view();
    if (entrySize > bytesLeft_) {
        return damaged("its texts overlap one another, so that they would be read more than once");
    }
    bytesLeft_ -= entrySize;
    if (isAscii(text)) return pool_.add({reinterpret_cast<const char*>(text.data()), text.size()});
    return pool_.add(decodeText(text, codePage_));
}

Expected<std::string_view> DecodedTexts::decodeAt(int64_t offset, std::span<const uint8_t> text,
                                                  size_t entrySize) {
    const std::string_view decoded = VANTREL_TRY(decode(text, entrySize));
    if (!decoded.empty()) byOffset_.emplace(offset, decoded);
    return decoded;
}

}  // namespace vantrel
