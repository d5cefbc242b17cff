// The photo strip and the frame around its viewport, without any Windows
// call: joining an album's photos side by side in one of the three stitch
// modes, softening the seams, copying a viewport window out of the strip,
// and where the matting tiles of the frame go.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "base/ErrorCodes.h"
#include "strip/FramePixels.h"
#include "imaging/PhotoRecord.h"
#include "base/PixelBlock.h"

namespace quorvel {

enum StitchMode : int { kStitchNone = 0, kStitchBlur = 1, kStitchCollage = 2 };

// Black columns between collage photos, in pixels.
constexpr std::int32_t kCollageGap = 30;
// The softened band straddling each seam: 15 pixels on either side.
constexpr std::int32_t kSeamBandPixels = 30;
// Width of the matting bands round the viewport (and side of the tile).
constexpr std::int32_t kBandWidth = 100;
constexpr std::int32_t kPreviewBandWidth = 20;

// What becomes of the photos' own pixels once they are in the strip. The
// album display lets them go, since a strip of 70 photos is large enough
// on its own; a caller that rebuilds the strip later keeps them.
enum class PhotoPixelsAfterJoin { kRelease, kKeep };

struct StripSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Width: the photo widths summed, plus a gap after every photo but the last
// in collage mode. Height: the tallest photo. kErrInvalidArgument for a photo without
// pixels or size; kErrMemory when a row of the strip would not fit in 32 bits.
[[nodiscard]] Status MeasureStrip(std::span<const PhotoRecord> photos, int stitchMode, StripSize& size);

// The strip row where a collage photo of the given height starts: it sits in
// the middle, the odd row going below it.
constexpr std::int32_t CollageTopRow(std::int32_t stripHeight, std::int32_t photoHeight) {
    return (stripHeight - photoHeight) / 2;
}

// Joins the photos (album order) into a new strip. effectBits other than 0
// recolour each photo's pixels on their way into the strip
// (ApplyPlaybackEffect); the photos themselves keep their colours. Rows below
// a photo shorter than the strip, and collage gaps, are black. Stitch mode 1
// then softens the seams. An old strip of the same size is written over, any
// other is freed first. On failure the strip is empty and the photos are untouched; kRelease lets them go only after
// success.
[[nodiscard]] Status JoinPhotos(std::span<PhotoRecord> photos, int stitchMode, int effectBits,
                                PhotoPixelsAfterJoin after, PixelBlock& strip);

// Writes photo `photo`'s rows, top row first, into the strip from
// (byteOffset, topRow) on.
using PlacePhoto =
    std::function<Status(std::size_t photo, PixelBlock& strip, std::size_t byteOffset, std::int32_t topRow)>;

// The same join for photos not held in memory: the records give only each
// photo's width and height, and `place` writes its rows straight into the
// strip (from its cache file), so the strip is the only block of the join.
// No playback effect. On failure the strip is empty.
[[nodiscard]] Status JoinPhotosInPlace(std::span<const PhotoRecord> photos, int stitchMode, const PlacePhoto& place,
                                       PixelBlock& strip);

// Softens each seam of a joined strip: for seam i, the first height(i) rows
// of the 30 pixels straddling the seam between photo i and i+1. Needs at least
// two widths; fewer leave the strip alone. kErrInvalidArgument for mismatched lists or a
// height above the strip's, kErrMemoryAccess when a band would reach outside a row.
[[nodiscard]] Status BlurSeams(PixelBlock& strip, std::span<const std::int32_t> widths,
                               std::span<const std::int32_t> heights);

// Softens the seam band that starts `start` bytes into each of the strip's
// first `rows` rows. kErrMemoryAccess when the band would reach outside a row.
[[nodiscard]] Status BlurSeamAt(PixelBlock& strip, std::int64_t start, std::int32_t rows);

// Copies rows firstRow .. firstRow + rowCount - 1 of a photo into the strip
// at (byteOffset, topRow + firstRow), recoloured by effectBits (0 none);
// rows past the photo's foot or the strip's are left out. kErrMemory when the
// recolouring's band cannot be had.
[[nodiscard]] Status CopyPhotoRows(const PixelBlock& photo, int effectBits, std::size_t byteOffset, std::int32_t topRow,
                                   std::int32_t firstRow, std::int32_t rowCount, PixelBlock& strip);

// Blackens `bytes` bytes at byteOffset in strip rows fromRow .. toRow - 1
// (clipped to the strip).
void BlackenColumn(PixelBlock& strip, std::size_t byteOffset, std::size_t bytes, std::int32_t fromRow,
                   std::int32_t toRow);

// Blurs one 30-pixel row of the seam band in place (90 bytes, blue-green-red).
// Each blurred pixel is the integer mean of a window of the unblurred row;
// the windows narrow towards the band's ends, and pixels 0 to 2 and 29 keep
// their value. kErrMemoryAccess if a window would reach outside the row.
[[nodiscard]] Status BlurSeamRow(std::uint8_t* row);

// The first window position and width used for band pixel p (0..29); a width
// of 0 means the pixel keeps its value.
struct BlurWindow {
    std::int32_t start = 0;
    std::int32_t width = 0;
};
BlurWindow SeamBlurWindow(std::int32_t p);

// Copies `rows` rows of viewport.width pixels out of the strip, starting at
// strip pixel (left, top), into the top rows of the viewport, widening each
// pixel to 32 bits on the way. kErrTopLeft when the window does not lie inside the
// strip, kErrInvalidArgument for an empty block.
[[nodiscard]] Status CopyStripWindow(const PixelBlock& strip, std::int32_t left, std::int32_t top, std::int32_t rows,
                                     const FramePixels& viewport);

// The smooth glide's viewport between two whole-pixel positions: each pixel
// is the rounded mean of the window at (left, top) and its neighbour one
// pixel away at (left + dx, top + dy) (one of dx, dy is 0, the other 1 or
// -1), weighted weight/256 toward the neighbour. Weight 0 is
// CopyStripWindow and reads nothing of the neighbour; otherwise both windows
// must lie inside the strip (kErrTopLeft). kErrInvalidArgument for a weight outside 0..255 or
// another step.
[[nodiscard]] Status BlendStripWindow(const PixelBlock& strip, std::int32_t left, std::int32_t top, std::int32_t dx,
                                      std::int32_t dy, std::int32_t weight, std::int32_t rows,
                                      const FramePixels& viewport);

// One matting tile drawn at (x, y), its top `rows` rows (the band width, or
// fewer for the cut tile at the foot of a side band).
struct TilePlacement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t rows = 0;
};

struct TileCounts {
    std::int32_t perHorizontalBand = 0;  // viewport width div B, plus 3
    std::int32_t wholePerSideBand = 0;   // viewport height div B
    std::int32_t cutRows = 0;            // rows of the cut tile below them, 0 for none
};
TileCounts CountMattingTiles(std::int32_t viewportWidth, std::int32_t viewportHeight, std::int32_t band);

// Every tile of the four bands in drawing order: top band, bottom band, left
// band, right band. Empty for a band width below 1.
std::vector<TilePlacement> MattingTilePlacements(std::int32_t viewportWidth, std::int32_t viewportHeight,
                                                 std::int32_t band);

// LOGFONT height of the phrase font for a point size: the negated whole part
// of |size x 1.33 + 0.5| (72 gives -96, -72 gives -95).
std::int32_t PhraseFontHeight(std::int32_t fontSize);

}  // namespace quorvel
