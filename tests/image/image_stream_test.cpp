// The memory and standard I/O streams the codecs read through.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "image/image_stream.h"

namespace {

const uint8_t kTen[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST(MemoryImageStream, ReadsWholeItemsLikeFread) {
    MemoryImageStream stream(kTen, sizeof kTen);
    uint8_t buffer[16] = {};
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Read(buffer, 4, 3), 2u);  // 10 bytes hold two 4-byte items
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_EQ(buffer[9], '9');
    EXPECT_EQ(stream.Read(buffer, 1, 1), 0u);
    EXPECT_EQ(stream.GetC(), EOF);
    // A count whose byte size overflows must not read anything wild.
    ASSERT_TRUE(stream.Seek(8, SEEK_SET));
    EXPECT_FALSE(stream.Eof());
    EXPECT_EQ(stream.Read(buffer, 2, SIZE_MAX), 1u);
}

TEST(MemoryImageStream, SeeksFromEveryOriginAndRefusesNegativePositions) {
    MemoryImageStream stream(kTen, sizeof kTen);
    EXPECT_TRUE(stream.Seek(-3, SEEK_END));
    EXPECT_EQ(stream.GetC(), '7');
    EXPECT_TRUE(stream.Seek(-2, SEEK_CUR));
    EXPECT_EQ(stream.GetC(), '6');
    EXPECT_FALSE(stream.Seek(-1, SEEK_SET));
    EXPECT_FALSE(stream.Seek(INT64_MAX, SEEK_END));
    EXPECT_EQ(stream.Tell(), 7);
    EXPECT_FALSE(stream.Seek(0, 42));
    // Past the end is a valid position where nothing can be read.
    EXPECT_TRUE(stream.Seek(100, SEEK_SET));
    EXPECT_EQ(stream.GetC(), EOF);
    uint8_t byte = 0;
    EXPECT_EQ(stream.Read(&byte, 1, 1), 0u);
}

TEST(MemoryImageStream, ReadsLinesAndNumbers) {
    const char text[] = "  -42x\nline two\n99999999999999 +7";
    MemoryImageStream stream(reinterpret_cast<const uint8_t*>(text), sizeof text - 1);
    int32_t value = 0;
    ASSERT_TRUE(stream.Scanf(&value));
    EXPECT_EQ(value, -42);
    EXPECT_EQ(stream.GetC(), 'x');
    EXPECT_FALSE(stream.Scanf(&value));  // "line" is no number
    char line[32];
    ASSERT_NE(stream.GetS(line, sizeof line), nullptr);
    EXPECT_STREQ(line, "line two\n");
    ASSERT_NE(stream.GetS(line, 4), nullptr);
    EXPECT_STREQ(line, "999");
    ASSERT_TRUE(stream.Scanf(&value));
    EXPECT_EQ(value, 2147483647);  // saturates instead of wrapping
    ASSERT_TRUE(stream.Scanf(&value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(stream.GetS(line, sizeof line), nullptr);
    EXPECT_FALSE(stream.Scanf(&value));
}

TEST(MemoryImageStream, WritesGrowAndOverwrite) {
    MemoryImageStream stream;
    EXPECT_EQ(stream.Write("abcdef", 2, 3), 3u);
    ASSERT_TRUE(stream.Seek(1, SEEK_SET));
    EXPECT_TRUE(stream.PutC('X'));
    ASSERT_TRUE(stream.Seek(8, SEEK_SET));
    EXPECT_EQ(stream.Write("!", 1, 1), 1u);
    const std::string written(stream.GetWritten().begin(), stream.GetWritten().end());
    EXPECT_EQ(written, std::string("aXcdef\0\0!", 9));
    EXPECT_EQ(stream.Size(), 9);
    MemoryImageStream reading(kTen, sizeof kTen);
    EXPECT_EQ(reading.Write("a", 1, 1), 0u);
}

class StdioImageStreamTest : public testing::Test {
  protected:
    void SetUp() override {
        path_ = testing::TempDir() + "reelwright_core_stream.bin";
        FILE* file = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(kTen, 1, sizeof kTen, file);
        std::fclose(file);
    }
    void TearDown() override { std::remove(path_.c_str()); }
    std::string path_;
};

TEST_F(StdioImageStreamTest, SizeKeepsThePosition) {
    StdioImageStream stream(path_.c_str(), "rb");
    ASSERT_TRUE(stream.IsOpen());
    uint8_t buffer[12];
    ASSERT_EQ(stream.Read(buffer, 1, 3), 3u);
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Tell(), 3);
    EXPECT_EQ(stream.GetC(), '3');
    EXPECT_EQ(stream.Read(buffer, 4, 3), 1u);
    EXPECT_TRUE(stream.Eof());
}

TEST_F(StdioImageStreamTest, OffsetsBeyondFourGigabytes) {
    StdioImageStream stream(path_.c_str(), "rb");
    ASSERT_TRUE(stream.Seek(int64_t{5} << 30, SEEK_SET));
    EXPECT_EQ(stream.Tell(), int64_t{5} << 30);
    EXPECT_EQ(stream.GetC(), EOF);
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Tell(), int64_t{5} << 30);
}

TEST_F(StdioImageStreamTest, ClosesOnlyAStreamItOpened) {
    FILE* file = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    {
        StdioImageStream wrapped(file);
        EXPECT_EQ(wrapped.GetC(), '0');
        EXPECT_TRUE(wrapped.Close());
        EXPECT_EQ(wrapped.GetC(), EOF);
    }
    EXPECT_EQ(std::fgetc(file), '1');  // still open
    std::fclose(file);
    StdioImageStream missing("/nonexistent/folder/x", "rb");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Read(nullptr, 1, 1), 0u);
    EXPECT_FALSE(missing.Seek(0, SEEK_SET));
}

}  // namespace
