// Behaviour of the movie writer beyond single records: the movie's lifecycle,
// refusals of values that do not fit, and failures that must be reported.

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"
#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_matrix.h"
#include "swf/swf_shape.h"
#include "swf/swf_twips.h"
#include "swf/swf_writer.h"

namespace {

using namespace test_support;

TEST(SwfUnits, PixelsBecomeTwipsTruncatedTowardZero) {
    EXPECT_EQ(SwfPixelsToTwips(0.05f), 1);
    EXPECT_EQ(SwfPixelsToTwips(-0.5f), -10);
    EXPECT_EQ(SwfPixelsToTwips(-0.07f), -1);
    EXPECT_EQ(SwfPixelsToTwips(280.0f), 5600);
    EXPECT_EQ(SwfPixelsToTwips(1638.35f), 32767);
    EXPECT_EQ(SwfPixelsToTwips(std::nanf("")), 0);
    EXPECT_EQ(SwfPixelsToTwips(1e30f), INT32_MAX);
    EXPECT_EQ(SwfPixelsToTwips(-1e30f), INT32_MIN);
}

TEST(SwfUnits, FrameSizeFitsUpTo1638Pixels) {
    EXPECT_TRUE(SwfFrameSizeFits(1638.35f, 1638.0f));
    EXPECT_TRUE(SwfFrameSizeFits(-1638.4f, 0.0f));  // -32768 twips
    EXPECT_FALSE(SwfFrameSizeFits(1639.0f, 210.0f));
    EXPECT_FALSE(SwfFrameSizeFits(280.0f, 1638.4f));
    EXPECT_FALSE(SwfFrameSizeFits(std::nanf(""), 210.0f));
}

TEST(SwfUnits, SignedBitWidthCoversTwosComplementRange) {
    EXPECT_EQ(SwfSignedBitWidth({0}), 1);
    EXPECT_EQ(SwfSignedBitWidth({-1}), 1);
    EXPECT_EQ(SwfSignedBitWidth({1}), 2);
    EXPECT_EQ(SwfSignedBitWidth({-2}), 2);
    EXPECT_EQ(SwfSignedBitWidth({5600, 4200}), 14);
    EXPECT_EQ(SwfSignedBitWidth({65536}), 18);
    EXPECT_EQ(SwfSignedBitWidth({-65536}), 17);
    EXPECT_EQ(SwfSignedBitWidth({INT32_MAX}), 32);
    EXPECT_EQ(SwfSignedBitWidth({INT32_MIN}), 32);
}

TEST(SwfRecords, MatrixSetRecomputesEveryPair) {
    SwfMatrix matrix;
    matrix.Set(1, 1, 0.5f, 0.5f, 10, 10);
    matrix.Set(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(ToHex(matrix.Encode()), "00");
}

TEST(SwfRecords, RotationNudgesQuarterTurns) {
    SwfShape shape(1, 0, 0, 10, 10, 1);
    shape.SetTranslation(5, 0);
    // Every matrix keeps the translation, 100 twips and 0 (width 8).
    shape.SetRotation(0);  // 0.05 degrees: scale 65535, 65535 (width 17), skew 57, -57 (7)
    EXPECT_EQ(ToHex(shape.GetPlacementMatrix().Encode()), "C5 FF FE FF FF 9D CC 74 32 00 00");
    shape.SetRotation(90);  // 90.05 degrees: scale -57, -57 (7), skew 65535, -65535 (17)
    EXPECT_EQ(ToHex(shape.GetPlacementMatrix().Encode()), "9E 3C 7C 5F FF F0 00 14 32 00 00");
    shape.SetRotation(45);  // not nudged: scale 46340, 46340, skew 46340, -46340 (all 17)
    EXPECT_EQ(ToHex(shape.GetPlacementMatrix().Encode()), "C5 6A 08 B5 04 C5 6A 09 4A FC 43 20 00");
}

TEST(SwfRecords, ColorTransformRefusesTermsBeyondFourBitWidth) {
    const SwfColorTerms widest = {32.99f, 1, 1, 1, -8447, 0, 0, 0};
    SwfColorTransform fits(&widest);
    EXPECT_TRUE(fits.Fits());
    EXPECT_EQ(fits.GetBitWidth(), 15u);
    EXPECT_EQ(fits.Encode().size(), 16u);

    for (const SwfColorTerms& terms :
         {SwfColorTerms{33, 1, 1, 1, 0, 0, 0, 0}, SwfColorTerms{1, 1, 1, 1, 0, 0, 0, -8448},
          SwfColorTerms{1, 1, 1, 1e9f, 0, 0, 0, 0}}) {
        SwfColorTransform tooWide(&terms);
        EXPECT_FALSE(tooWide.Fits());
        EXPECT_TRUE(tooWide.Encode().empty());
    }
}

TEST(SwfShapes, DefinitionIsBuiltOnce) {
    SwfShape shape(3, 0, 0, 10, 10, 2);
    shape.AddStraightEdge(10, 0);
    const std::vector<uint8_t> first = shape.GetDefinition();
    EXPECT_EQ(ToHex(shape.GetDefinition()), ToHex(first));
    EXPECT_EQ(shape.GetDefinitionLength(), first.size());
}

TEST(SwfShapes, UnsupportedFillsAreIgnored) {
    SwfShape shape(1, 0, 0, 10, 10, 1);
    const uint8_t record[5] = {0, 1, 2, 3, 4};
    shape.AddGradientFill(0x11, 0, 0, 10, 10, record, 1);
    shape.AddGradientFill(0x10, 0, 0, 10, 10, record, 0);
    shape.AddBitmapFill(2, 0x44, 0, 0, 1, 1, 0, 0, 1, 1);
    SwfShape plain(1, 0, 0, 10, 10, 1);
    EXPECT_EQ(ToHex(shape.GetDefinition()), ToHex(plain.GetDefinition()));
    EXPECT_TRUE(shape.GetError().empty());
}

TEST(SwfShapes, ValuesOutOfRangeMakeTheShapeUnbuildable) {
    SwfShape bounds(1, 0, 0, 2000, 100, 1);
    EXPECT_TRUE(bounds.GetDefinition().empty());
    EXPECT_EQ(bounds.GetError(),
              "shape 1 bounds (0, 0)-(2000, 100) are too large: at most 1638 pixels fit");

    SwfShape edge(1, 0, 0, 10, 10, 1);
    edge.AddStraightEdge(3277, 0);  // 65540 twips: 18 bits
    EXPECT_TRUE(edge.GetDefinition().empty());
    EXPECT_EQ(edge.GetError(), "straight edge (3277, 0) is too long: at most 3276 pixels fit");

    SwfShape longestEdge(1, 0, 0, 10, 10, 1);
    longestEdge.AddStraightEdge(-3276.8f, 3276.75f);  // 17 bits, the widest that fits
    EXPECT_FALSE(longestEdge.GetDefinition().empty());

    SwfShape line(1, 0, 0, 10, 10, 1);
    line.AddLineStyle(3277, 0xFF000000);
    EXPECT_TRUE(line.GetDefinition().empty());

    uint8_t records[45] = {};
    SwfShape gradient(1, 0, 0, 10, 10, 1);
    gradient.AddGradientFill(0x12, 0, 0, 10, 10, records, 9);
    EXPECT_EQ(gradient.GetError(), "gradient fill with 9 records: at most 8 fit");

    SwfShape emptySource(1, 0, 0, 10, 10, 1);
    emptySource.AddBitmapFill(2, 0x41, 0, 0, 0, 10, 0, 0, 10, 10);
    EXPECT_TRUE(emptySource.GetDefinition().empty());

    SwfShape missingStyle(1, 0, 0, 10, 10, 1);
    missingStyle.AddSolidFill(0xFF0000FF);
    missingStyle.AddStyleChange(0, 2, 0);
    EXPECT_TRUE(missingStyle.GetDefinition().empty());
    EXPECT_EQ(missingStyle.GetError(),
              "shape 1 names fill style 2, which it does not have (it has 1)");

    SwfShape missingLine(7, 0, 0, 10, 10, 1);
    missingLine.AddStyleChange(1, 0, 0);
    SwfWriter writer;
    writer.AddCharacter(&missingLine, 1, true);
    EXPECT_EQ(writer.GetError(),
              "character 7: shape 7 names line style 1, which it does not have (it has 0)");
}

TEST(SwfJpegBitmaps, TagWrapsTheWholeFile) {
    ScratchFolder folder;
    std::vector<uint8_t> file(1000);
    for (size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<uint8_t>(i * 7);
    }
    file[998] = 0xAB;
    file[999] = 0xCD;
    WriteFileBytes(folder.File("a.jpg"), file);
    SwfJpegBitmap bitmap(2, folder.File("a.jpg"));
    const std::vector<uint8_t>& tag = bitmap.GetDefinition();
    ASSERT_EQ(bitmap.GetDefinitionLength(), 1014u);
    EXPECT_EQ(ToHex({tag.begin(), tag.begin() + 12}), "7F 05 F0 03 00 00 02 00 FF D9 FF D8");
    EXPECT_EQ(ToHex({tag.end() - 4, tag.end()}), "AB CD FF D9");
    EXPECT_TRUE(std::equal(file.begin(), file.end(), tag.begin() + 12));
    EXPECT_EQ(bitmap.GetReadError(), "");
    // The same bytes held in memory make the same tag; none make none.
    EXPECT_TRUE(SwfJpegBitmap(2, file).GetDefinition() == tag);
    EXPECT_EQ(SwfJpegBitmap(2, std::vector<uint8_t>{}).GetDefinitionLength(), 0u);
}

TEST(SwfJpegBitmaps, UnreadableFilesGiveNoTag) {
    ScratchFolder folder;
    SwfJpegBitmap missing(2, folder.File("missing.jpg"));
    EXPECT_EQ(missing.GetDefinitionLength(), 0u);
    EXPECT_EQ(missing.GetReadError(),
              "cannot open " + folder.File("missing.jpg") + ": No such file or directory");

    SwfJpegBitmap folderPath(2, folder.Path());
    EXPECT_EQ(folderPath.GetDefinitionLength(), 0u);
    EXPECT_EQ(folderPath.GetReadError(), "cannot read " + folder.Path() + ": not a regular file");

    // An unreadable bitmap is the build's to report; the movie goes on without it.
    SwfWriter writer;
    writer.AddCharacter(&missing, kSwfNoDepth, false);
    EXPECT_EQ(writer.GetTagByteCount(), 0u);
    EXPECT_FALSE(writer.Failed());
}

TEST(SwfMovie, CountsFramesAndStatesTheFileLength) {
    ScratchFolder folder;
    WriteFileBytes(folder.File("p.jpg"), FromHex("FF D8 00 FF D9"));
    const std::string path = folder.File("three.swf");
    SwfWriter writer;
    ASSERT_EQ(writer.Open(path, 280, 210, 10), 1);
    writer.SetBackgroundColor(0);
    for (int i = 0; i < 3; ++i) {
        SwfJpegBitmap bitmap(static_cast<uint16_t>(2 * i + 2), folder.File("p.jpg"));
        writer.AddCharacter(&bitmap, kSwfNoDepth, false);
        SwfShape shape(static_cast<uint16_t>(2 * i + 1), 0, 0, 280, 210,
                       static_cast<uint16_t>(i + 1));
        writer.AddCharacter(&shape, static_cast<uint16_t>(i + 1), true);
        writer.ShowFrame();
    }
    ASSERT_TRUE(writer.Close());
    const std::vector<uint8_t> movie = ReadFileBytes(path);
    ASSERT_GE(movie.size(), 22u);
    EXPECT_EQ(movie[4] | movie[5] << 8 | movie[6] << 16 | movie[7] << 24,
              static_cast<int>(movie.size()));
    EXPECT_EQ(ToHex({movie.begin() + 18, movie.begin() + 20}), "03 00");  // frame count
    EXPECT_EQ(ToHex({movie.end() - 4, movie.end()}), "40 00 00 00");      // ShowFrame, End
}

// The header's frame count is 16 bits: the 65535th frame is the last one a movie
// can hold, and one more fails the movie instead of wrapping the count to 0.
TEST(SwfMovie, FrameCountStopsAt65535) {
    ScratchFolder folder;
    const std::string path = folder.File("long.swf");
    SwfWriter writer;
    ASSERT_EQ(writer.Open(path, 280, 210, 10), 1);
    for (int i = 0; i < 65535; ++i) {
        writer.ShowFrame();
    }
    ASSERT_TRUE(writer.Close()) << writer.GetError();
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    const SwfTestMovie movie = ParseTestMovie(bytes);
    EXPECT_EQ(movie.error, "");
    EXPECT_EQ(ToHex({bytes.begin() + 18, bytes.begin() + 20}), "FF FF");
    EXPECT_EQ(movie.TagsWithCode(kTestTagShowFrame).size(), 65535u);
    EXPECT_EQ(movie.fileLength, bytes.size());

    SwfWriter tooLong;
    ASSERT_EQ(tooLong.Open(path, 280, 210, 10), 1);
    for (int i = 0; i < 65536; ++i) {
        tooLong.ShowFrame();
    }
    EXPECT_EQ(tooLong.GetFrameCount(), 65535);
    EXPECT_EQ(tooLong.GetErrorCode(), SwfWriterError::kTooManyFrames);
    EXPECT_EQ(tooLong.GetError(), "the movie has more than 65535 frames");
    EXPECT_FALSE(tooLong.Close());
}

// A streamed movie is byte for byte the whole movie laid out in memory: the
// header with the real file length and frame count, the tags in call order, the
// End tag. The expected bytes are laid out here from each character's own
// definition and the literal placement and ShowFrame tags. The bitmap tags are
// empty, tiny, exactly 64 KiB, one byte more and larger, so they meet every way a
// tag can fall against a write buffer.
TEST(SwfMovie, StreamedMovieIsTheWholeMovieLaidOutInMemory) {
    ScratchFolder folder;
    const size_t jpegSizes[] = {0, 1, 700, 4000, 65522, 65523, 100000};
    for (size_t k = 0; k < std::size(jpegSizes); ++k) {
        std::vector<uint8_t> jpeg(jpegSizes[k]);
        for (size_t i = 0; i < jpeg.size(); ++i) {
            jpeg[i] = static_cast<uint8_t>(i * 31 + k);
        }
        WriteFileBytes(folder.File(std::to_string(k) + ".jpg"), jpeg);
    }
    const std::string path = folder.File("long.swf");
    constexpr int kFrames = 250;
    SwfWriter writer;
    ASSERT_EQ(writer.Open(path, 320, 240, 25), 1);
    writer.SetBackgroundColor(0);
    LittleEndianBytes tags;
    tags.Bytes({0x43, 0x02, 0x00, 0x00, 0x00});
    for (int i = 0; i < kFrames; ++i) {
        SwfJpegBitmap bitmap(static_cast<uint16_t>(2 * i + 2),
                             folder.File(std::to_string(i % std::size(jpegSizes)) + ".jpg"));
        writer.AddCharacter(&bitmap, kSwfNoDepth, false);
        SwfShape shape(static_cast<uint16_t>(2 * i + 1), 0, 0, 320, 240,
                       static_cast<uint16_t>(i + 1));
        writer.AddCharacter(&shape, static_cast<uint16_t>(i + 1), true);
        writer.ShowFrame();
        tags.Bytes(bitmap.GetDefinition()).Bytes(shape.GetDefinition());
        tags.Bytes({0xBF, 0x06, 0x06, 0x00, 0x00, 0x00, 0x06}).U16(i + 1).U16(2 * i + 1);
        tags.Bytes({0x00, 0x40, 0x00});
    }
    ASSERT_TRUE(writer.Close()) << writer.GetError();

    LittleEndianBytes expected;
    expected.Text("FWS").U8(3).U32(static_cast<uint32_t>(20 + tags.Size() + 2));
    expected.Bytes({0x70, 0x00, 0x0C, 0x80, 0x00, 0x00, 0x96, 0x00, 0x00, 0x19}).U16(kFrames);
    expected.Bytes(tags.Get()).Bytes({0x00, 0x00});
    const std::vector<uint8_t> movie = ReadFileBytes(path);
    ASSERT_EQ(movie.size(), expected.Size());
    EXPECT_TRUE(movie == expected.Get());
    EXPECT_EQ(writer.GetFileLength(), movie.size());
    const SwfTestMovie parsed = ParseTestMovie(movie);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.frameCount, kFrames);
}

TEST(SwfMovie, SecondOpenChangesNothing) {
    ScratchFolder folder;
    SwfWriter writer;
    ASSERT_EQ(writer.Open(folder.File("first.swf"), 280, 210, 10), 1);
    EXPECT_EQ(writer.Open(folder.File("second.swf"), 640, 480, 25), 0);
    EXPECT_FALSE(writer.Failed());
    EXPECT_FALSE(std::filesystem::exists(folder.File("second.swf")));
    EXPECT_EQ(writer.GetOutputPath(), folder.File("first.swf"));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ToHex(ReadFileBytes(folder.File("first.swf"))),
              "46 57 53 03 16 00 00 00 70 00 0A F0 00 00 83 40 00 0A 00 00 00 00");
    // A writer writes one movie.
    EXPECT_EQ(writer.Open(folder.File("second.swf"), 640, 480, 25), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.File("second.swf")));
}

