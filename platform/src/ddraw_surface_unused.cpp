// The IDirectDrawSurface7 methods a surface of the layer has no use for: the
// overlay calls, answered as Windows answers a surface that is no overlay,
// and the calls no program on the layer makes, which fail loudly. Apart from
// ddraw_surface.cpp so that the surface's working methods read without them.
#include "ddraw_internal.h"
#include "layer_log.h"

namespace layer::ddraw {

HRESULT STDMETHODCALLTYPE Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7) {
    return layer::Unimplemented("IDirectDrawSurface7::AddAttachedSurface", DDERR_CANNOTATTACHSURFACE);
}
HRESULT STDMETHODCALLTYPE Surface::AddOverlayDirtyRect(LPRECT) { return DDERR_NOOVERLAYHW; }
HRESULT STDMETHODCALLTYPE Surface::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE7) {
    return layer::Unimplemented("IDirectDrawSurface7::DeleteAttachedSurface", DDERR_CANNOTDETACHSURFACE);
}
HRESULT STDMETHODCALLTYPE Surface::EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK7) {
    return layer::Unimplemented("IDirectDrawSurface7::EnumAttachedSurfaces", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE Surface::EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK7) {
    return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT STDMETHODCALLTYPE Surface::GetOverlayPosition(LPLONG, LPLONG) { return DDERR_NOTAOVERLAYSURFACE; }
HRESULT STDMETHODCALLTYPE Surface::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC2) { return DDERR_ALREADYINITIALIZED; }
HRESULT STDMETHODCALLTYPE Surface::SetOverlayPosition(LONG, LONG) { return DDERR_NOTAOVERLAYSURFACE; }
HRESULT STDMETHODCALLTYPE Surface::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDOVERLAYFX) {
    return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT STDMETHODCALLTYPE Surface::UpdateOverlayDisplay(DWORD) { return DDERR_NOTAOVERLAYSURFACE; }
HRESULT STDMETHODCALLTYPE Surface::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE7) {
    return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT STDMETHODCALLTYPE Surface::SetSurfaceDesc(LPDDSURFACEDESC2, DWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::SetSurfaceDesc", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE Surface::SetPrivateData(REFGUID, LPVOID, DWORD, DWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::SetPrivateData", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE Surface::GetPrivateData(REFGUID, LPVOID, LPDWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::GetPrivateData", DDERR_NOTFOUND);
}
HRESULT STDMETHODCALLTYPE Surface::FreePrivateData(REFGUID) {
    return layer::Unimplemented("IDirectDrawSurface7::FreePrivateData", DDERR_NOTFOUND);
}
HRESULT STDMETHODCALLTYPE Surface::SetPriority(DWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::SetPriority", DDERR_INVALIDOBJECT);
}
HRESULT STDMETHODCALLTYPE Surface::GetPriority(LPDWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::GetPriority", DDERR_INVALIDOBJECT);
}
HRESULT STDMETHODCALLTYPE Surface::SetLOD(DWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::SetLOD", DDERR_INVALIDOBJECT);
}
HRESULT STDMETHODCALLTYPE Surface::GetLOD(LPDWORD) {
    return layer::Unimplemented("IDirectDrawSurface7::GetLOD", DDERR_INVALIDOBJECT);
}

}  // namespace layer::ddraw
