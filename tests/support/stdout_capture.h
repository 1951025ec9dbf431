// Captures what the process writes to the C runtime's standard output (which
// the DLL under test shares) while the object lives.
#pragma once

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>

class StdoutCapture {
public:
    StdoutCapture() {
        fflush(stdout);
        wchar_t dir[MAX_PATH], file[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"cap", 0, file);
        m_path = file;
        m_saved = _dup(_fileno(stdout));
        int fd = _wopen(m_path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
        _dup2(fd, _fileno(stdout));
        _close(fd);
    }
    ~StdoutCapture() {
        Stop();
        DeleteFileW(m_path.c_str());
    }
    // Ends the capture and returns everything written meanwhile.
    std::string Stop() {
        if (m_saved >= 0) {
            fflush(stdout);
            _dup2(m_saved, _fileno(stdout));
            _close(m_saved);
            m_saved = -1;
            FILE* f = _wfopen(m_path.c_str(), L"rb");
            if (f) {
                char buf[4096];
                size_t n;
                while ((n = fread(buf, 1, sizeof buf, f)) > 0) m_text.append(buf, n);
                fclose(f);
            }
        }
        return m_text;
    }

private:
    std::wstring m_path;
    int m_saved = -1;
    std::string m_text;
};

// Whether the library keeps a DataWindow's record for a context: drawing a
// frame control on it then writes the replacement's debug line.
inline bool HasRecord(HDC dc) {
    StdoutCapture capture;
    RECT r = {0, 0, 8, 8};
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    return capture.Stop().find("HookDrawFrameControl") != std::string::npos;
}