// Version 8 puts FileAttributes (code 69, no flags, short form 44 11) first, ahead
// of a tag appended before Open; the file length counts it. The version is fixed
// once the file is open.
TEST(SwfMovie, Version8BeginsWithFileAttributes) {
    ScratchFolder folder;
    SwfWriter writer;
    EXPECT_FALSE(writer.SetVersion(0));
    ASSERT_TRUE(writer.SetVersion(8));
    writer.SetBackgroundColor(0x332211);
    ASSERT_EQ(writer.Open(folder.File("eight.swf"), 280, 210, 10), 1);
    EXPECT_FALSE(writer.SetVersion(3));
    writer.ShowFrame();
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ToHex(ReadFileBytes(folder.File("eight.swf"))),
              "46 57 53 08 23 00 00 00 70 00 0A F0 00 00 83 40 00 0A 01 00 "
              "44 11 00 00 00 00 43 02 11 22 33 40 00 00 00");
    EXPECT_EQ(writer.GetVersion(), 8);
    EXPECT_FALSE(writer.SetVersion(9));
}

TEST(SwfMovie, OpenInMissingFolderIsReported) {
    ScratchFolder folder;
    const std::string path = folder.File("no/such/folder/show.swf");
    SwfWriter writer;
    EXPECT_EQ(writer.Open(path, 280, 210, 10), 0);
    EXPECT_EQ(writer.GetErrorCode(), SwfWriterError::kFile);
    EXPECT_EQ(writer.GetError(), "cannot create " + path + ": No such file or directory");
    EXPECT_EQ(writer.GetErrorNumber(), ENOENT);
    EXPECT_EQ(writer.GetOutputPath(), path);
    EXPECT_FALSE(writer.Close());
}

