// Loading by path and by stream, format dispatch, and saving's refusals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "image/codecs/picture_png.h"
#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"
#include "support/scratch_folder.h"

namespace {

std::string WriteTemporaryFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = testing::TempDir() + "reelwright_core_" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file) {
        if (!bytes.empty()) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        }
        std::fclose(file);
    }
    return path;
}

// Bytes no decoder accepts: no signature, and a TGA image type of 0x47.
const std::vector<uint8_t> kGarbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u',
                                       'r', 'e', ' ', 'a', 't', ' ', 'a', 'l', 'l', '.', '\n'};

TEST(PictureLoad, UnopenablePathGivesTheSystemsReason) {
    for (uint32_t type : {kFormatUnknown, kFormatBmp}) {
        Picture picture;
        picture.SetError(PictureError::kSystem, "earlier");
        EXPECT_FALSE(picture.Load("/nonexistent/folder/picture.bmp", type));
        EXPECT_EQ(picture.GetErrorCode(), PictureError::kSystem);
        EXPECT_STREQ(picture.GetLastError(), "No such file or directory");
        EXPECT_FALSE(picture.IsValid());
    }
    Picture picture;
    picture.SetError(PictureError::kSystem, "earlier");
    EXPECT_FALSE(picture.Load(nullptr, kFormatUnknown));
    EXPECT_STREQ(picture.GetLastError(), "earlier");
}

TEST(PictureLoad, ContentOfAKnownFormatGivesItsDecodersReason) {
    const std::vector<uint8_t> png =
        image_test::ReadFileBytes(image_test::DataFilePath("png", "rgb8.png"));
    std::vector<uint8_t> badChecksum = png;
    badChecksum[29] ^= 0xFF;  // the first byte of the header chunk's checksum
    const std::vector<uint8_t> bmp =
        image_test::ReadFileBytes(image_test::DataFilePath("bmp", "bits24.bmp"));
    std::vector<uint8_t> bmpHeader20 = bmp;
    bmpHeader20[14] = 20;
    const std::vector<uint8_t> tga =
        image_test::ReadFileBytes(image_test::DataFilePath("tga", "type2_24.tga"));
    const std::vector<uint8_t> gif =
        image_test::ReadFileBytes(image_test::DataFilePath("gif", "checker.gif"));
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        PictureError code;
        const char* reason;
    };
    const Case cases[] = {
        {"PNG cut short", std::vector<uint8_t>(png.begin(), png.begin() + 40),
         PictureError::kReadError, "Read Error"},
        {"PNG with a bad checksum", badChecksum, PictureError::kCodecLibrary, "IHDR: CRC error"},
        {"BMP with a 20-byte header", bmpHeader20, PictureError::kBmpHeaderUnreadable,
         "Error reading BMP info"},
        {"TGA cut short", std::vector<uint8_t>(tga.begin(), tga.begin() + 60),
         PictureError::kTgaCorrupted, "corrupted TGA"},
        {"GIF without its screen", std::vector<uint8_t>(gif.begin(), gif.begin() + 8),
         PictureError::kGifCorrupted, "corrupted GIF"},
        {"WebP cut short",
         image_test::ReadFileBytes(image_test::DataFilePath("webp", "truncated.webp")),
         PictureError::kWebpTruncated, "WebP file is truncated"},
        {"AVIF cut short",
         image_test::ReadFileBytes(image_test::DataFilePath("avif", "truncated.avif")),
         PictureError::kCodecLibrary,
         "Invalid input: Unexpected end of file: Extent in iloc box references data outside of "
         "file bounds (points to file position 282)"},
        {"no format at all", kGarbage, PictureError::kUnknownFormat,
         "Decode: Unknown or wrong format"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string path = WriteTemporaryFile("reason", test.bytes);
        Picture picture;
        EXPECT_FALSE(picture.Load(path.c_str(), kFormatUnknown));
        EXPECT_EQ(picture.GetErrorCode(), test.code);
        EXPECT_STREQ(picture.GetLastError(), test.reason);
        std::remove(path.c_str());
    }
}

