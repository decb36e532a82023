// The byte vectors of the movie format in one table: each row names a record,
// builds it with the writer's own calls, spells the exact bytes expected and says
// what the tests' independent reader makes of those bytes, so the table is
// checked in both directions. A new record means one new row.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"
#include "swf/swf_action_list.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_matrix.h"
#include "swf/swf_rect.h"
#include "swf/swf_shape.h"
#include "swf/swf_writer.h"

namespace {

using namespace test_support;

using Bytes = std::vector<uint8_t>;

// Reads expected bytes back into text: one of the reader's Describe functions.
using ReadBack = std::string (*)(const Bytes&);

struct FormatVector {
    const char* name;
    std::function<Bytes()> build;
    const char* expected;
    ReadBack read;
    const char* readsAs;
};

void PrintTo(const FormatVector& vector, std::ostream* out) {
    *out << vector.name;
}

Bytes RectBytes(float xMin, float yMin, float xMax, float yMax) {
    SwfRect rect;
    rect.Set(xMin, yMin, xMax, yMax);
    return rect.Encode();
}

Bytes MatrixBytes(float sx, float sy, float r0, float r1, float tx, float ty) {
    SwfMatrix matrix;
    matrix.Set(sx, sy, r0, r1, tx, ty);
    return matrix.Encode();
}

using WriterCalls = std::function<void(SwfWriter&)>;

// A whole movie file written by `beforeOpen`, Open(width, height, rate), `calls`
// and Close; empty when the writer failed.
Bytes Movie(
    float width, float height, int rate, const WriterCalls& calls,
    const WriterCalls& beforeOpen = [](SwfWriter&) {}) {
    ScratchFolder folder;
    const std::string path = folder.File("movie.swf");
    SwfWriter writer;
    beforeOpen(writer);
    if (writer.Open(path, width, height, rate) != 1) {
        return {};
    }
    calls(writer);
    if (!writer.Close()) {
        return {};
    }
    return ReadFileBytes(path);
}

// The tags `calls` append: a 280 x 210 movie without its 20-byte header and its
// End tag.
Bytes Tags(const WriterCalls& calls) {
    const Bytes movie = Movie(280, 210, 10, calls);
    return movie.size() < 22 ? Bytes{} : Bytes(movie.begin() + 20, movie.end() - 2);
}

Bytes Actions(bool withoutTagHeader, const std::function<void(SwfActionList&)>& add) {
    SwfActionList list(withoutTagHeader);
    add(list);
    return list.Encode();
}

// The shape every picture of a slideshow gets: the frame filled with its bitmap.
Bytes PictureShape(uint16_t shapeId, uint16_t bitmapId, float width, float height) {
    SwfShape shape(shapeId, 0, 0, width, height, 1);
    shape.AddLineStyle(0, 0xFF000000);
    shape.AddBitmapFill(bitmapId, 0x41, 0, 0, width, height, 0, 0, width, height);
    shape.AddStyleChange(1, 1, 0, SwfPoint{0, 0});
    shape.AddStraightEdge(width, 0);
    shape.AddStraightEdge(0, height);
    shape.AddStraightEdge(-width, 0);
    shape.AddStraightEdge(0, -height);
    return shape.GetDefinition();
}

// A shape of empty bounds without styles whose records are `add`.
Bytes BareShape(const std::function<void(SwfShape&)>& add) {
    SwfShape shape(1, 0, 0, 0, 0, 1);
    add(shape);
    return shape.GetDefinition();
}

// The fill-style count bytes of a shape with `count` solid fills (they follow the
// 6-byte tag header, the 2-byte id and the 2-byte RECT of empty bounds).
Bytes FillCountOf(int count) {
    SwfShape shape(1, 0, 0, 0, 0, 1);
    for (int i = 0; i < count; ++i) {
        shape.AddSolidFill(0xFF000000);
    }
    const Bytes& tag = shape.GetDefinition();
    return Bytes(tag.begin() + 10, tag.begin() + 10 + (count < 255 ? 1 : 3));
}

Bytes JpegBitmapTag(uint16_t id, const Bytes& fileBytes) {
    ScratchFolder folder;
    const std::string path = folder.File("picture.jpg");
    WriteFileBytes(path, fileBytes);
    SwfJpegBitmap bitmap(id, path);
    return bitmap.GetDefinition();
}

const FormatVector kFormatVectors[] = {
    // Movie header and framing.
    {"EmptyMovie280x210", [] { return Movie(280, 210, 10, [](SwfWriter&) {}); },
     "46 57 53 03 16 00 00 00 70 00 0A F0 00 00 83 40 00 0A 00 00 00 00", DescribeTestMovie,
     "FWS 3, RECT 0 5600 0 4200, rate 10, 0 frames; End"},
    {"OneFrameMovie280x210",
     [] { return Movie(280, 210, 10, [](SwfWriter& w) { w.ShowFrame(); }); },
     "46 57 53 03 18 00 00 00 70 00 0A F0 00 00 83 40 00 0A 01 00 40 00 00 00", DescribeTestMovie,
     "FWS 3, RECT 0 5600 0 4200, rate 10, 1 frames; ShowFrame; End"},
    {"TagsBeforeOpenFollowTheHeader",
     [] {
         return Movie(
             280, 210, 10, [](SwfWriter& w) { w.ShowFrame(); },
             [](SwfWriter& w) { w.SetBackgroundColor(0x00332211); });
     },
     "46 57 53 03 1D 00 00 00 70 00 0A F0 00 00 83 40 00 0A 01 00 43 02 11 22 33 40 00 00 00",
     DescribeTestMovie,
     "FWS 3, RECT 0 5600 0 4200, rate 10, 1 frames; SetBackgroundColor: 112233; ShowFrame; End"},
    {"FrameRate12", [] { return Movie(280, 210, 12, [](SwfWriter&) {}); },
     "46 57 53 03 16 00 00 00 70 00 0A F0 00 00 83 40 00 0C 00 00 00 00", DescribeTestMovie,
     "FWS 3, RECT 0 5600 0 4200, rate 12, 0 frames; End"},
    {"FrameRate300KeepsLowEightBits", [] { return Movie(280, 210, 300, [](SwfWriter&) {}); },
     "46 57 53 03 16 00 00 00 70 00 0A F0 00 00 83 40 00 2C 00 00 00 00", DescribeTestMovie,
     "FWS 3, RECT 0 5600 0 4200, rate 44, 0 frames; End"},
    {"Rect280x210", [] { return RectBytes(0, 0, 280, 210); }, "70 00 0A F0 00 00 83 40",
     DescribeTestRect, "RECT 0 5600 0 4200"},
    {"Rect640x480", [] { return RectBytes(0, 0, 640, 480); }, "78 00 06 40 00 00 12 C0 00",
     DescribeTestRect, "RECT 0 12800 0 9600"},
    {"Rect400x300", [] { return RectBytes(0, 0, 400, 300); }, "70 00 0F A0 00 00 BB 80",
     DescribeTestRect, "RECT 0 8000 0 6000"},
    {"RectCornersAtBothEndsOf16Bits",
     [] { return RectBytes(-1638.4f, -1638.4f, 1638.35f, 1638.35f); }, "84 00 03 FF FC 00 03 FF F8",
     DescribeTestRect, "RECT -32768 32767 -32768 32767"},
    {"RectCornerBelowMinusMaxTwipsIsRefused", [] { return RectBytes(-1639, 0, 0, 0); }, "", nullptr,
     ""},
    {"RectNeverSet", [] { return SwfRect().Encode(); }, "40 03 20 03 20", DescribeTestRect,
     "RECT 0 100 0 100"},
    {"ShowFrame", [] { return Tags([](SwfWriter& w) { w.ShowFrame(); }); }, "40 00",
     DescribeTestTags, "ShowFrame"},
    {"SetBackgroundColor",
     [] { return Tags([](SwfWriter& w) { w.SetBackgroundColor(0x00332211); }); }, "43 02 11 22 33",
     DescribeTestTags, "SetBackgroundColor: 112233"},
    {"FrameLabelA", [] { return Tags([](SwfWriter& w) { w.AddFrameLabel("A"); }); },
     "FF 0A 02 00 00 00 41 00", DescribeTestTags, "FrameLabel long: \"A\""},

    // Matrices and colour transforms.
    {"MatrixIdentity", [] { return SwfMatrix().Encode(); }, "00", DescribeTestMatrix,
     "MATRIX translate 0 0"},
    {"MatrixBitmapFillScale20", [] { return MatrixBytes(20, 20, 0, 0, 0, 0); },
     "D9 40 00 05 00 00 00", DescribeTestMatrix, "MATRIX scale 20 20, translate 0 0"},
    {"MatrixScaleOneNeeds18Bits", [] { return MatrixBytes(1, 1, 0, 0, 0, 0); }, "C9 00 00 40 00 00",
     DescribeTestMatrix, "MATRIX scale 1 1, translate 0 0"},
    {"MatrixScaleMinusOneNeeds17Bits", [] { return MatrixBytes(-1, -1, 0, 0, 0, 0); },
     "C6 00 01 00 00 00", DescribeTestMatrix, "MATRIX scale -1 -1, translate 0 0"},
    {"MatrixOneScaleZero", [] { return MatrixBytes(0, 2, 0, 0, 0, 0); }, "CC 00 00 20 00 00 00",
     DescribeTestMatrix, "MATRIX scale 0 2, translate 0 0"},
    {"MatrixTranslate100Pixels", [] { return MatrixBytes(0, 0, 0, 0, 100, 0); }, "18 FA 00 00",
     DescribeTestMatrix, "MATRIX translate 2000 0"},
    {"MatrixSkewOnly", [] { return MatrixBytes(0, 0, 0.5f, -0.5f, 0, 0); }, "62 80 00 C0 00 00",
     DescribeTestMatrix, "MATRIX skew 0.5 -0.5, translate 0 0"},
    // One skew term alone still makes the pair present, with the other written as 0.
    {"MatrixFirstSkewTermAlone", [] { return MatrixBytes(0, 0, 0.5f, 0, 0, 0); },
     "62 80 00 00 00 00", DescribeTestMatrix, "MATRIX skew 0.5 0, translate 0 0"},
    {"MatrixSecondSkewTermAlone", [] { return MatrixBytes(0, 0, 0, -2, 0, 0); },
     "64 00 00 40 00 00", DescribeTestMatrix, "MATRIX skew 0 -2, translate 0 0"},
    {"ColorTransformUnchanged",
     [] {
         const SwfColorTerms terms = {1, 1, 1, 1, 0, 0, 0, 0};
         return SwfColorTransform(&terms).Encode();
     },
     "E9 00 40 10 04 00 00 00 00 00 00", DescribeTestColorTransform,
     "CXFORM mult 256 256 256 256 add 0 0 0 0"},
    {"ColorTransformWithoutTerms", [] { return SwfColorTransform().Encode(); },
     "E8 00 00 00 00 00 00 00 00 00 00", DescribeTestColorTransform,
     "CXFORM mult 0 0 0 0 add 0 0 0 0"},

    // Bitmaps.
    {"JpegBitmapOfEmptyFile", [] { return JpegBitmapTag(2, {}); },
     "7F 05 08 00 00 00 02 00 FF D9 FF D8 FF D9", DescribeTestTags,
     "DefineBitsJPEG2 long: id 2, 6 data bytes"},
    {"JpegBitmapWrapsFileBytes",
     [] {
         return JpegBitmapTag(2, {0xFF, 0xD8, 0x01, 0xFF, 0xD9});
     },
     "7F 05 0D 00 00 00 02 00 FF D9 FF D8 FF D8 01 FF D9 FF D9", DescribeTestTags,
     "DefineBitsJPEG2 long: id 2, 11 data bytes"},

    // Shapes.
    {"PictureShape320x240", [] { return PictureShape(1, 2, 320, 240); },
     "3F 08 32 00 00 00 01 00 70 00 0C 80 00 00 96 00 01 41 02 00 D9 40 00 05 00 00 00 "
     "01 00 00 00 00 00 FF 11 3C 25 F2 C8 00 00 1E 40 00 4B 03 CC E0 00 00 79 00 02 D4 00 00",
     DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 6400 0 4800, "
     "fills 41(bitmap 2, MATRIX scale 20 20, translate 0 0), lines 0(000000FF), "
     "records change move 0 0 fill0 1 fill1 0 line 1, "
     "edge 6400 0, edge 0 4800, edge -6400 0, edge 0 -4800, end"},
    {"ShapeWithoutStyles", [] { return BareShape([](SwfShape&) {}); },
     "3F 08 08 00 00 00 01 00 08 00 00 00 00 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills, lines, records end"},
    {"StraightEdgeHalfPixel",
     [] { return BareShape([](SwfShape& s) { s.AddStraightEdge(0.5f, 0); }); },
     "3F 08 0A 00 00 00 01 00 08 00 00 00 00 CE A0 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills, lines, records edge 10 0, end"},
    {"StraightEdgeZeroLength",
     [] { return BareShape([](SwfShape& s) { s.AddStraightEdge(0, 0); }); },
     "3F 08 0A 00 00 00 01 00 08 00 00 00 00 C2 00 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills, lines, records edge 0 0, end"},
    {"MoveToOrigin",
     [] { return BareShape([](SwfShape& s) {
              s.AddStyleChange(0, 0, 0, SwfPoint{0, 0});
          }); },
     "3F 08 0A 00 00 00 01 00 08 00 00 00 00 3C 20 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills, lines, records change move 0 0 fill0 0 fill1 0 "
     "line 0, end"},
    {"CurvedEdge", [] { return BareShape([](SwfShape& s) { s.AddCurvedEdge(1, 2, 3, 4); }); },
     "3F 08 0D 00 00 00 01 00 08 00 00 00 00 98 50 A0 F1 40 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills, lines, records curve 20 40 60 80, end"},
    {"SolidFill", [] { return BareShape([](SwfShape& s) { s.AddSolidFill(0x80FF0000); }); },
     "3F 08 0D 00 00 00 01 00 08 00 01 00 00 00 FF 80 00 10 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills 00(0000FF80), lines, records end"},
    {"LinearGradientFill",
     [] {
         const uint8_t records[10] = {0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
         return BareShape([&](SwfShape& s) { s.AddGradientFill(0x10, 0, 0, 100, 50, records, 2); });
     },
     "3F 08 1C 00 00 00 01 00 08 00 01 10 B5 F4 07 D0 2D F4 1F 40 02 "
     "00 FF 00 00 FF FF 00 00 FF FF 00 10 00",
     DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills 10(MATRIX scale 0.0610352 0.0305176, translate "
     "1000 500, 2 records), lines, records end"},
    {"LineStyleTwoPixelsRed",
     [] { return BareShape([](SwfShape& s) { s.AddLineStyle(2, 0xFF0000FF); }); },
     "3F 08 0E 00 00 00 01 00 08 00 00 01 28 00 FF 00 00 FF 01 00", DescribeTestTags,
     "DefineShape3 long: id 1, RECT 0 0 0 0, fills, lines 40(FF0000FF), records end"},
    {"StyleChangeNamingMissingLineStyleIsRefused",
     [] {
         return BareShape([](SwfShape& s) {
             s.AddLineStyle(1, 0xFF000000);
             s.AddStyleChange(2, 0, 0);
         });
     },
     "", nullptr, ""},
    {"FillCount254", [] { return FillCountOf(254); }, "FE", nullptr, ""},
    {"FillCount255", [] { return FillCountOf(255); }, "FF FF 00", nullptr, ""},

    // Display list.
    {"PlaceNewCharacter",
     [] {
         return Tags([](SwfWriter& w) {
             SwfShape shape(1, 0, 0, 10, 10, 1);
             w.PlaceCharacter(&shape, 1, nullptr, 0, true);
         });
     },
     "BF 06 06 00 00 00 06 01 00 01 00 00", DescribeTestTags,
     "PlaceObject2 long: place depth 1 id 1, MATRIX translate 0 0"},
    {"MoveCharacter",
     [] {
         return Tags([](SwfWriter& w) {
             SwfShape shape(1, 0, 0, 10, 10, 1);
             w.MoveCharacter(&shape, 1, nullptr, 0);
         });
     },
     "BF 06 04 00 00 00 05 01 00 00", DescribeTestTags,
     "PlaceObject2 long: move depth 1, MATRIX translate 0 0"},
    {"PlaceWithColorTransform",
     [] {
         return Tags([](SwfWriter& w) {
             SwfShape shape(1, 0, 0, 10, 10, 1);
             const SwfColorTerms terms = {1, 1, 1, 1, 0, 0, 0, 0};
             w.PlaceCharacter(&shape, 1, &terms, 0, true);
         });
     },
     "BF 06 11 00 00 00 0E 01 00 01 00 00 E9 00 40 10 04 00 00 00 00 00 00", DescribeTestTags,
     "PlaceObject2 long: place depth 1 id 1, MATRIX translate 0 0, CXFORM mult 256 256 256 256 add "
     "0 0 0 0"},
    {"PlaceWithTranslation",
     [] {
         return Tags([](SwfWriter& w) {
             SwfShape shape(1, 0, 0, 10, 10, 1);
             shape.SetTranslation(100, 0);
             w.PlaceCharacter(&shape, 1, nullptr, 0, true);
         });
     },
     "BF 06 09 00 00 00 06 01 00 01 00 18 FA 00 00", DescribeTestTags,
     "PlaceObject2 long: place depth 1 id 1, MATRIX translate 2000 0"},
    {"RemoveDepth3", [] { return Tags([](SwfWriter& w) { w.RemoveDepth(3); }); },
     "3F 07 02 00 00 00 03 00", DescribeTestTags, "RemoveObject2 long: depth 3"},
    {"AddCharacterBitmapIsNeverPlaced",
     [] {
         return Tags([](SwfWriter& w) {
             ScratchFolder folder;
             const std::string path = folder.File("empty.jpg");
             WriteFileBytes(path, {});
             SwfJpegBitmap bitmap(4, path);
             w.AddCharacter(&bitmap, 1, true);
         });
     },
     "7F 05 08 00 00 00 04 00 FF D9 FF D8 FF D9", DescribeTestTags,
     "DefineBitsJPEG2 long: id 4, 6 data bytes"},

    // Frame actions.
    {"ActionsStop", [] { return Actions(false, [](SwfActionList& l) { l.AddStop(); }); },
     "3F 03 02 00 00 00 07 00", DescribeTestTags, "DoAction long: 07"},
    {"ActionsStopWithoutTagHeader",
     [] { return Actions(true, [](SwfActionList& l) { l.AddStop(); }); }, "07 00",
     DescribeTestActions, "07"},
    {"ActionsPlayNextPrevious",
     [] {
         return Actions(true, [](SwfActionList& l) {
             l.AddPlay();
             l.AddNextFrame();
             l.AddPreviousFrame();
         });
     },
     "06 04 05 00", DescribeTestActions, "06 04 05"},
    {"ActionsGotoFrame5", [] { return Actions(true, [](SwfActionList& l) { l.AddGotoFrame(5); }); },
     "81 02 00 05 00 00", DescribeTestActions, "81+2"},
    {"ActionsWaitForFrame",
     [] { return Actions(true, [](SwfActionList& l) { l.AddWaitForFrame(3, 2); }); },
     "8A 03 00 03 00 02 00", DescribeTestActions, "8A+3"},
    {"ActionsGetUrlWithEmptyTarget",
     [] { return Actions(true, [](SwfActionList& l) { l.AddGetUrl("a", ""); }); },
     "83 03 00 61 00 00 00", DescribeTestActions, "83+3"},
    {"ActionsSetTargetAndGotoLabel",
     [] {
         return Actions(false, [](SwfActionList& l) {
             l.AddSetTarget("x");
             l.AddGotoLabel("go");
         });
     },
     "3F 03 0C 00 00 00 8B 02 00 78 00 8C 03 00 67 6F 00 00", DescribeTestTags,
     "DoAction long: 8B+2 8C+3"},
    {"AddActionsAppendsDoAction",
     [] {
         return Tags([](SwfWriter& w) {
             SwfActionList list;
             list.AddStop();
             w.AddActions(&list);
         });
     },
     "3F 03 02 00 00 00 07 00", DescribeTestTags, "DoAction long: 07"},
};

class FormatVectorTest : public testing::TestWithParam<FormatVector> {};

TEST_P(FormatVectorTest, ProducesExactBytes) {
    const FormatVector& vector = GetParam();
    EXPECT_EQ(ToHex(vector.build()), ToHex(FromHex(vector.expected)));
}

TEST_P(FormatVectorTest, ExpectedBytesReadBackAsClaimed) {
    const FormatVector& vector = GetParam();
    if (vector.read != nullptr) {
        EXPECT_EQ(vector.read(FromHex(vector.expected)), vector.readsAs);
    }
}

INSTANTIATE_TEST_SUITE_P(SwfFormat, FormatVectorTest, testing::ValuesIn(kFormatVectors),
                         [](const testing::TestParamInfo<FormatVector>& vector) {
                             return std::string(vector.param.name);
                         });

}  // namespace
