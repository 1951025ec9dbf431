// The guard-page heap of the test build (CMake option TESSEL2U_GUARD_HEAP):
// every block that the library, the cairo and FreeType inside it, and the
// C++ runtime linked into it allocate stands at the very end of its own
// pages, followed by a page that is never committed. A write or read past the
// end of a block, or any touch of a freed block, faults at once instead of
// corrupting a neighbour. Blocks are aligned to the allocator's alignment, so
// an overrun smaller than that alignment stays within the block's own page.
// Memory that the C runtime itself allocated (strdup, stream buffers) is
// recognised and handed back to the C runtime's free.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr uint64_t kMagic = 0x5445535345474852ull;  // "TESSEGHR"
constexpr size_t kAlign = sizeof(void*) * 2;

struct Header {
    uint64_t magic;
    size_t size;
    void* user;
    uint64_t magicAgain;
};

size_t PageSize() {
    static size_t page = 0;
    if (!page) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        page = si.dwPageSize;
    }
    return page;
}

// The C runtime's own allocator, for blocks that are not ours.
template <typename F>
F RuntimeFunction(const char* name) {
    HMODULE crt = GetModuleHandleW(L"msvcrt.dll");
    return crt ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(crt, name))) : nullptr;
}
void RuntimeFree(void* p) {
    static auto fn = RuntimeFunction<void(__cdecl*)(void*)>("free");
    if (fn) fn(p);
}
size_t RuntimeSize(void* p) {
    static auto fn = RuntimeFunction<size_t(__cdecl*)(void*)>("_msize");
    return fn ? fn(p) : 0;
}

void* GuardAlloc(size_t size, size_t align) {
    if (align < kAlign) align = kAlign;
    const size_t page = PageSize();
    const size_t rounded = (size + align - 1) / align * align;
    if (rounded < size || rounded > (SIZE_MAX / 2)) return nullptr;
    const size_t data = (rounded + sizeof(Header) + page - 1) / page * page;
    BYTE* base = static_cast<BYTE*>(VirtualAlloc(nullptr, data + page, MEM_RESERVE, PAGE_NOACCESS));
    if (!base) return nullptr;
    if (!VirtualAlloc(base, data, MEM_COMMIT, PAGE_READWRITE)) {
        VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
    BYTE* user = base + data - rounded;
    // The guard page behind the data stays reserved and uncommitted.
    Header* h = reinterpret_cast<Header*>(base);
    h->magic = kMagic;
    h->size = size;
    h->user = user;
    h->magicAgain = kMagic;
    return user;
}

// The header of one of our blocks, or null for memory of anyone else.
Header* HeaderOf(void* p) {
    MEMORY_BASIC_INFORMATION mbi;
    if (!VirtualQuery(p, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT || mbi.Type != MEM_PRIVATE) return nullptr;
    MEMORY_BASIC_INFORMATION first;
    if (!VirtualQuery(mbi.AllocationBase, &first, sizeof first) || first.State != MEM_COMMIT ||
        !(first.Protect & (PAGE_READWRITE | PAGE_READONLY)))
        return nullptr;
    Header* h = static_cast<Header*>(mbi.AllocationBase);
    if (h->magic != kMagic || h->magicAgain != kMagic || h->user != p) return nullptr;
    return h;
}

void GuardFree(void* p) {
    if (!p) return;
    if (Header* h = HeaderOf(p)) VirtualFree(h, 0, MEM_RELEASE);
    else RuntimeFree(p);
}

}  // namespace

// The C allocator is replaced where the C runtime links by symbol name
// (MinGW); elsewhere only the C++ allocation functions are.
#if defined(__MINGW32__)
extern "C" {

void* __cdecl malloc(size_t size) { return GuardAlloc(size, kAlign); }

void* __cdecl calloc(size_t count, size_t size) {
    if (size && count > SIZE_MAX / size) return nullptr;
    return GuardAlloc(count * size, kAlign);  // fresh pages are zero
}

void __cdecl free(void* p) { GuardFree(p); }

void* __cdecl realloc(void* p, size_t size) {
    if (!p) return GuardAlloc(size, kAlign);
    Header* h = HeaderOf(p);
    if (!h) {
        // A block of the C runtime: moved into one of ours.
        const size_t old = RuntimeSize(p);
        void* fresh = GuardAlloc(size, kAlign);
        if (!fresh) return nullptr;
        std::memcpy(fresh, p, old < size ? old : size);
        RuntimeFree(p);
        return fresh;
    }
    void* fresh = GuardAlloc(size, kAlign);
    if (!fresh) return nullptr;
    std::memcpy(fresh, p, h->size < size ? h->size : size);
    GuardFree(p);
    return fresh;
}

}  // extern "C"
#endif

void* operator new(size_t size) {
    if (void* p = GuardAlloc(size, kAlign)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    if (void* p = GuardAlloc(size, kAlign)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return GuardAlloc(size, kAlign); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return GuardAlloc(size, kAlign); }
void* operator new(size_t size, std::align_val_t align) {
    if (void* p = GuardAlloc(size, static_cast<size_t>(align))) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size, std::align_val_t align) {
    if (void* p = GuardAlloc(size, static_cast<size_t>(align))) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { GuardFree(p); }
void operator delete[](void* p) noexcept { GuardFree(p); }
void operator delete(void* p, size_t) noexcept { GuardFree(p); }
void operator delete[](void* p, size_t) noexcept { GuardFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { GuardFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { GuardFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { GuardFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { GuardFree(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { GuardFree(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { GuardFree(p); }
