// decodeText: 8-bit text to UTF-8 through the C library's iconv.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "typelib/text/CodePage.h"

namespace vantrel {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Opened converters, one per code page and thread: opening one costs far more than
// decoding a name, and a converter must not be used by two threads at once.
class Converters {
public:
    Converters() = default;
    Converters(const Converters&) = delete;
    Converters& operator=(const Converters&) = delete;
    ~Converters() {
        for (const auto& [codePage, converter] : open_)
            if (converter != kNoConverter) iconv_close(converter);
    }

    // The converter from the code page to UTF-8, reset; kNoConverter when iconv has none.
    iconv_t get(uint32_t codePage) {
        for (const auto& [known, converter] : open_) {
            if (known != codePage) continue;
            if (converter != kNoConverter) iconv(converter, nullptr, nullptr, nullptr, nullptr);
            return converter;
        }
        const std::string name = "CP" + std::to_string(codePage);
        const iconv_t converter = iconv_open("UTF-8", name.c_str());
        open_.emplace_back(codePage, converter);
        return converter;
    }

private:
    std::vector<std::pair<uint32_t, iconv_t>> open_;
};

Converters& converters() {
    thread_local Converters perThread;
    return perThread;
}

std::string asciiOnly(std::span<const uint8_t> bytes) {
    std::string out;
    for (uint8_t byte : bytes) {
        if (byte < 0x80) out.push_back(static_cast<char>(byte));
        else out += kReplacement;
    }
    return out;
}

// An output buffer that iconv writes into and that grows when iconv asks for room.
class Output {
public:
    explicit Output(size_t capacity) : text_(capacity, '\0') {}

    char** cursor() { return &cursor_; }
    size_t* room() { return &room_; }
    void grow() {
        const size_t used = text_.size() - room_;
        text_.resize(text_.size() * 2);
        cursor_ = text_.data() + used;
        room_ = text_.size() - used;
    }
    void append(std::string_view text) {
        while (room_ < text.size()) grow();
        cursor_ = std::copy(text.begin(), text.end(), cursor_);
        room_ -= text.size();
    }
    std::string take() && {
        text_.resize(text_.size() - room_);
        return std::move(text_);
    }

private:
    std::string text_;
    char* cursor_ = text_.data();
    size_t room_ = text_.size();
};

// Emits what a converter still holds (a base letter waiting for a combining mark).
void flush(iconv_t converter, Output& out) {
    while (iconv(converter, nullptr, nullptr, out.cursor(), out.room()) == static_cast<size_t>(-1) &&
           errno == E2BIG)
        out.grow();
}

bool isMultiByte(uint32_t codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// What a byte that doesn't decode becomes. Windows maps the bytes 0x80-0x9F that a
// single-byte code page leaves undefined to the C1 control of the same value; the
// platform's reader shows them so, and so does this one.
std::string_view undecodable(uint8_t byte, bool multiByte, std::array<char, 2>& control) {
    if (multiByte || byte < 0x80 || byte > 0x9F) return kReplacement;
    control = {static_cast<char>(0xC2), static_cast<char>(byte)};
    return {control.data(), control.size()};
}

std::string convert(iconv_t converter, std::span<const uint8_t> bytes, bool multiByte) {
    // A byte gives at most one character of three UTF-8 bytes.
    Output out(bytes.size() * 3 + 16);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    size_t left = bytes.size();
    while (left > 0) {
        if (iconv(converter, &in, &left, out.cursor(), out.room()) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.grow();
            continue;
        }
        // An invalid or truncated sequence: its first byte is replaced, the rest is
        // decoded anew.
        flush(converter, out);
        std::array<char, 2> control;
        out.append(undecodable(static_cast<uint8_t>(*in), multiByte, control));
        ++in;
        --left;
    }
    flush(converter, out);
    return std::move(out).take();
}

}  // namespace

std::string decodeText(std::span<const uint8_t> bytes, uint32_t codePage) {
    // Nearly every name is plain ASCII, which every code page leaves as it is.
    if (isAscii(bytes)) return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const iconv_t converter = converters().get(codePage);
    if (converter == kNoConverter) return asciiOnly(bytes);
    return convert(converter, bytes, isMultiByte(codePage));
}

}  // namespace vantrel
