// The game's owning pointer: the one owner of an object the shell made, freed
// where the play frame and the round flow let it go (reset, or the last entry
// of a list moving in), through the std::unique_ptr it holds. Only its own
// destruction frees nothing.
//
// The application object is static, so it is destroyed at process exit after
// every static made later than itself, such as what a library sets up at its
// first use during the run. Freeing the game's objects there would close their
// music file, sound buffers and surfaces through what may already be gone. So
// the application's destructor releases nothing, and whatever it still holds
// is left to the end of the process, as the long-lived objects always are. The
// pointer stays in the static object's storage, so a leak checker still finds
// the object reachable.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

template <class T>
class KeptAtExit {
public:
    KeptAtExit() noexcept : owner() {}
    // Empty on purpose: a union member is destroyed only when its owner says so.
    ~KeptAtExit() {}

    KeptAtExit(const KeptAtExit&) = delete;
    KeptAtExit& operator=(const KeptAtExit&) = delete;

    // Takes over `made`; whatever was held before is freed.
    KeptAtExit& operator=(std::unique_ptr<T> made) noexcept {
        owner = std::move(made);
        return *this;
    }
    // Moves another slot's object in, leaving that slot empty.
    KeptAtExit& operator=(KeptAtExit&& other) noexcept {
        owner = std::move(other.owner);
        return *this;
    }

    void reset(T* replacement = nullptr) noexcept { owner.reset(replacement); }

    T* get() const noexcept { return owner.get(); }
    T* operator->() const noexcept { return owner.get(); }
    T& operator*() const noexcept { return *owner; }
    explicit operator bool() const noexcept { return owner != nullptr; }
    friend bool operator==(const KeptAtExit& held, std::nullptr_t) noexcept { return held.owner == nullptr; }

private:
    union {
        std::unique_ptr<T> owner;
    };
};
