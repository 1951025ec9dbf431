// Writing machine code that other threads may be executing: the bytes a
// thread must see change all at once go in with one locked 8-byte
// compare-exchange when they lie within one aligned 8-byte word.
#pragma once

#include <windows.h>

#include <cstddef>

namespace intercept {

// True when the first leading bytes at code lie within one aligned 8-byte
// word, so that StoreCode writes them with a single atomic store.
bool StoresAtomically(const BYTE* code, size_t leading);

// Which bytes of a StoreCode that lie beyond the atomically written word go
// in first: installing a patch writes its head (the entry jump) and then
// what follows it; taking a patch out puts the rest of the code back first,
// so that the entry, restored last, leads into whole instructions.
enum class TailOrder { AfterHead, BeforeHead };

// Writes size bytes at code (the caller has made them writable). When
// StoresAtomically(code, leading), every byte of the aligned 8-byte word that
// holds code, of those being written, changes in one lock cmpxchg8b (or
// cmpxchg on x64) and the rest are copied plainly in the given order;
// otherwise all are copied plainly. The instruction cache is the caller's.
void StoreCode(BYTE* code, const BYTE* bytes, size_t size, size_t leading, TailOrder order);

}  // namespace intercept
