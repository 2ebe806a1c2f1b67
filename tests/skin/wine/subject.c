/* The DLL the loader tests map from memory: built without the C runtime so that its entry
   point, imports and relocations are exactly the ones written here. With REFUSE_ATTACH its entry
   point refuses process attach. */
#include <windows.h>

__declspec(dllimport) void __cdecl ProbeRecord(unsigned handle, unsigned reason);

BOOL WINAPI SubjectEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    ProbeRecord((unsigned)(UINT_PTR)instance, reason);
#ifdef REFUSE_ATTACH
    return reason != DLL_PROCESS_ATTACH;
#else
    return TRUE;
#endif
}

int __stdcall AddStdcall(int a, int b) {
    return a + b;
}

int __cdecl AddCdecl(int a, int b) {
    return a + b;
}

int __cdecl SubtractCdecl(int a, int b) {
    return a - b;
}

/* Weighs each argument by its position, so arguments handed in the wrong order show. */
int __stdcall SumTen(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9,
                     int a10) {
    return a1 * 1 + a2 * 2 + a3 * 3 + a4 * 4 + a5 * 5 + a6 * 6 + a7 * 7 + a8 * 8 + a9 * 9 +
           a10 * 10;
}

/* Bound by name from kernel32, unless a resolver says otherwise. */
DWORD __stdcall CurrentProcessId(void) {
    return GetCurrentProcessId();
}
int __stdcall TextLength(const char* text) {
    return lstrlenA(text);
}

/* Absolute addresses of data and code: only right after relocation. */
static const char greeting[] = "lumaru";
static int(__cdecl* const operations[])(int, int) = {AddCdecl, SubtractCdecl};

const char* __cdecl Greeting(void) {
    return greeting;
}
int __cdecl Operate(int index, int a, int b) {
    return operations[index & 1](a, b);
}

int __cdecl OrdinalOnly(void) {
    return 9;
}
