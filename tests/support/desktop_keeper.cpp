// Keeps Wine's desktop for a whole CTest run (scripts/run-ctest starts it):
// makes the desktop come up with this program's output, not a test's, says so
// by creating the file its argument names, then stays on the desktop until
// its standard input ends.
#include <windows.h>

int main(int argc, char** argv) {
    GetDesktopWindow();
    if (argc > 1) CloseHandle(CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {}
    return 0;
}
