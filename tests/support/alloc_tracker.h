// Records the largest single operator-new request, so a test can show that bad input never makes
// the code under test ask for an absurd block. Linked into a test binary, it replaces the global
// operator new and delete for the whole binary.
#pragma once

#include <cstddef>

namespace alloc_tracker {

void Reset();
// Bytes of the largest single request since Reset.
size_t Largest();

}  // namespace alloc_tracker
