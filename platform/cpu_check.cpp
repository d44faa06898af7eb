// The CPU check of the shipped builds. They are compiled for x86-64-v2 (POPCNT, SSE4.2) or above,
// so on an older CPU the first popcount would die on an illegal instruction. This file alone is
// compiled for plain x86-64 and without link-time optimisation, and its constructor runs before
// any other (priority 101), before a single global table has been built: on a CPU that lacks what
// the build needs it prints one line and leaves with code 1.
#include <cstdio>
#include <cstdlib>

#if defined(BRELOK_CPU_LEVEL) && BRELOK_CPU_LEVEL >= 2 && (defined(__x86_64__) || defined(__i386__))

namespace {

bool cpu_has_what_the_build_needs() {
    __builtin_cpu_init();
    bool ok = __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("sse4.2");
#if BRELOK_CPU_LEVEL >= 3
    ok = ok && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2");
#endif
    return ok;
}

__attribute__((constructor(101))) void refuse_an_unfit_cpu() {
    if (cpu_has_what_the_build_needs())
        return;
    std::fputs("This build of Brelok needs an x86-64-v" BRELOK_CPU_LEVEL_TEXT
               " CPU (POPCNT, SSE4.2), which this one is not: run brelok-generic instead.\n",
               stdout);
    std::exit(1);
}

} // namespace

#endif
