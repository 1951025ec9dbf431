// Which generation of the runtime a module belongs to, read from its own file
// name (PBVM105.DLL, pbdwe105.DLL, pbvm170.dll ...) or, for the unversioned
// modules pbvm.dll, pbdwe.dll and pbsysfunc.dll, from its file version
// (major × 10 + minor), and the file names of the other modules of the same
// generation. One build of the sources serves every generation; only the file
// names and version resources differ.
#pragma once

#include <windows.h>

#include <string>

namespace pbsim {

struct ModuleIdentity {
    int generation = 0;        // the decimal number after the module's name prefix
    bool lowerCase = false;    // the module's file name has no upper-case letter
    bool unversioned = false;  // pbvm.dll, pbdwe.dll or pbsysfunc.dll
};

// Reads the identity from a file name (with or without a folder): the digits
// that follow the leading letters of the name. Generation 0 when there are
// none; an unversioned module's generation is in its version resource, which
// OwnIdentity reads.
ModuleIdentity IdentityFromFileName(const std::wstring& fileName);

// The identity of the module that contains this code.
const ModuleIdentity& OwnIdentity();
HMODULE OwnModule();

enum class RuntimeModule { VirtualMachine, Engine, System };

// File name of a module of the same generation, in the spelling of the
// generation (PBVM105.DLL, pbdwe105.DLL, pbsys105.DLL; pbvm170.dll ...;
// pbvm.dll, pbdwe.dll, pbsysfunc.dll).
std::wstring SiblingModuleName(RuntimeModule module);

// A name formed with the generation number (a format with one %d), such as
// the window class "pbdw%d"; an unversioned generation adds the letter u
// ("pbdw220u"), so that its classes are not those of a numbered runtime.
std::wstring GenerationName(const wchar_t* format);

// The loaded module of the same generation, or null when it is not loaded.
HMODULE LoadedSibling(RuntimeModule module);

}  // namespace pbsim
