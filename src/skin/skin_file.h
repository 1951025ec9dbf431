// The skin file named by SetSkinFile: section "SysColor" replaces system
// colours; section "ScrollBar" is read by each window's scroll-bar skin.
#pragma once

class WinList;

void LoadSkinFile(WinList& list, const wchar_t* path);
