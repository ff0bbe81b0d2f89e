/* The Windows module as a Windows host sees it: Vomtrail.dll loaded at run
 * time, GetInfo over every file of a corpus list, timed with the
 * performance counter. Linux paths in the list ("/work/...") are turned
 * into Wine's drive Z: paths. Usage: wine_reader.exe DLL|floor LIST [ROUNDS]
 *
 * With "floor" instead of a DLL it does the least a reader can do through
 * the Win32 file functions (open, read the first 4 KiB and the last 128
 * bytes, close), so the DLL's figure can be set against what Wine's file
 * layer costs by itself.
 *
 * Prints the same result line as the native corpus readers. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define VT_NO_PROTOTYPES
#include "Vomtrail.h"

static int ToWindowsName(const char* line, Str255* name) {
  char path[300];
  size_t n = 0;
  if (line[0] == '/') {
    path[n++] = 'Z';
    path[n++] = ':';
  }
  for (; *line != '\0' && *line != '\n' && *line != '\r' && n < sizeof path - 1; ++line)
    path[n++] = *line == '/' ? '\\' : *line;
  if (n == 0 || n > 255) return 0;
  name->Length = (uint8_t)n;
  memcpy(name->Text, path, n);
  return 1;
}

/* Open, first 4 KiB, last 128 bytes, close: the Win32 twin of floor_reader. */
static unsigned FloorRead(const Str255* name) {
  char path[256];
  memcpy(path, name->Text, name->Length);
  path[name->Length] = '\0';
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  static unsigned char head[4096], tail[128];
  DWORD got = 0;
  unsigned sum = 0;
  LARGE_INTEGER size, at;
  if (GetFileSizeEx(file, &size) && ReadFile(file, head, sizeof head, &got, NULL) && size.QuadPart >= 128) {
    at.QuadPart = size.QuadPart - 128;
    if (SetFilePointerEx(file, at, NULL, FILE_BEGIN) && ReadFile(file, tail, sizeof tail, &got, NULL))
      sum = head[1] + tail[3];
  }
  CloseHandle(file);
  return sum;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s DLL LIST [ROUNDS]\n", argv[0]);
    return 2;
  }
  const int floor = strcmp(argv[1], "floor") == 0;
  VtGetInfoFn getInfo = NULL;
  if (!floor) {
    HMODULE module = LoadLibraryA(argv[1]);
    if (module == NULL) {
      fprintf(stderr, "cannot load %s\n", argv[1]);
      return 1;
    }
    getInfo = (VtGetInfoFn)(void (*)(void))GetProcAddress(module, "GetInfo");
    if (getInfo == NULL) return 1;
  }

  FILE* list = fopen(argv[2], "r");
  if (list == NULL) return 1;
  size_t capacity = 1024, count = 0;
  Str255* names = malloc(capacity * sizeof *names);
  char line[512];
  while (names != NULL && fgets(line, sizeof line, list) != NULL) {
    if (count == capacity) {
      capacity *= 2;
      names = realloc(names, capacity * sizeof *names);
      if (names == NULL) break;
    }
    if (ToWindowsName(line, &names[count])) ++count;
  }
  fclose(list);
  if (names == NULL) return 1;
  long rounds = argc > 3 ? strtol(argv[3], NULL, 10) : 1;

  /* Every corpus file is a valid one, so GetInfo raises nothing here. */
  static TagInfo info;
  unsigned long long checksum = 0;
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (long r = 0; r < rounds; ++r) {
    for (size_t i = 0; i < count; ++i) {
      if (floor) {
        checksum += FloorRead(&names[i]);
        continue;
      }
      memset(&info, 0, sizeof info);
      getInfo(&names[i], &info);
      checksum += (unsigned long long)info.Bitrate + (unsigned long long)info.SampleRate +
                  (unsigned long long)info.Duration + info.Items[VT_ITEM_TITLE].Length;
    }
  }
  QueryPerformanceCounter(&stop);
  double seconds = (double)(stop.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
  size_t files = count * (size_t)rounds;
  printf("reader=%s files=%u seconds=%.4f files_per_second=%.0f us_per_file=%.3f checksum=%llu\n",
         floor ? "wine-floor" : "wine", (unsigned)files, seconds, seconds > 0 ? (double)files / seconds : 0.0,
         files ? seconds * 1e6 / (double)files : 0.0, checksum);
  free(names);
  return 0;
}