TEST(PictureLoad, SuccessLeavesNoMessageOfTheDecodersThatRefusedOnTheWay) {
    // A TGA is tried by every other decoder first; a PNG without its end chunk makes
    // libpng complain after the last row.
    std::vector<uint8_t> noEnd =
        image_test::ReadFileBytes(image_test::DataFilePath("png", "rgb8.png"));
    noEnd.resize(noEnd.size() - 12);
    const std::string noEndPath = WriteTemporaryFile("no_end.png", noEnd);
    for (const std::string& path : {image_test::DataFilePath("tga", "type2_24.tga"), noEndPath}) {
        SCOPED_TRACE(path);
        Picture picture;
        picture.SetError(PictureError::kSystem, "earlier");
        ASSERT_TRUE(picture.Load(path.c_str(), kFormatUnknown));
        EXPECT_STREQ(picture.GetLastError(), "earlier");
    }
    PicturePNG decoder;
    MemoryImageStream stream(noEnd.data(), noEnd.size());
    ASSERT_TRUE(decoder.Decode(&stream));
    EXPECT_STREQ(decoder.GetLastError(), "");
    std::remove(noEndPath.c_str());
}

TEST(PictureLoad, GarbageIsAnUnknownFormat) {
    const std::string path = WriteTemporaryFile("garbage.png", kGarbage);
    Picture picture;
    EXPECT_FALSE(picture.Load(path.c_str(), kFormatUnknown));
    EXPECT_FALSE(picture.IsValid());
    EXPECT_STREQ(picture.GetLastError(), "Decode: Unknown or wrong format");
    const std::string empty = WriteTemporaryFile("empty.bmp", {});
    EXPECT_FALSE(picture.Load(empty.c_str(), kFormatUnknown));
    EXPECT_STREQ(picture.GetLastError(), "Decode: Unknown or wrong format");
    std::remove(path.c_str());
    std::remove(empty.c_str());
}

TEST(PictureLoad, NamedFormatKeepsItsOwnMessageWhenNothingFits) {
    const std::string path = WriteTemporaryFile("garbage.tga", kGarbage);
    // What the TGA decoder alone says about these bytes.
    MemoryImageStream stream(kGarbage.data(), kGarbage.size());
    Picture direct;
    EXPECT_FALSE(direct.Decode(&stream, kFormatTga));

    Picture picture;
    EXPECT_FALSE(picture.Load(path.c_str(), kFormatTga));
    EXPECT_STREQ(picture.GetLastError(), direct.GetLastError());
    EXPECT_STRNE(picture.GetLastError(), "Decode: Unknown or wrong format");
    std::remove(path.c_str());
}

TEST(PictureDecode, RefusesNullStreamsAndUnknownTypeCodes) {
    Picture picture;
    EXPECT_FALSE(picture.Decode(nullptr, kFormatUnknown));
    EXPECT_STREQ(picture.GetLastError(), "null file handler");
    MemoryImageStream stream(kGarbage.data(), kGarbage.size());
    for (uint32_t type : {6u, 11u, 1000u}) {
        picture.SetError(PictureError::kSystem, "x");
        EXPECT_FALSE(picture.Decode(&stream, type));
        EXPECT_STREQ(picture.GetLastError(), "Decode: Unknown or wrong format");
    }
}

TEST(PictureDecode, FailureLeavesThePictureAsItWas) {
    Picture picture;
    ASSERT_NE(picture.Create(3, 3, 24, kFormatPng), nullptr);
    picture.SetPixelColor(2, 2, RgbQuad{1, 2, 3, 0});
    const uint8_t* block = picture.GetDib();
    for (uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 10u}) {
        MemoryImageStream stream(kGarbage.data(), kGarbage.size());
        EXPECT_FALSE(picture.Decode(&stream, type)) << type;
        EXPECT_STRNE(picture.GetLastError(), "") << type;
    }
    EXPECT_EQ(picture.GetDib(), block);
    EXPECT_EQ(picture.GetType(), 4u);
    EXPECT_EQ(picture.GetPixelColor(2, 2, false), (RgbQuad{1, 2, 3, 0}));
}

