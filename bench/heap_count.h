// How far the heap in use rises while a stretch of code runs, counted by tsqz_bench's own
// operator new and delete (plain malloc and free while no count runs).
#pragma once

#include <cstdint>

namespace tsqz::bench {

// Starts counting from 0.
void StartHeapCount();
// Stops and returns the highest rise of the bytes in use since the start (blocks allocated
// before it that were freed meanwhile count against it).
int64_t StopHeapCount();

}  // namespace tsqz::bench
