#include "cli/printable_text.h"

#include <cstdio>

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

// The length of the valid UTF-8 sequence starting at text[at] (no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7F) {
                AppendEscaped(out, lead);
            } else {
                out += static_cast<char>(lead);
            }
            ++at;
            continue;
        }
        const size_t length = Utf8SequenceLength(text, at);
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool c1Control =
            length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        if (length == 0 || c1Control) {
            for (size_t i = 0; i < (length == 0 ? 1 : length); ++i) {
                AppendEscaped(out, static_cast<unsigned char>(text[at + i]));
            }
            at += length == 0 ? 1 : length;
            continue;
        }
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}