TEST(SwfMovie, FrameTooLargeIsRefusedBeforeAnythingIsWritten) {
    ScratchFolder folder;
    const std::string path = folder.File("big.swf");
    SwfWriter writer;
    EXPECT_EQ(writer.Open(path, 1639, 480, 10), 0);
    EXPECT_EQ(writer.GetErrorCode(), SwfWriterError::kFrameTooLarge);
    EXPECT_EQ(writer.GetError(),
              "frame size 1639*480 pixels is too large: at most 1638 pixels fit in each direction");
    EXPECT_EQ(writer.GetErrorNumber(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(writer.Close());
}

// A full disk fails the movie at the write that meets it: for a long movie while
// frames are still being added (later frames are dropped), for a short one at
// Close at the latest. Neither is ever reported as written.
TEST(SwfMovie, FullDiskFailsTheMovie) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    ScratchFolder folder;
    WriteFileBytes(folder.File("p.jpg"), std::vector<uint8_t>(20000, 0x5A));
    for (const int frames : {1, 50}) {
        SCOPED_TRACE(frames);
        SwfWriter writer;
        ASSERT_EQ(writer.Open("/dev/full", 280, 210, 10), 1);
        writer.SetBackgroundColor(0);
        for (int i = 0; i < frames; ++i) {
            SwfJpegBitmap bitmap(static_cast<uint16_t>(2 * i + 2), folder.File("p.jpg"));
            writer.AddCharacter(&bitmap, kSwfNoDepth, false);
            writer.ShowFrame();
        }
        if (frames == 50) {
            EXPECT_TRUE(writer.Failed());  // a megabyte is not held back until Close
            EXPECT_LT(writer.GetFrameCount(), 50);
        }
        EXPECT_FALSE(writer.Close());
        EXPECT_TRUE(writer.Failed());
        EXPECT_EQ(writer.GetErrorCode(), SwfWriterError::kFile);
        EXPECT_EQ(writer.GetError(), "cannot write /dev/full: No space left on device");
        EXPECT_EQ(writer.GetErrorNumber(), ENOSPC);
        EXPECT_FALSE(writer.Close());  // a second Close does not turn failure into success
    }
}

// Removing the movie's folder does not stop the writes (they land in a file that
// no longer has a name), so Close is where the loss is found and reported.
TEST(SwfMovie, MovieRemovedWhileWrittenIsReported) {
    ScratchFolder folder;
    const std::string outputFolder = folder.File("out");
    ASSERT_TRUE(std::filesystem::create_directory(outputFolder));
    const std::string path = outputFolder + "/show.swf";
    WriteFileBytes(folder.File("p.jpg"), std::vector<uint8_t>(100000, 0x5A));
    SwfWriter writer;
    ASSERT_EQ(writer.Open(path, 280, 210, 10), 1);
    for (int i = 0; i < 3; ++i) {
        if (i == 1) {
            std::filesystem::remove_all(outputFolder);
        }
        SwfJpegBitmap bitmap(static_cast<uint16_t>(2 * i + 2), folder.File("p.jpg"));
        writer.AddCharacter(&bitmap, kSwfNoDepth, false);
        writer.ShowFrame();
    }
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.GetError(),
              "cannot write " + path + ": the file was removed while the movie was being written");
    EXPECT_EQ(writer.GetErrorNumber(), ENOENT);
}

