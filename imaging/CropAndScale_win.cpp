#include "imaging/CropAndScale_win.h"

#include <windows.h>
// GDI+ needs the COM property types that a lean windows.h leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <new>
#include <vector>

#include "base/ErrorReporter_win.h"

namespace quorvel {

namespace {

namespace gdip = Gdiplus::DllExports;

const wchar_t kModule[] = L"CropAndScale";

class BitmapGuard {
public:
    ~BitmapGuard() {
        if (bitmap) gdip::GdipDisposeImage(bitmap);
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
};

class GraphicsGuard {
public:
    ~GraphicsGuard() {
        if (graphics) gdip::GdipDeleteGraphics(graphics);
    }
    Gdiplus::GpGraphics* graphics = nullptr;
};

}  // namespace

Status CropAndScale(const PixelBlock& source, std::int32_t targetWidth, std::int32_t targetHeight, double percent,
                    std::uint8_t* destination, std::size_t destinationBytes) {
    if (source.Empty() || source.rowBytes <= 0 || source.rowBytes < source.width * 3 ||
        source.pixels.size() < source.Bytes() || destination == nullptr || targetWidth <= 0 || targetHeight <= 0 ||
        !(percent > 0.0) || percent > 100.0)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (destinationBytes < ScaledBytes(targetWidth, targetHeight)) return Fail(QV_SITE(kModule), kErrInvalidArgument);

    BitmapGuard target;
    GraphicsGuard graphics;
    if (gdip::GdipCreateBitmapFromScan0(targetWidth, targetHeight, 0, PixelFormat24bppRGB, nullptr, &target.bitmap) !=
            Gdiplus::Ok ||
        gdip::GdipGetImageGraphicsContext(target.bitmap, &graphics.graphics) != Gdiplus::Ok)
        return Fail(QV_SITE(kModule), kErrGdiplus);

    const std::int32_t cropWidth = static_cast<std::int32_t>(source.width * percent / 100.0 + 0.5);
    const std::int32_t cropHeight = static_cast<std::int32_t>(source.height * percent / 100.0 + 0.5);
    if (cropWidth <= 0 || cropHeight <= 0) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const std::int32_t left = (source.width - cropWidth) / 2;
    const std::int32_t top = (source.height - cropHeight) / 2;

    // GDI+ takes only rows a multiple of 4 bytes apart, so the source is
    // wrapped as it is only when it is the whole picture with such rows;
    // otherwise the share is copied into rows padded to 4 bytes.
    std::vector<std::uint8_t> share;
    BYTE* scan0 = const_cast<BYTE*>(source.pixels.data());
    INT stride = source.rowBytes;
    if (cropWidth != source.width || cropHeight != source.height || source.rowBytes % 4 != 0) {
        const std::size_t shareStride = ScaledRowBytes(cropWidth);
        try {
            share.assign(shareStride * cropHeight, 0);
        } catch (const std::bad_alloc&) {
            return Fail(QV_SITE(kModule), kErrMemory);
        }
        for (std::int32_t row = 0; row < cropHeight; ++row)
            std::memcpy(share.data() + row * shareStride, source.Row(top + row) + 3 * left,
                        static_cast<std::size_t>(cropWidth) * 3);
        scan0 = share.data();
        stride = static_cast<INT>(shareStride);
    }

    BitmapGuard wrapped;
    if (gdip::GdipCreateBitmapFromScan0(cropWidth, cropHeight, stride, PixelFormat24bppRGB, scan0, &wrapped.bitmap) !=
            Gdiplus::Ok ||
        gdip::GdipDrawImageRectI(graphics.graphics, wrapped.bitmap, 0, 0, targetWidth, targetHeight) != Gdiplus::Ok)
        return Fail(QV_SITE(kModule), kErrGdiplus);

    Gdiplus::GpRect whole(0, 0, targetWidth, targetHeight);
    Gdiplus::BitmapData locked = {};
    if (gdip::GdipBitmapLockBits(target.bitmap, &whole, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &locked) !=
        Gdiplus::Ok)
        return Fail(QV_SITE(kModule), kErrGdiplus);
    const std::size_t rowBytes = ScaledRowBytes(targetWidth);
    const auto* bits = static_cast<const std::uint8_t*>(locked.Scan0);
    for (std::int32_t row = 0; row < targetHeight; ++row)
        std::memcpy(destination + row * rowBytes, bits + static_cast<std::ptrdiff_t>(row) * locked.Stride, rowBytes);
    gdip::GdipBitmapUnlockBits(target.bitmap, &locked);
    return kOk;
}

}  // namespace quorvel
