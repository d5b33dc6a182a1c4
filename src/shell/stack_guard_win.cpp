// The stack protector's guard and its failure handlers, instead of the ones libssp brings: libssp
// seeds its guard from CryptAcquireContext in a constructor, which loads advapi32 and rsaenh (and
// through them crypt32) before wWinMain can limit where DLLs come from. This guard is seeded the
// way the Windows CRT seeds its security cookie, from values that differ per process and per start.
#include <windows.h>

#include <cstdint>

#if defined(__GNUC__)

extern "C" {

// Not zero before the constructor runs, so that a missing seed still protects.
std::uintptr_t __stack_chk_guard = 0x2B992DDFA232ULL;

// A protected function must never return across a change of the guard: these run before any of
// the program's code and are not protected themselves.
__attribute__((constructor(101), no_stack_protector)) static void seedStackGuard() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    int local = 0;
    std::uintptr_t seed = (static_cast<std::uintptr_t>(now.dwHighDateTime) << 32) ^
                          now.dwLowDateTime;
    seed ^= static_cast<std::uintptr_t>(GetCurrentProcessId()) << 17;
    seed ^= static_cast<std::uintptr_t>(GetCurrentThreadId()) << 39;
    seed ^= GetTickCount64();
    seed ^= static_cast<std::uintptr_t>(counter.QuadPart) << 32 ^
            static_cast<std::uintptr_t>(counter.QuadPart);
    seed ^= reinterpret_cast<std::uintptr_t>(&local);  // where the stack lies (ASLR)
    seed ^= reinterpret_cast<std::uintptr_t>(&seed) >> 12;
    seed ^= reinterpret_cast<std::uintptr_t>(&__stack_chk_guard) << 8;  // where the image lies
    // A zero byte first stops string copies that overrun a buffer from writing the guard back.
    seed &= ~static_cast<std::uintptr_t>(0xFF);
    if (seed == 0) seed = 0x2B992DDFA200ULL;
    __stack_chk_guard = seed;
}

// An overwritten stack means the process can no longer be trusted: end it at once, without
// unwinding or running any handler an attacker may have placed.
[[noreturn]] __attribute__((no_stack_protector)) static void endProcess(unsigned code) {
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) {
        __asm__ volatile("int $0x29" : : "c"(code) : "memory");
    }
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    __builtin_unreachable();
}

[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail() {
    endProcess(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
}

[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail_local() {
    endProcess(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
}

// Called by the checked string and memory functions when a copy would overrun its destination.
[[noreturn]] __attribute__((no_stack_protector)) void __chk_fail() {
    endProcess(FAST_FAIL_RANGE_CHECK_FAILURE);
}

}  // extern "C"

#endif