TEST(SwfMovie, RefusedRecordsFailTheWholeMovie) {
    ScratchFolder folder;
    const std::string path = folder.File("broken.swf");
    SwfWriter writer;
    ASSERT_EQ(writer.Open(path, 280, 210, 10), 1);
    writer.ShowFrame();
    SwfShape shape(1, 0, 0, 1700, 210, 1);
    writer.AddCharacter(&shape, 1, true);
    EXPECT_EQ(writer.GetErrorCode(), SwfWriterError::kRecordRefused);
    EXPECT_EQ(writer.GetError(),
              "character 1: shape 1 bounds (0, 0)-(1700, 210) are too large: at most 1638 "
              "pixels fit");
    writer.ShowFrame();  // dropped: the movie is already lost
    EXPECT_EQ(writer.GetFrameCount(), 1);
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(std::filesystem::file_size(path), 0u);  // no broken movie on disk
}

TEST(SwfMovie, ColorTransformTooWideFailsThePlacement) {
    SwfWriter writer;
    SwfShape shape(1, 0, 0, 10, 10, 1);
    const SwfColorTerms terms = {40, 1, 1, 1, 0, 0, 0, 0};
    writer.PlaceCharacter(&shape, 1, &terms, 0, true);
    EXPECT_TRUE(writer.Failed());
    EXPECT_EQ(writer.GetTagByteCount(), 0u);
    EXPECT_EQ(writer.GetError(),
              "colour transform of character 1 is out of range: every term must stay below 8448 "
              "(multipliers below 33.0)");
}

