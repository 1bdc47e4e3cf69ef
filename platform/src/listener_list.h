// A list of listeners, each known by the token its registration returned.
// Notify calls every listener outside the lock, on a copy taken under it, so
// that a listener may add or remove listeners (itself included) without
// deadlock; such a change takes effect from the next notification.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

namespace layer {

// `Guard` is the lock the list is kept under: a registry that shares one lock
// with other tables passes that lock, so that its changes stay ordered with
// theirs.
template <typename Listener, typename Guard = std::mutex>
class ListenerList {
public:
    explicit ListenerList(Guard& guard) : guard_(guard) {}

    int Add(Listener listener) {
        std::lock_guard<Guard> lock(guard_);
        const int token = nextToken_++;
        entries_.emplace_back(token, std::move(listener));
        return token;
    }

    void Remove(int token) {
        std::lock_guard<Guard> lock(guard_);
        std::erase_if(entries_, [token](const auto& entry) { return entry.first == token; });
    }

    template <typename... Args>
    void Notify(const Args&... args) {
        std::vector<Listener> copy;
        {
            std::lock_guard<Guard> lock(guard_);
            copy.reserve(entries_.size());
            for (auto& entry : entries_) copy.push_back(entry.second);
        }
        for (auto& listener : copy) listener(args...);
    }

private:
    Guard& guard_;
    int nextToken_ = 1;
    std::vector<std::pair<int, Listener>> entries_;
};

}  // namespace layer
