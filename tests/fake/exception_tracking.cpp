// Counts the CFileException objects the fake throws and sees each one
// released. The tool releases them with Delete(), a plain delete, so the
// global operator delete is replaced to notice when a tracked object's
// memory comes back. The table is fixed-size: operator delete must not
// allocate.
#include <cstdlib>
#include <new>

#include "fake/fake_platform.h"

namespace {

constexpr int kSlots = 1024;
const void *g_live[kSlots];
int g_thrown = 0;
int g_tracked = 0; // slots in use, so that untracked deletes stay cheap

void Forget(const void *p)
{
    if (p == nullptr || g_tracked == 0)
        return;
    for (const void *&slot : g_live) {
        if (slot == p) {
            slot = nullptr;
            --g_tracked;
            return;
        }
    }
}

void *Allocate(std::size_t size)
{
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

}  // namespace

void *operator new(std::size_t size)
{
    return Allocate(size);
}

void *operator new[](std::size_t size)
{
    return Allocate(size);
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}

void operator delete(void *p) noexcept
{
    Forget(p);
    std::free(p);
}

void operator delete[](void *p) noexcept
{
    Forget(p);
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    Forget(p);
    std::free(p);
}

void operator delete[](void *p, std::size_t) noexcept
{
    Forget(p);
    std::free(p);
}

void operator delete(void *p, const std::nothrow_t &) noexcept
{
    Forget(p);
    std::free(p);
}

void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    Forget(p);
    std::free(p);
}

namespace fake {

int LiveExceptions()
{
    int live = 0;
    for (const void *slot : g_live) {
        if (slot != nullptr)
            ++live;
    }
    return live;
}

int ThrownExceptions()
{
    return g_thrown;
}

namespace detail {

void ResetExceptionCounts()
{
    for (const void *&slot : g_live)
        slot = nullptr;
    g_thrown = 0;
    g_tracked = 0;
}

[[noreturn]] void ThrowFileException(int cause, long osError)
{
    auto *exception = new CFileException(cause, osError);
    ++g_thrown;
    for (const void *&slot : g_live) {
        if (slot == nullptr) {
            slot = exception;
            ++g_tracked;
            break;
        }
    }
    throw exception;
}

}  // namespace detail
}  // namespace fake
