/* A DLL built the usual way, with the C runtime's own DLL start-up code, to show that such a
   DLL maps and runs too. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

__declspec(dllexport) int __cdecl FormatNumber(char* out, int size, int value) {
    char* scratch = malloc(32);
    if (!scratch) {
        return -1;
    }
    snprintf(scratch, 32, "<%d>", value);
    const int length = (int)strlen(scratch);
    if (length < size) {
        memcpy(out, scratch, (size_t)length + 1);
    }
    free(scratch);
    return length;
}
