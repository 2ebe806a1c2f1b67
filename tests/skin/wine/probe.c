/* A helper DLL loaded the ordinary way, by the system loader: the mapped test DLLs import
   ProbeRecord from it by ordinal only and report every call of their entry point to it, so the
   tests can see entry point calls even after the mapped image is gone. */
#include <windows.h>

#define PROBE_CAPACITY 64

static unsigned probe_handles[PROBE_CAPACITY];
static unsigned probe_reasons[PROBE_CAPACITY];
static unsigned probe_count;

void __cdecl ProbeRecord(unsigned handle, unsigned reason) {
    if (probe_count < PROBE_CAPACITY) {
        probe_handles[probe_count] = handle;
        probe_reasons[probe_count] = reason;
    }
    ++probe_count;
}

unsigned __cdecl ProbeCount(void) {
    return probe_count;
}
unsigned __cdecl ProbeReason(unsigned i) {
    return i < PROBE_CAPACITY ? probe_reasons[i] : ~0u;
}
unsigned __cdecl ProbeHandle(unsigned i) {
    return i < PROBE_CAPACITY ? probe_handles[i] : ~0u;
}
void __cdecl ProbeReset(void) {
    probe_count = 0;
}

BOOL WINAPI ProbeEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
