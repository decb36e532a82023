// Photos turned upright: a camera stores the sensor's rows as they came and records
// in the EXIF Orientation tag how the picture must be turned to be seen as taken.
#pragma once

#include <cstdint>

class Picture;

// EXIF's orientations: what the stored picture needs to stand upright.
enum PictureOrientation : uint8_t {
    kOrientationAsStored = 1,     // nothing
    kOrientationMirrored = 2,     // mirrored left to right
    kOrientationHalfTurn = 3,     // a half turn
    kOrientationFlipped = 4,      // mirrored top to bottom
    kOrientationTransposed = 5,   // mirrored across the top-left to bottom-right diagonal
    kOrientationTurnRight = 6,    // a quarter turn clockwise
    kOrientationTransversed = 7,  // mirrored across the top-right to bottom-left diagonal
    kOrientationTurnLeft = 8,     // a quarter turn anticlockwise
};

// True for the orientations (5 to 8) whose upright picture has the stored picture's
// width as its height and its height as its width.
constexpr bool OrientationSwapsSides(uint8_t orientation) {
    return orientation >= kOrientationTransposed && orientation <= kOrientationTurnLeft;
}

// Turns the picture upright by its orientation (Picture::GetOrientation), which then
// reads 1: pixels of any depth, the alpha plane, and for a quarter turn the two
// resolutions. An orientation outside 1 to 8 counts as 1. False, with the picture as
// it was and the reason in its last error, when the turned picture cannot be made
// (the memory limit) or there is no picture; true for a picture that needs nothing.
bool TurnUpright(Picture& picture);