TEST(PictureDecode, DetectionTriesEachDecoderFromWhereTheStreamStands) {
    // Each file sits behind six bytes of something else; the stream is placed at the
    // file's first byte. Every decoder that refuses the file has read some of it, so
    // the ones after it only succeed when the stream is put back each time.
    struct Case {
        const char* folder;
        const char* name;
        uint32_t type;
    };
    const Case cases[] = {
        {"bmp", "bits24.bmp", kFormatBmp},        {"jpeg", "colour.jpg", kFormatJpeg},
        {"ico", "three_entries.ico", kFormatIco}, {"gif", "stripes.gif", kFormatGif},
        {"png", "rgb8.png", kFormatPng},          {"tga", "type10_15.tga", kFormatTga},
        {"webp", "lossy.webp", kFormatWebp},      {"heif", "colour.heic", kFormatHeif},
        {"avif", "colour.avif", kFormatAvif},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::vector<uint8_t> file =
            image_test::ReadFileBytes(image_test::DataFilePath(test.folder, test.name));
        Picture named;
        ASSERT_TRUE(image_test::DecodeBytes(named, file, test.type));

        std::vector<uint8_t> bytes = {'p', 'r', 'e', 'f', 'i', 'x'};
        bytes.insert(bytes.end(), file.begin(), file.end());
        MemoryImageStream stream(bytes.data(), bytes.size());
        ASSERT_TRUE(stream.Seek(6, SEEK_SET));
        Picture found;
        ASSERT_TRUE(found.Decode(&stream, kFormatUnknown)) << found.GetLastError();
        EXPECT_EQ(found.GetType(), test.type);
        EXPECT_EQ(found.GetWidth(), named.GetWidth());
        EXPECT_EQ(found.GetHeight(), named.GetHeight());
        EXPECT_EQ(std::vector<uint8_t>(found.GetDib(), found.GetDib() + found.GetDibSize()),
                  std::vector<uint8_t>(named.GetDib(), named.GetDib() + named.GetDibSize()));
    }
}

TEST(PictureDecode, EveryDecoderWorksUnderThePicturesMemoryLimit) {
    struct Case {
        const char* folder;
        const char* name;
        uint32_t type;
        // What the decoder holds at once: padded rows x height of the picture, its
        // alpha plane, and the icon's AND mask (4-byte rows of 16 bits).
        uint64_t pixelBytes;
    };
    const Case cases[] = {
        {"bmp", "bits24.bmp", kFormatBmp, 40 * 7},
        {"jpeg", "colour.jpg", kFormatJpeg, 136 * 30},
        {"ico", "alpha32.ico", kFormatIco, 48 * 16 + 16 * 16 + 4 * 16},
        {"gif", "checker.gif", kFormatGif, 4 * 5},
        {"png", "rgb8.png", kFormatPng, 24 * 5},
        {"tga", "type2_32.tga", kFormatTga, 40 * 7 + 13 * 7},
        // 45 x 31 at 24 bits: rows of 136 bytes; libheif's RGB image of it is smaller.
        {"webp", "lossy.webp", kFormatWebp, 136 * 31},
        {"heif", "colour.heic", kFormatHeif, 136 * 31},
        {"avif", "colour.avif", kFormatAvif, 136 * 31},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::vector<uint8_t> file =
            image_test::ReadFileBytes(image_test::DataFilePath(test.folder, test.name));
        Picture fits;
        fits.SetMemoryLimit(test.pixelBytes);
        EXPECT_TRUE(image_test::DecodeBytes(fits, file, test.type)) << fits.GetLastError();
        EXPECT_EQ(fits.GetMemoryLimit(), test.pixelBytes);
        Picture tooSmall;
        tooSmall.SetMemoryLimit(test.pixelBytes - 1);
        EXPECT_FALSE(image_test::DecodeBytes(tooSmall, file, test.type));
        EXPECT_STREQ(tooSmall.GetLastError(),
                     test.type == kFormatTga ? "TGA Create failed" : "PICTURE_MAX_MEMORY exceeded");
    }
}

