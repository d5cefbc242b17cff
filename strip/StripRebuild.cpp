#include "strip/StripRebuild.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "strip/Strip.h"

namespace quorvel {

namespace {

bool StripFitsPhotos(std::span<const PhotoRecord> photos, int stitchMode, const PixelBlock& strip) {
    StripSize size;
    if (MeasureStrip(photos, stitchMode, size) != kOk) return false;
    return strip.width == size.width && strip.height == size.height && strip.rowBytes == size.width * 3 &&
           strip.pixels.size() >= strip.Bytes();
}

// Columns left of a seam stay unsoftened until the photo right of it is in.
std::int32_t UnblurredColumns(std::span<const PhotoRecord> photos, int stitchMode, std::int32_t photo) {
    return stitchMode == kStitchBlur && static_cast<std::size_t>(photo) + 1 < photos.size() ? kSeamBandPixels / 2 : 0;
}

// Whether the frame shows the strip on one side of an edge between new
// colours (columns before `end`, the last `unblurred` of them not yet
// softened) and old ones, at least `margin` columns away from it.
bool ShownOnOneSide(ColumnSpan shown, std::int64_t end, std::int32_t unblurred, std::int64_t margin) {
    return shown.first > shown.last || shown.last < end - unblurred - margin || shown.first >= end + margin;
}

// How many of the finished recoloured photos can go into the strip at once
// with the frame on one side of the new edge, `margin` columns away from it.
std::int32_t PlaceableCount(std::span<const PhotoRecord> photos, int stitchMode, const StripRebuildState& state,
                            ColumnSpan shown, std::int64_t margin) {
    const std::int32_t finished = state.photo - state.placed;
    std::int64_t end = state.column;
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < finished; ++i) {
        end += state.recoloured[i].width;
        if (ShownOnOneSide(shown, end, UnblurredColumns(photos, stitchMode, state.placed + i), margin)) count = i + 1;
        if (stitchMode == kStitchCollage) end += kCollageGap;
    }
    return count;
}

// Puts the recoloured photos into the strip: their rows where JoinPhotos
// puts them, black above and below them, and each seam to the left softened
// once both its photos are in.
Status PlaceRecoloured(std::span<const PhotoRecord> photos, int stitchMode, PixelBlock& strip, StripRebuildState& state,
                       std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const PixelBlock& photo = state.recoloured[i];
        const std::int32_t top = stitchMode == kStitchCollage ? CollageTopRow(strip.height, photo.height) : 0;
        const std::size_t offset = static_cast<std::size_t>(state.column) * 3;
        const std::size_t photoBytes = static_cast<std::size_t>(photo.width) * 3;
        if (const Status status = CopyPhotoRows(photo, 0, offset, top, 0, photo.height, strip); status != kOk)
            return status;
        BlackenColumn(strip, offset, photoBytes, 0, top);
        BlackenColumn(strip, offset, photoBytes, top + photo.height, strip.height);
        if (stitchMode == kStitchBlur && state.placed > 0)
            if (const Status status =
                    BlurSeamAt(strip, (state.column - kSeamBandPixels / 2) * 3, photos[state.placed - 1].block.height);
                status != kOk)
                return status;
        state.column += photo.width;
        if (stitchMode == kStitchCollage) state.column += kCollageGap;
        ++state.placed;
    }
    state.recoloured.erase(state.recoloured.begin(), state.recoloured.begin() + count);
    return kOk;
}

}  // namespace

Status BeginStripRebuild(std::span<const PhotoRecord> photos, int stitchMode, const PixelBlock& strip, int effectBits,
                         StripRebuildState& state) {
    state = {};
    if (!StripFitsPhotos(photos, stitchMode, strip)) return kErrInvalidArgument;
    state.effectBits = effectBits;
    state.photo = 0;
    return kOk;
}

Status ContinueStripRebuild(std::span<const PhotoRecord> photos, int stitchMode, PixelBlock& strip,
                            StripRebuildState& state, std::int64_t pixels, ColumnSpan shown) {
    if (!state.Running()) return kOk;
    if (static_cast<std::size_t>(state.photo) > photos.size() || !StripFitsPhotos(photos, stitchMode, strip)) {
        state = {};
        return kErrInvalidArgument;
    }
    // The frame glides a column a tick, so an edge is placed well away from
    // it, and seldom does the frame reach the last edge before the next one
    // is ready. When it does, the photos it shows are finished in this tick.
    const bool caughtUp =
        state.placed > 0 &&
        !ShownOnOneSide(shown, state.column, UnblurredColumns(photos, stitchMode, state.placed - 1), 0);
    const std::int64_t margin = caughtUp ? 0 : kRebuildEdgeMargin;
    try {
        while (static_cast<std::size_t>(state.photo) < photos.size()) {
            if (caughtUp ? PlaceableCount(photos, stitchMode, state, shown, 0) > 0 : pixels <= 0) break;
            const PixelBlock& photo = photos[state.photo].block;
            if (state.row == 0) state.recoloured.push_back(PixelBlock::Make(photo.width, photo.height));
            const std::int32_t rows = caughtUp ? photo.height - state.row
                                               : static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                                     pixels / photo.width, 1, photo.height - state.row));
            if (const Status status =
                    CopyPhotoRows(photo, state.effectBits, 0, 0, state.row, rows, state.recoloured.back());
                status != kOk)
                return status;
            pixels -= std::int64_t{rows} * photo.width;
            state.row += rows;
            if (state.row < photo.height) continue;
            ++state.photo;
            state.row = 0;
        }
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }

    // The finished photos go in together, as many as leave the frame well
    // on one side of the edge between new and old colours; the last photo
    // leaves no such edge.
    const std::int32_t count = PlaceableCount(photos, stitchMode, state, shown, margin);
    if (const Status status = PlaceRecoloured(photos, stitchMode, strip, state, count); status != kOk) return status;
    if (static_cast<std::size_t>(state.placed) == photos.size()) state = {};
    return kOk;
}

}  // namespace quorvel
