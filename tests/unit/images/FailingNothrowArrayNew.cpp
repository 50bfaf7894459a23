#include "FailingNothrowArrayNew.h"

#include <atomic>
#include <new>

namespace {
std::atomic<bool> failing{false};
}

void FailNothrowArrayNew(bool fail) { failing = fail; }

// Replaces the library's version in this test program; otherwise it behaves as the library's does.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (failing) return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}