TEST(SwfMovie, OverlongActionTextFailsTheMovie) {
    SwfActionList list;
    list.AddGotoLabel(std::string(70000, 'x'));
    EXPECT_FALSE(list.Fits());
    SwfWriter writer;
    writer.AddActions(&list);
    EXPECT_TRUE(writer.Failed());
    EXPECT_EQ(writer.GetTagByteCount(), 0u);
}

TEST(SwfMovie, NullCharactersAndListsAreIgnored) {
    SwfWriter writer;
    writer.AddCharacter(nullptr, 1, true);
    writer.PlaceCharacter(nullptr, 1, nullptr, 0, true);
    writer.MoveCharacter(nullptr, 1, nullptr, 0);
    writer.AddActions(nullptr);
    EXPECT_EQ(writer.GetTagByteCount(), 0u);
    EXPECT_FALSE(writer.Failed());
}

// Whatever had already streamed to the file is taken back: an abandoned movie
// leaves an empty file, not the start of a movie.
TEST(SwfMovie, DestroyedWhileOpenLeavesTheFileEmpty) {
    ScratchFolder folder;
    const std::string path = folder.File("abandoned.swf");
    WriteFileBytes(folder.File("p.jpg"), std::vector<uint8_t>(100000, 0x5A));
    {
        SwfWriter writer;
        ASSERT_EQ(writer.Open(path, 280, 210, 10), 1);
        SwfJpegBitmap bitmap(2, folder.File("p.jpg"));
        writer.AddCharacter(&bitmap, kSwfNoDepth, false);
        writer.ShowFrame();
        ASSERT_GT(std::filesystem::file_size(path), 100000u);  // the bitmap is on disk
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

}  // namespace
