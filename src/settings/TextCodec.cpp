#include "settings/TextCodec.h"

#include <cstddef>

namespace velmora::settings {
namespace {

// Length of the well-formed UTF-8 sequence at text[at], 0 when there is none
// (overlong forms, surrogates and values beyond U+10FFFF are not well formed).
std::size_t Utf8Sequence(std::string_view text, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUtf16Le(std::string& out, unsigned unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

unsigned Utf16Unit(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

bool IsUtf8(std::string_view text) {
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8Sequence(text, at, code);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string PatchUtf8(std::string_view text) {
    std::string out;
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8Sequence(text, at, code);
        if (length == 0) {
            out += kReplacementCharacter;
            ++at;
        } else {
            out += text.substr(at, length);
            at += length;
        }
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes, bool& exact) {
    std::string out;
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const unsigned unit = Utf16Unit(bytes, at);
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < bytes.size()) {
            const unsigned low = Utf16Unit(bytes, at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                at += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += kReplacementCharacter;
            exact = false;
        } else {
            AppendUtf8(out, unit);
        }
    }
    if (at < bytes.size()) {
        out += kReplacementCharacter;
        exact = false;
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = Utf8Sequence(text, at, code);
        if (length == 0) {
            code = 0xFFFD;
            length = 1;
        }
        at += length;
        if (code >= 0x10000) {
            AppendUtf16Le(out, 0xD800 + ((code - 0x10000) >> 10));
            AppendUtf16Le(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            AppendUtf16Le(out, code);
        }
    }
    return out;
}

}  // namespace velmora::settings
