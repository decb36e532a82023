#include "cli/printable_text.h"

#include <cstdio>

#include "slideshow/utf8_sequence.h"

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
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
