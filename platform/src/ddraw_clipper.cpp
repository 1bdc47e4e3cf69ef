// IDirectDrawClipper: a list of rectangles that confines Blt on the surface it
// is attached to, or a window whose client area does.
#include <algorithm>
#include <cstring>
#include <vector>

#include "com_object.h"
#include "ddraw_internal.h"
#include "winuser.h"

namespace layer::ddraw {

class Clipper final : public com::Object<IDirectDrawClipper, IID_IUnknown, IID_IDirectDrawClipper> {
public:
    HRESULT STDMETHODCALLTYPE GetClipList(LPRECT rect, LPRGNDATA clipList, LPDWORD size) override {
        if (!size) return DDERR_INVALIDPARAMS;
        std::vector<RECT> source;
        if (window_) {
            // The window's client area on the screen; windows of the layer
            // overlap nothing that would cut it into parts.
            RECT client;
            POINT origin{0, 0};
            if (!GetClientRect(window_, &client) || !ClientToScreen(window_, &origin)) return DDERR_GENERIC;
            OffsetRect(&client, origin.x, origin.y);
            if (client.left < client.right && client.top < client.bottom) source.push_back(client);
        } else {
            if (!hasList_) return DDERR_NOCLIPLIST;
            source = rects_;
        }
        std::vector<RECT> rects;
        for (const RECT& r : source) {
            if (!rect) {
                rects.push_back(r);
                continue;
            }
            RECT part{std::max(r.left, rect->left), std::max(r.top, rect->top), std::min(r.right, rect->right),
                      std::min(r.bottom, rect->bottom)};
            if (part.left < part.right && part.top < part.bottom) rects.push_back(part);
        }
        const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
        if (!clipList) {
            *size = needed;
            return DD_OK;
        }
        if (*size < needed) {
            *size = needed;
            return DDERR_REGIONTOOSMALL;
        }
        FillRegionData(rects, clipList);
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE GetHWnd(HWND* window) override {
        if (!window) return DDERR_INVALIDPARAMS;
        *window = window_;
        return window_ ? DD_OK : DDERR_NOHWND;
    }

    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD) override { return DDERR_ALREADYINITIALIZED; }

    HRESULT STDMETHODCALLTYPE IsClipListChanged(BOOL* changed) override {
        if (!changed) return DDERR_INVALIDPARAMS;
        *changed = FALSE;
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE SetClipList(LPRGNDATA clipList, DWORD flags) override {
        if (flags != 0) return DDERR_INVALIDPARAMS;
        if (window_) return DDERR_CLIPPERISUSINGHWND;
        if (!clipList) {
            hasList_ = false;
            rects_.clear();
            return DD_OK;
        }
        const RGNDATAHEADER& header = clipList->rdh;
        if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return DDERR_INVALIDCLIPLIST;
        // A region of more rectangles than any screen needs is a broken record.
        if (header.nCount > 65536) return DDERR_INVALIDCLIPLIST;
        std::vector<RECT> rects(header.nCount);
        if (header.nCount) std::memcpy(rects.data(), clipList->Buffer, header.nCount * sizeof(RECT));
        for (const RECT& r : rects)
            if (r.left > r.right || r.top > r.bottom) return DDERR_INVALIDCLIPLIST;
        rects_ = std::move(rects);
        hasList_ = true;
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) override {
        if (flags != 0) return DDERR_INVALIDPARAMS;
        window_ = window;
        return DD_OK;
    }

    bool Rects(int width, int height, std::vector<RECT>& out) const {
        if (window_) {
            out.assign(1, RECT{0, 0, width, height});
            return true;
        }
        if (!hasList_) return false;
        out = rects_;
        return true;
    }

private:
    ~Clipper() = default;

    static void FillRegionData(const std::vector<RECT>& rects, LPRGNDATA data) {
        RGNDATAHEADER& header = data->rdh;
        header.dwSize = sizeof(RGNDATAHEADER);
        header.iType = RDH_RECTANGLES;
        header.nCount = static_cast<DWORD>(rects.size());
        header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
        header.rcBound = RECT{0, 0, 0, 0};
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const RECT& r = rects[i];
            if (i == 0) {
                header.rcBound = r;
            } else {
                header.rcBound.left = std::min(header.rcBound.left, r.left);
                header.rcBound.top = std::min(header.rcBound.top, r.top);
                header.rcBound.right = std::max(header.rcBound.right, r.right);
                header.rcBound.bottom = std::max(header.rcBound.bottom, r.bottom);
            }
        }
        if (!rects.empty()) std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
    }

    bool hasList_ = false;
    std::vector<RECT> rects_;
    HWND window_ = nullptr;
};

bool ClipRectsOf(Clipper* clipper, int surfaceWidth, int surfaceHeight, std::vector<RECT>& rects) {
    return clipper->Rects(surfaceWidth, surfaceHeight, rects);
}

Clipper* AsClipper(IDirectDrawClipper* clipper) { return static_cast<Clipper*>(clipper); }
IDirectDrawClipper* AsInterface(Clipper* clipper) { return clipper; }

HRESULT CreateClipperObject(LPDIRECTDRAWCLIPPER* clipper) {
    *clipper = new Clipper();
    return DD_OK;
}

}  // namespace layer::ddraw
