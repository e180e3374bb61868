// One owner for every GDI and USER handle: small move-only wrappers.
#pragma once
#include <windows.h>

// How many handles the owners below hold right now: a leak shows as growth.
inline long& LiveOwnedHandles() {
    static long live = 0;
    return live;
}

template <class Handle, BOOL(WINAPI* Release)(Handle)> class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {
        if (h != nullptr) {
            ++LiveOwnedHandles();
        }
    }
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : UniqueHandle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle release() {
        Handle h = handle_;
        handle_ = nullptr;
        if (h != nullptr) {
            --LiveOwnedHandles();
        }
        return h;
    }
    void reset(Handle h = nullptr) {
        if (handle_ != nullptr) {
            Release(handle_);
            --LiveOwnedHandles();
        }
        handle_ = h;
        if (h != nullptr) {
            ++LiveOwnedHandles();
        }
    }

  private:
    Handle handle_ = nullptr;
};

inline BOOL WINAPI DeleteBrush(HBRUSH h) {
    return DeleteObject(h);
}
inline BOOL WINAPI DeletePen(HPEN h) {
    return DeleteObject(h);
}

using UniqueBrush = UniqueHandle<HBRUSH, DeleteBrush>;
using UniquePen = UniqueHandle<HPEN, DeletePen>;
using UniqueCursor = UniqueHandle<HCURSOR, DestroyCursor>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;

// Selects an object into a DC for one scope and puts the old one back.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint/EndPaint as one scope.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_;
    HDC dc_;
};
