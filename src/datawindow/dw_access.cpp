// The access layer of a DataWindow record: describe, modify and the small
// helpers built on them.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"
#include "datawindow/screen_metrics.h"
#include "base/debug_log.h"

namespace {

// The runtime is handed a zeroed buffer of this many characters, which lets
// "DataWindow.Syntax" of large DataWindows come back in one call.
const LONG kDescribeCapacity = 2048000;

// One buffer is kept for the process while the library is started (the
// DataWindow list frees it when it goes). After each answer only the characters
// the runtime wrote are zeroed again, so every call still sees a fully zeroed
// buffer without clearing 4 MB each time.
class DescribeBuffer {
public:
    wchar_t* Acquire() {
        if (m_bInUse) return nullptr;
        if (!m_pData) {
            m_pData = static_cast<wchar_t*>(
                VirtualAlloc(nullptr, kDescribeCapacity * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
            if (!m_pData) return nullptr;
        }
        m_bInUse = true;
        return m_pData;
    }
    void Release(size_t written) {
        if (written >= static_cast<size_t>(kDescribeCapacity)) written = kDescribeCapacity - 1;
        memset(m_pData, 0, (written + 1) * sizeof(wchar_t));
        m_bInUse = false;
    }
    // Gives the memory back; the next describe takes it anew.
    void Free() {
        if (!m_pData || m_bInUse) return;
        VirtualFree(m_pData, 0, MEM_RELEASE);
        m_pData = nullptr;
    }

private:
    wchar_t* m_pData = nullptr;
    bool m_bInUse = false;
};

DescribeBuffer g_describeBuffer;

std::wstring FormatV(const wchar_t* format, va_list args) {
    if (!format) return std::wstring();
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = _vsnwprintf(buf.data(), buf.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buf.size()) return std::wstring(buf.data(), static_cast<size_t>(n));
        if (buf.size() >= (1u << 24)) return std::wstring();
        buf.resize(buf.size() * 4);
    }
}

}  // namespace

void DWObject::FreeDescribeBuffer() { g_describeBuffer.Free(); }

std::wstring DWObject::Describe(const wchar_t* property) const {
    if (!m_pfnDescribe || !property) return std::wstring();
    wchar_t* buffer = g_describeBuffer.Acquire();
    if (buffer) {
        m_pfnDescribe(m_hWnd, property, buffer, kDescribeCapacity);
        size_t len = wcsnlen(buffer, kDescribeCapacity - 1);
        std::wstring answer(buffer, len);
        g_describeBuffer.Release(len);
        return answer;
    }
    // A describe from inside another one gets a buffer of its own.
    std::vector<wchar_t> own(kDescribeCapacity, L'\0');
    m_pfnDescribe(m_hWnd, property, own.data(), kDescribeCapacity);
    return std::wstring(own.data(), wcsnlen(own.data(), kDescribeCapacity - 1));
}

std::wstring DWObject::DescribeF(const wchar_t* format, ...) const {
    va_list args;
    va_start(args, format);
    std::wstring property = FormatV(format, args);
    va_end(args);
    return Describe(property.c_str());
}

int DWObject::DescribeInt(const wchar_t* format, ...) const {
    va_list args;
    va_start(args, format);
    std::wstring property = FormatV(format, args);
    va_end(args);
    return DWNumber(Describe(property.c_str()));
}

LPCWSTR DWObject::Modify(const wchar_t* text) const {
    if (!m_pfnModify || !text) return nullptr;
    LPCWSTR error = m_pfnModify(m_hWnd, text);
    if (error) {
        const std::string rule(106, '-');
        DebugLog("%s\n", rule.c_str());
        DebugLogW(L"%ls\nlen : %d\n", text, static_cast<int>(wcslen(text)));
        DebugLogW(L"%ls\n", error);
        DebugLog("%s\n", rule.c_str());
    }
    return error;
}

LPCWSTR DWObject::ModifyF(const wchar_t* format, ...) const {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatV(format, args);
    va_end(args);
    return Modify(text.c_str());
}

int DWObject::GetColumnCount() const { return DWNumber(Describe(L"DataWindow.Column.Count")); }

int DWObject::UpdateProcessing() {
    m_nProcessing = -1;
    std::wstring answer = Describe(L"DataWindow.Processing");
    if (!answer.empty()) m_nProcessing = DWNumber(answer);
    return m_nProcessing;
}

int DWObject::ConvertUnits(int value, int kind) const {
    if (m_pfnConvertUnits) return m_pfnConvertUnits(value, kind);
    return ScreenConvertUnits(value, kind);
}

int DWObject::XToPixels(int value) const { return m_bPBUnits ? ConvertUnits(value, 3) : value; }

int DWObject::YToPixels(int value) const { return m_bPBUnits ? ConvertUnits(value, 4) : value; }

void DWObject::FindRightmostColumn(int* x, int* width, std::wstring* name) const {
    const int n = GetColumnCount();
    int bestX = -1, bestWidth = 0;
    std::wstring bestName;
    for (int i = 1; i <= n; ++i) {
        if (DescribeInt(L"#%d.Visible", i) == 0) continue;
        const int cx = DescribeInt(L"#%d.X", i);
        if (cx > bestX) {
            bestX = cx;
            bestWidth = DescribeInt(L"#%d.Width", i);
            if (name) bestName = DescribeF(L"#%d.Name", i);
        }
    }
    if (bestX == -1) {
        bestX = 0;
        bestWidth = 0;
    }
    if (x) *x = bestX;
    if (width) *width = bestWidth;
    if (name) *name = bestName;
}

void DWObject::GetObjectXWidth(const wchar_t* name, int* x, int* width) const {
    const wchar_t* n = name ? name : L"";
    if (x) *x = DescribeInt(L"%ls.X", n);
    if (width) *width = DescribeInt(L"%ls.Width", n);
}

void DWObject::UpdateDWWidth() { m_nDWWidth = m_pfnInfoGetDWWidth ? m_pfnInfoGetDWWidth(m_hWnd) : 0; }
