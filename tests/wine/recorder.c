/* A stand-in for the game's executables: records how Windows started it.
 *
 * Writes, one per line: the command line as GetCommandLineA returns it, the current directory,
 * the module's own path, then each argument of the C runtime's argv. The file is the Windows
 * path in VELKOR_RECORD, else the module's path with ".txt" instead of ".exe". It is written
 * under another name and renamed, so whoever waits for it never reads half of it. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
    char record[MAX_PATH + 8];
    char partial[MAX_PATH + 16];
    char folder[MAX_PATH];
    char module[MAX_PATH];
    DWORD n;
    FILE* out;
    int i;

    n = GetModuleFileNameA(NULL, module, sizeof module);
    if (n == 0 || n >= sizeof module)
        return 2;
    n = GetEnvironmentVariableA("VELKOR_RECORD", record, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        char* dot = strrchr(module, '.');
        size_t stem = dot ? (size_t)(dot - module) : strlen(module);
        memcpy(record, module, stem);
        strcpy(record + stem, ".txt");
    }
    n = GetCurrentDirectoryA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder)
        return 3;

    snprintf(partial, sizeof partial, "%s.part", record);
    out = fopen(partial, "wb");
    if (!out)
        return 4;
    fprintf(out, "%s\n%s\n%s\n", GetCommandLineA(), folder, module);
    for (i = 1; i < argc; ++i)
        fprintf(out, "%s\n", argv[i]);
    if (fclose(out) != 0)
        return 5;
    return MoveFileExA(partial, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 6;
}
