#include "app/integer_field.h"

namespace {

constexpr size_t kFieldReadLimit = 31;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<int32_t> ParseIntegerField(std::string_view text) {
    text = text.substr(0, kFieldReadLimit);
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    const size_t firstNonBlank = at;

    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const size_t digitsStart = at;
    int64_t magnitude = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        magnitude = magnitude * 10 + (text[at] - '0');
        // 2147483648 is the most a negative value may reach; stop before overflow.
        if (magnitude > 2147483648LL) {
            return std::nullopt;
        }
        ++at;
    }
    if (at == digitsStart) {
        return std::nullopt;
    }
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    if (at != text.size()) {
        return std::nullopt;
    }

    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN) {
        return std::nullopt;
    }
    if (value == 0 && text[firstNonBlank] != '0') {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}
