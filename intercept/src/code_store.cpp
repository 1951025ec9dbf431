#include "code_store.h"

#include <cstdint>
#include <cstring>

namespace intercept {
namespace {

constexpr uintptr_t kWord = 8;

BYTE* WordOf(BYTE* code) { return reinterpret_cast<BYTE*>(reinterpret_cast<uintptr_t>(code) & ~(kWord - 1)); }

// Replaces count bytes from offset of the aligned word at once, keeping the
// others as they are at the moment of the store.
void ExchangeWord(BYTE* word, size_t offset, const BYTE* bytes, size_t count) {
    auto* target = reinterpret_cast<volatile LONG64*>(word);
    LONG64 seen = *target;
    for (;;) {
        LONG64 wanted = seen;
        std::memcpy(reinterpret_cast<BYTE*>(&wanted) + offset, bytes, count);
        const LONG64 previous = InterlockedCompareExchange64(target, wanted, seen);
        if (previous == seen) return;
        seen = previous;
    }
}

}  // namespace

bool StoresAtomically(const BYTE* code, size_t leading) {
    const uintptr_t offset = reinterpret_cast<uintptr_t>(code) & (kWord - 1);
    return leading != 0 && offset + leading <= kWord;
}

void StoreCode(BYTE* code, const BYTE* bytes, size_t size, size_t leading, TailOrder order) {
    if (size == 0) return;
    if (!StoresAtomically(code, leading < size ? leading : size)) {
        std::memcpy(code, bytes, size);
        return;
    }
    BYTE* word = WordOf(code);
    const size_t offset = static_cast<size_t>(code - word);
    const size_t head = size < kWord - offset ? size : kWord - offset;
    if (order == TailOrder::BeforeHead && size > head) std::memcpy(code + head, bytes + head, size - head);
    ExchangeWord(word, offset, bytes, head);
    if (order == TailOrder::AfterHead && size > head) std::memcpy(code + head, bytes + head, size - head);
}

}  // namespace intercept
