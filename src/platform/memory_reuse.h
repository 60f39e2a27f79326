#pragma once

namespace tw {

// Asks the C library to keep the memory of freed pictures and screens for
// the next ones instead of handing it back to the system at once. A fresh
// page costs a fault on first touch, and a 640 x 480 picture is three
// hundred pages: decoding one into fresh memory took thirty times as long
// as decoding it into reused memory. Memory is still handed back above a
// bound, and pictures larger than that bound get memory of their own.
void keep_freed_memory_for_reuse();

}  // namespace tw
