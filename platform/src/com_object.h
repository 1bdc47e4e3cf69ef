// The IUnknown half of the layer's COM objects: a reference count that any
// thread may move (the sound objects are shared with the audio thread),
// deletion on the last Release, and a QueryInterface that answers
// for one interface under each of the IIDs it inherits.
#pragma once

#include <atomic>

#include "unknwn.h"

namespace layer::com {

// `Interface` is the most derived COM interface the object implements;
// `Accepted` are the IIDs under which QueryInterface hands out that same
// pointer. An object whose answers differ overrides QueryInterface and falls
// back on Query for the rest.
template <class Interface, const IID&... Accepted>
class Object : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override { return Query(riid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }

protected:
    Object() = default;
    // Virtual so that Release reaches the object's own destructor; it comes
    // after the interface's methods in the table, so COM callers never see it.
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT Query(REFIID riid, void** object) {
        if (!object) return E_POINTER;
        if ((IsEqualGUID(riid, Accepted) || ...)) {
            AddRef();
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    // A new object starts out held once, by its creator.
    std::atomic<ULONG> references{1};
};

}  // namespace layer::com
