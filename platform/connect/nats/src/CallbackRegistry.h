// The closure the messaging library hands back to our callbacks is a number, looked up here,
// never a pointer: a callback that the library runs while its owner is being torn down finds
// nothing instead of freed memory.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace connect::detail
{

template <typename T> class CallbackRegistry
{
public:
    static void* Register(const std::shared_ptr<T>& target)
    {
        State& state = Get();
        std::lock_guard<std::mutex> guard(state.lock);
        const std::uintptr_t id = ++state.last;
        state.live.emplace(id, target);
        return reinterpret_cast<void*>(id);
    }
    // Null once forgotten (or when the owner is gone).
    static std::shared_ptr<T> Find(void* closure)
    {
        State& state = Get();
        std::lock_guard<std::mutex> guard(state.lock);
        const auto it = state.live.find(reinterpret_cast<std::uintptr_t>(closure));
        return it == state.live.end() ? nullptr : it->second.lock();
    }
    static void Forget(void* closure)
    {
        State& state = Get();
        std::lock_guard<std::mutex> guard(state.lock);
        state.live.erase(reinterpret_cast<std::uintptr_t>(closure));
    }

private:
    struct State
    {
        std::mutex lock;
        std::map<std::uintptr_t, std::weak_ptr<T>> live;
        std::uintptr_t last = 0;
    };
    static State& Get()
    {
        static State state;
        return state;
    }
};

} // namespace connect::detail
