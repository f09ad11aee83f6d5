// mgldib.drv: the display driver that the sample game ships. In this
// sample it is a plain Win32 DLL whose only meaning to the installer is its
// version record (file version 3.10), which decides whether the copy in the
// Windows system directory is replaced.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

// The driver's version as major * 100 + minor, for programs that load it.
extern "C" __declspec(dllexport) DWORD WINAPI MglDriverVersion(void)
{
    return 310;
}
