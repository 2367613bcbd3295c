#pragma once

#include <sys/mman.h>

#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// An allocator for the grid's per-vertex arrays, hundreds of megabytes on
// the biggest maps: it asks the kernel for huge pages there, so filling
// them takes a few hundred page faults instead of a hundred thousand.
template <class T>
struct LargeArrayAllocator {
    using value_type = T;
    LargeArrayAllocator() = default;
    template <class U>
    LargeArrayAllocator(const LargeArrayAllocator<U>&)
    {
    }

    T* allocate(size_t n)
    {
        T* p = std::allocator<T>().allocate(n);
        constexpr uintptr_t HUGE_PAGE = uintptr_t(2) << 20;
        uintptr_t first = (uintptr_t(p) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
        uintptr_t end = (uintptr_t(p) + n * sizeof(T)) & ~(HUGE_PAGE - 1);
        if (end > first)
            madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);  // a hint: failure is harmless
        return p;
    }
    void deallocate(T* p, size_t n) { std::allocator<T>().deallocate(p, n); }
    // Elements are left unset, not zeroed: the grid writes each one, and
    // a zeroing pass over hundreds of megabytes is time for nothing.
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
template <class T, class U>
bool operator==(const LargeArrayAllocator<T>&, const LargeArrayAllocator<U>&)
{
    return true;
}
template <class T, class U>
bool operator!=(const LargeArrayAllocator<T>&, const LargeArrayAllocator<U>&)
{
    return false;
}

template <class T>
using LargeArray = std::vector<T, LargeArrayAllocator<T>>;