TEST(PictureLoad, NamedFormatThatDoesNotFitFallsBackToDetection) {
    Picture picture;
    ASSERT_TRUE(picture.Load(image_test::DataFilePath("png", "rgb8.png").c_str(), kFormatBmp));
    EXPECT_EQ(picture.GetType(), static_cast<uint32_t>(kFormatPng));
    EXPECT_TRUE(picture.IsValid());
}

TEST(PictureEncode, RefusesFormatsItCannotWrite) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 2, 24, 0), nullptr);
    MemoryImageStream out;
    EXPECT_FALSE(picture.Encode(&out, 0));
    EXPECT_STREQ(picture.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(picture.Encode(&out, 6));
    EXPECT_STREQ(picture.GetLastError(), "Encode: Unknown format");
    for (uint32_t type : {1u, 2u, 4u, 5u, 7u, 8u, 9u, 10u}) {
        picture.SetError(PictureError::kSystem, "x");
        EXPECT_FALSE(picture.Encode(&out, type));
        EXPECT_STREQ(picture.GetLastError(), "Encode: saving in this format is not supported");
    }
    EXPECT_TRUE(out.GetWritten().empty());
    EXPECT_FALSE(picture.Save("/nonexistent/folder/out.jpg", kFormatJpeg));
    EXPECT_STREQ(picture.GetLastError(), "No such file or directory");
}

TEST(PictureEncode, JpegOfAPalettePictureReportsTheEncodersReason) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 2, 8, 0), nullptr);
    picture.SetPaletteColor(1, RgbQuad{0, 0, 255, 0});
    MemoryImageStream out;
    EXPECT_FALSE(picture.Encode(&out, kFormatJpeg));
    EXPECT_STREQ(picture.GetLastError(), "JPEG can save only RGB or GreyScale images");
    EXPECT_TRUE(picture.IsValid());  // the encoder only borrowed it
}

}  // namespace

namespace {

// A flag raised by another thread reaches the decoder, which works on a copy of the
// picture's information, and stops it; lowered, the same load succeeds.
TEST(PictureLoad, RaisedStopFlagCancelsEveryDecoderThatReadsRows) {
    struct Case {
        const char* folder;
        const char* name;
    };
    for (const Case& test :
         {Case{"bmp", "bits24.bmp"}, Case{"jpeg", "colour.jpg"}, Case{"png", "grey16.png"},
          Case{"gif", "checker.gif"}, Case{"tga", "type10_24.tga"}, Case{"webp", "lossy.webp"},
          Case{"heif", "colour.heic"}, Case{"avif", "colour.avif"}}) {
        SCOPED_TRACE(test.name);
        const std::string path = image_test::DataFilePath(test.folder, test.name);
        std::atomic<bool> stop{true};
        Picture picture;
        picture.SetStopFlag(&stop);
        EXPECT_FALSE(picture.Load(path.c_str(), kFormatUnknown));
        EXPECT_FALSE(picture.IsValid());
        stop = false;
        EXPECT_TRUE(picture.Load(path.c_str(), kFormatUnknown)) << picture.GetLastError();
        EXPECT_EQ(picture.GetEscape(), 0);
    }
}

}  // namespace

