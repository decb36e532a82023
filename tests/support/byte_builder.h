// Building and reading little-endian byte strings in tests: picture headers, SWF
// fields, and bytes spelled as hex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

// Appends fields in little-endian order: LittleEndianBytes().U16(1).U32(40).Take().
class LittleEndianBytes {
  public:
    LittleEndianBytes& U8(uint32_t value) { return Append(value, 1); }
    LittleEndianBytes& U16(uint32_t value) { return Append(value, 2); }
    LittleEndianBytes& U32(uint32_t value) { return Append(value, 4); }
    LittleEndianBytes& Bytes(const std::vector<uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    LittleEndianBytes& Bytes(std::initializer_list<uint8_t> more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    LittleEndianBytes& Text(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Get() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    LittleEndianBytes& Append(uint32_t value, size_t count) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value >> 16),
                                  static_cast<uint8_t>(value >> 24)};
        bytes_.insert(bytes_.end(), bytes, bytes + count);
        return *this;
    }

    std::vector<uint8_t> bytes_;
};

// Little-endian reads that give 0 past the end instead of reading out of bounds.
inline uint16_t ReadU16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | b[at + 1] << 8) : 0;
}
inline uint32_t ReadU32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                                      static_cast<uint32_t>(b[at + 3]) << 24)
                              : 0;
}

// "3F 08 32" -> {0x3F, 0x08, 0x32}.
inline std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    std::string item;
    while (in >> item) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(item, nullptr, 16)));
    }
    return bytes;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char item[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(item, sizeof item, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += item;
    }
    return text;
}

}  // namespace test_support
