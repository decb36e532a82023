// Whole-file reads and writes for the tests, and the paths of the committed fixtures.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace test_support {

// tests/data/<folder>/<name>.
inline std::string DataFilePath(const std::string& folder, const std::string& name) {
    return std::string(REELWRIGHT_TEST_DATA_DIR) + "/" + folder + "/" + name;
}

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file with `bytes`; false when it could not be written whole.
inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

inline bool WriteFileText(const std::string& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace test_support