namespace {

// A pipe without a writer would block an open for reading forever, and a device or
// socket is no picture: none is opened, so Load returns at once with the reason.
TEST(PictureLoad, OnlyRegularFilesAreOpened) {
    test_support::ScratchFolder scratch;
    const std::string fifo = scratch.File("waiting.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = scratch.File("socket.png");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    struct Case {
        std::string path;
        const char* reason;
    };
    for (const Case& test :
         {Case{fifo, "Not a regular file"}, Case{socketPath, "Not a regular file"},
          Case{"/dev/null", "Not a regular file"}, Case{scratch.Path(), "Is a directory"}}) {
        for (uint32_t type : {kFormatUnknown, kFormatJpeg}) {
            SCOPED_TRACE(test.path + " as type " + std::to_string(type));
            Picture picture;
            EXPECT_FALSE(picture.Load(test.path.c_str(), type));
            EXPECT_STREQ(picture.GetLastError(), test.reason);
            EXPECT_FALSE(picture.IsValid());
        }
    }
    close(listener);
}

// A file far larger than any picture, whose start promises one: libjpeg walks through
// the filler looking for a marker, libpng reads through a chunk it ignores. A stop
// raised by another thread ends the reading at once, wherever it is.
TEST(PictureLoad, StopEndsTheReadingOfAHugeFile) {
    test_support::ScratchFolder scratch;
    constexpr off_t kSize = off_t{64} << 30;  // sparse: it takes no room on the disk
    struct Case {
        const char* name;
        std::vector<uint8_t> start;
    };
    const Case cases[] = {
        {"filler.jpg", {0xFF, 0xD8}},
        {"ignored_chunk.png",
         {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,   0,   13,  'I', 'H',
          'D',  'R',  0,    0,    0,    8,    0,    0,    0,    8,   8,   2,   0,   0,
          0,    0x4B, 0x6D, 0x29, 0xDC, 0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't'}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string path = scratch.File(test.name);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, test.start.data(), test.start.size()),
                  static_cast<ssize_t>(test.start.size()));
        ASSERT_EQ(ftruncate(fd, kSize), 0);
        close(fd);

        std::atomic<bool> stop{false};
        Picture picture;
        picture.SetStopFlag(&stop);
        std::thread stopper([&stop] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop = true;
        });
        // Without the stop this would read 64 GiB of zeros: minutes, not a test.
        EXPECT_FALSE(picture.Load(path.c_str(), kFormatUnknown));
        stopper.join();
        EXPECT_STREQ(picture.GetLastError(), "Cancelled");
        EXPECT_FALSE(picture.IsValid());
    }
}

}  // namespace

namespace {

// A decoder that keeps a picture whose data ended early says so: the picture is whole
// but for its last rows, which stay grey or black.
TEST(PictureDecode, PictureKeptAlthoughItsDataEndedEarlyCarriesItsDamage) {
    struct Case {
        const char* folder;
        const char* name;
        size_t keptBytes;  // of the file; 0 for all
        PictureError damage;
    };
    const Case cases[] = {
        {"jpeg", "colour.jpg", 0, PictureError::kNone},
        {"jpeg", "truncated.jpg", 0, PictureError::kJpegPrematureEnd},
        {"bmp", "bits24.bmp", 0, PictureError::kNone},
        {"bmp", "bits24.bmp", 200, PictureError::kRowsMissing},
        {"bmp", "bits16_565.bmp", 120, PictureError::kRowsMissing},
        {"gif", "stripes.gif", 0, PictureError::kNone},
        {"gif", "stripes.gif", 150, PictureError::kRowsMissing},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.name) + " cut to " + std::to_string(test.keptBytes));
        std::vector<uint8_t> bytes =
            image_test::ReadFileBytes(image_test::DataFilePath(test.folder, test.name));
        if (test.keptBytes != 0) {
            bytes.resize(test.keptBytes);
        }
        Picture picture;
        picture.SetDamage(PictureError::kRowsMissing);  // of an earlier picture
        ASSERT_TRUE(image_test::DecodeBytes(picture, bytes, kFormatUnknown))
            << picture.GetLastError();
        EXPECT_EQ(picture.GetDamage(), test.damage);
    }
    EXPECT_STREQ(PictureErrorText(PictureError::kJpegPrematureEnd), "Premature end of JPEG file");
    EXPECT_STREQ(PictureErrorText(PictureError::kRowsMissing),
                 "the picture's data ends before its last row");
}

}  // namespace
