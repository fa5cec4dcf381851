// Counting every heap allocation of the test process, so a test can prove that a piece of
// work allocated nothing. Test support only; never linked into the program.
#pragma once
#include <cstdint>

namespace tarn {

// Allocations made so far by the process (operator new in every build; the malloc family
// too where the platform lets us see it).
std::int64_t AllocationCount();

// True when malloc, calloc and realloc are counted as well as operator new.
bool CountsMalloc();

}  // namespace tarn
