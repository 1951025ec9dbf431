// Counts what one module (the DLL under test, with the cairo and FreeType it
// carries inside) creates and releases while the object lives: GDI objects
// through its imports of the GDI create and delete functions (Wine's
// GetGuiResources answers 0; objects it makes through the saved entries of
// functions it intercepts itself are not seen), and heap blocks through its
// imports of the C runtime's allocator. Also counts the windows of the calling
// thread and the process's private memory.
#pragma once

#include <windows.h>
// After windows.h.
#include <psapi.h>

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "import_patch.h"

namespace census {

struct Counts {
    long gdiCreated = 0;
    std::set<void*> gdiLive;
    std::map<void*, size_t> heapLive;
};

inline Counts& Now() {
    static Counts c;
    return c;
}

inline void Created(void* h) {
    if (!h) return;
    ++Now().gdiCreated;
    Now().gdiLive.insert(h);
}

// One replacement per imported creating function; N tells them apart.
template <int N, typename R, typename... A>
struct Hook {
    static void*& Original() {
        static void* p = nullptr;
        return p;
    }
    static R WINAPI Fn(A... a) {
        R r = reinterpret_cast<R(WINAPI*)(A...)>(Original())(a...);
        Created(reinterpret_cast<void*>(r));
        return r;
    }
};

template <int N>
struct Deleter {
    static void*& Original() {
        static void* p = nullptr;
        return p;
    }
    static BOOL WINAPI Fn(void* h) {
        BOOL ok = reinterpret_cast<BOOL(WINAPI*)(void*)>(Original())(h);
        if (ok) Now().gdiLive.erase(h);
        return ok;
    }
};

struct HeapOriginals {
    void*(__cdecl* malloc)(size_t) = nullptr;
    void*(__cdecl* calloc)(size_t, size_t) = nullptr;
    void*(__cdecl* realloc)(void*, size_t) = nullptr;
    void(__cdecl* free)(void*) = nullptr;
};
inline HeapOriginals& Heap() {
    static HeapOriginals h;
    return h;
}
inline void Allocated(void* p, size_t n) {
    if (p) Now().heapLive[p] = n;
}
// A block made before the census began is not in the count.
inline void Released(void* p) { Now().heapLive.erase(p); }
inline void* __cdecl Malloc(size_t n) {
    void* p = Heap().malloc(n);
    Allocated(p, n);
    return p;
}
inline void* __cdecl Calloc(size_t n, size_t s) {
    void* p = Heap().calloc(n, s);
    Allocated(p, n * s);
    return p;
}
inline void* __cdecl Realloc(void* old, size_t n) {
    void* p = Heap().realloc(old, n);
    if (p || n == 0) Released(old);
    Allocated(p, n);
    return p;
}
inline void __cdecl Free(void* p) {
    Released(p);
    Heap().free(p);
}

class ResourceCensus {
public:
    explicit ResourceCensus(HMODULE module) {
        Now() = Counts();
        // The creating functions the library imports (objdump -p Tessel2U.dll).
        Add<Hook<1, HPEN, int, int, COLORREF>>(module, "CreatePen");
        Add<Hook<2, HBRUSH, COLORREF>>(module, "CreateSolidBrush");
        Add<Hook<3, HFONT, const LOGFONTW*>>(module, "CreateFontIndirectW");
        Add<Hook<4, HRGN, int, int, int, int>>(module, "CreateRectRgn");
        Add<Hook<5, HRGN, const XFORM*, DWORD, const RGNDATA*>>(module, "ExtCreateRegion");
        Add<Hook<6, HBITMAP, HDC, int, int>>(module, "CreateCompatibleBitmap");
        Add<Hook<7, HBITMAP, HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD>>(module, "CreateDIBSection");
        Add<Hook<8, HDC, HDC>>(module, "CreateCompatibleDC");
        Add<Hook<9, HDC, LPCWSTR, LPCWSTR, LPCWSTR, const DEVMODEW*>>(module, "CreateDCW");
        Add<Deleter<1>>(module, "DeleteObject");
        Add<Deleter<2>>(module, "DeleteDC");
        AddHeap(module, "malloc", reinterpret_cast<void*>(&Malloc), reinterpret_cast<void**>(&Heap().malloc));
        AddHeap(module, "calloc", reinterpret_cast<void*>(&Calloc), reinterpret_cast<void**>(&Heap().calloc));
        AddHeap(module, "realloc", reinterpret_cast<void*>(&Realloc), reinterpret_cast<void**>(&Heap().realloc));
        AddHeap(module, "free", reinterpret_cast<void*>(&Free), reinterpret_cast<void**>(&Heap().free));
    }
    ResourceCensus(const ResourceCensus&) = delete;
    ResourceCensus& operator=(const ResourceCensus&) = delete;

    bool HeapCounted() const { return Heap().malloc && Heap().free; }

private:
    template <typename H>
    void Add(HMODULE module, const char* name) {
        std::unique_ptr<ImportPatch> p(new ImportPatch(module, "gdi32.dll", name, reinterpret_cast<void*>(&H::Fn)));
        if (!p->ok()) return;
        H::Original() = p->original();
        m_patches.push_back(std::move(p));
    }
    void AddHeap(HMODULE module, const char* name, void* replacement, void** original) {
        std::unique_ptr<ImportPatch> p(new ImportPatch(module, "msvcrt.dll", name, replacement));
        if (!p->ok()) return;
        *original = p->original();
        m_patches.push_back(std::move(p));
    }
    std::vector<std::unique_ptr<ImportPatch>> m_patches;
};

// Windows of the calling thread: top-level windows and all their children.
inline BOOL CALLBACK CountChild(HWND, LPARAM p) {
    ++*reinterpret_cast<int*>(p);
    return TRUE;
}
inline BOOL CALLBACK CountTopLevel(HWND w, LPARAM p) {
    ++*reinterpret_cast<int*>(p);
    EnumChildWindows(w, CountChild, p);
    return TRUE;
}
inline int ThreadWindowCount() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&n));
    return n;
}

// The process's private bytes.
inline size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        return 0;
    // Wine leaves PrivateUsage 0; the commit charge is the same figure.
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

}  // namespace census
