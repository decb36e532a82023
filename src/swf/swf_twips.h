// Pixels become twips (1/20 pixel), and text for messages, in exactly one place.
// Every coordinate, width and translation that reaches the movie writer passes
// through SwfPixelsToTwips.
#pragma once

#include <cstdint>
#include <string>

// A twip is a twentieth of a pixel.
inline constexpr int32_t kSwfTwipsPerPixel = 20;
// A gradient is drawn in a square of 32768 twips, centred on the origin, that its
// matrix maps onto the shape.
inline constexpr float kSwfGradientSquareTwips = 32768.0f;

// The twips range of the signed 16-bit fields of a RECT record.
inline constexpr int32_t kSwfMinTwips = -32768;
inline constexpr int32_t kSwfMaxTwips = 32767;
// The largest whole frame edge, in pixels, whose twips still fit those fields:
// 1638.35 pixels are 32767 twips.
inline constexpr int32_t kSwfMaxFramePixels = 1638;

// Multiplies by 20 and truncates toward zero. Values beyond the 32-bit range
// saturate and NaN gives 0, so a hostile float can never cause undefined
// behaviour; callers that write 16-bit fields check SwfFitsInTwips first.
int32_t SwfPixelsToTwips(float pixels);

// Truncates toward zero into a signed 32-bit integer, saturating at its limits
// (NaN gives 0). Used for the fixed-point factors of matrices and colour terms.
int32_t SwfTruncateToInt32(double value);

// A pixel value as error messages show it: "%g", so 280 reads "280" and 0.5
// reads "0.5".
std::string SwfPixelsText(float pixels);

// True when the pixel value becomes a twips value within -32768..32767.
bool SwfFitsInTwips(float pixels);

// True when a frame of width x height pixels can be written as the movie's frame
// rectangle. The build asks this before it opens anything.
bool SwfFrameSizeFits(float width, float height);
