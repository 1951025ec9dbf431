#include "tessel_api.h"

namespace {
template <typename F>
void Bind(HMODULE h, F& fn, const char* name) {
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}
}  // namespace

bool TesselApi::Load(const wchar_t* path) {
    hModule = LoadLibraryW(path);
    if (!hModule) return false;
    Bind(hModule, StartTessel, "StartTessel");
    Bind(hModule, StopTessel, "StopTessel");
    Bind(hModule, AttachDatawindow, "AttachDatawindow");
    Bind(hModule, DettachDatawindow, "DettachDatawindow");
    Bind(hModule, OpenDebugWindow, "OpenDebugWindow");
    Bind(hModule, PrintDebugString, "PrintDebugString");
    Bind(hModule, AddDatawindowTitle, "AddDatawindowTitle");
    Bind(hModule, SetSpanTitle, "SetSpanTitle");
    Bind(hModule, SetIconfont, "SetIconfont");
    Bind(hModule, SetSkinFile, "SetSkinFile");
    Bind(hModule, ReplaceSysColor, "ReplaceSysColor");
    Bind(hModule, ModifyDatawindowTitle, "ModifyDatawindowTitle");
    Bind(hModule, DWAbout, "DWAbout");
    Bind(hModule, SetInfoLabel, "SetInfoLabel");
    return StartTessel && StopTessel && AttachDatawindow && DettachDatawindow && AddDatawindowTitle && SetSpanTitle &&
           SetIconfont && SetSkinFile && ReplaceSysColor && ModifyDatawindowTitle && DWAbout;
}

TesselApi::~TesselApi() {
    if (hModule) FreeLibrary(hModule);
}
