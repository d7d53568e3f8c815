/* The game: its command line, folder, path and arguments, a line each, into $VELKOR_RECORD,
 * renamed into place so that no one reads half of it. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
    char record[MAX_PATH], partial[MAX_PATH + 8], folder[MAX_PATH], module[MAX_PATH];
    FILE* out;
    if (!GetModuleFileNameA(NULL, module, MAX_PATH) || !GetCurrentDirectoryA(MAX_PATH, folder) ||
        !GetEnvironmentVariableA("VELKOR_RECORD", record, MAX_PATH) ||
        snprintf(partial, sizeof partial, "%s.part", record) < 0 || !(out = fopen(partial, "wb")))
        return 2;
    fprintf(out, "%s\n%s\n%s\n", GetCommandLineA(), folder, module);
    for (int i = 1; i < argc; ++i)
        fprintf(out, "%s\n", argv[i]);
    return fclose(out) == 0 && MoveFileExA(partial, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
