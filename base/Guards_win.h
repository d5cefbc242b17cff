// Small owners of Windows handles, so that every path out of a function
// releases what it took: GDI objects, device contexts, objects selected into
// a context, painting, find handles, files, registry keys and the memory the
// shell hands out.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <utility>

namespace quorvel {

// The GDI objects (and memory contexts) the guards hold: those they took
// minus those they deleted or gave up. Only the tests read it: Wine's
// GetGuiResources always says 0, so a leak is measured here instead. One
// relaxed atomic add per object costs the program nothing it could notice,
// and the tests check the very code the program runs.
inline std::atomic<long> gGuardedGdiObjects = 0;

// Owns one handle and releases it with Release unless it is empty: null, or
// INVALID_HANDLE_VALUE for the handles that use it (InvalidIsEmpty).
template <typename Handle, auto Release, bool InvalidIsEmpty = false>
class UniqueHandle {
    static Handle Empty() {
        if constexpr (InvalidIsEmpty)
            return INVALID_HANDLE_VALUE;
        else
            return nullptr;
    }

public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) { Count(handle_, 1); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Empty(); }
    // Gives the handle up, for when another owner (a window, GDI) takes it.
    Handle release() {
        Count(handle_, -1);
        return std::exchange(handle_, Empty());
    }
    void reset(Handle handle = Empty()) {
        if (handle_ != Empty()) {
            Count(handle_, -1);
            Release(handle_);
        }
        handle_ = handle;
        Count(handle_, 1);
    }

private:
    static void Count(Handle handle, long change);

    Handle handle_ = Empty();
};

namespace guard_detail {
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
inline void CloseFind(HANDLE find) { FindClose(find); }
inline void CloseFile(HANDLE file) { CloseHandle(file); }
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void FreeTaskMemory(void* memory) { CoTaskMemFree(memory); }

// The releases of GDI objects, which the guards count.
template <auto Release>
constexpr bool kReleasesGdi = false;
template <>
constexpr bool kReleasesGdi<&DeleteGdiObject> = true;
template <>
constexpr bool kReleasesGdi<&DeleteMemoryDc> = true;
}  // namespace guard_detail

template <typename Handle, auto Release, bool InvalidIsEmpty>
void UniqueHandle<Handle, Release, InvalidIsEmpty>::Count([[maybe_unused]] Handle handle,
                                                          [[maybe_unused]] long change) {
    if constexpr (guard_detail::kReleasesGdi<Release>)
        if (handle != Empty()) gGuardedGdiObjects.fetch_add(change, std::memory_order_relaxed);
}

using BitmapHandle = UniqueHandle<HBITMAP, guard_detail::DeleteGdiObject>;
using RegionHandle = UniqueHandle<HRGN, guard_detail::DeleteGdiObject>;
using FontHandle = UniqueHandle<HFONT, guard_detail::DeleteGdiObject>;
using BrushHandle = UniqueHandle<HBRUSH, guard_detail::DeleteGdiObject>;
using MemoryDc = UniqueHandle<HDC, guard_detail::DeleteMemoryDc>;
using RegistryKey = UniqueHandle<HKEY, guard_detail::CloseKey>;

using KernelHandle = UniqueHandle<HANDLE, guard_detail::CloseFile>;  // tokens, processes: null when empty
using FindHandle = UniqueHandle<HANDLE, guard_detail::CloseFind, true>;
using FileHandle = UniqueHandle<HANDLE, guard_detail::CloseFile, true>;
// What the shell allocates for its caller: a known folder's path, an item
// list from the folder browser.
template <typename Pointer>
using TaskMemory = UniqueHandle<Pointer, guard_detail::FreeTaskMemory>;

// A window's device context from GetDC (the screen's with no window).
class WindowDc {
public:
    explicit WindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a context, the previous one selected back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (*this) SelectObject(dc_, previous_);
    }
    // False when the selection failed.
    explicit operator bool() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint and its EndPaint, whatever happens between them.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { BeginPaint(window, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &paint_); }
    HDC dc() const { return paint_.hdc; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

}  // namespace quorvel
