/* The inspection's report as a C caller gets it from libvomtrail-inspect:
 * the JSON of a sample, the size asked for first, a short buffer, a missing
 * file, bad arguments, a path longer than the module takes. Usage:
 * vt_inspect_from_c SAMPLE.mp3 SCRATCH-FOLDER */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <VomtrailInspect.h>

static int failures = 0;

static void Expect(int ok, const char* what, long value) {
  if (!ok) {
    fprintf(stderr, "FAIL %s: got %ld\n", what, value);
    ++failures;
  }
}

/* The report of path, in a buffer of the size the library asks for. */
static char* Report(const char* path, int32_t* code) {
  size_t needed = 0;
  char* buffer;
  int32_t first = VtInspectJson(path, NULL, NULL, 0, &needed);
  Expect(first == VT_INSUFFICIENT_BUFFER && needed > 1, "asking the size", (long)first);
  buffer = malloc(needed);
  if (buffer == NULL) exit(2);
  *code = VtInspectJson(path, "CP1252", buffer, needed, NULL);
  Expect(strlen(buffer) + 1 == needed, "the report fills what it asked for", (long)strlen(buffer));
  return buffer;
}

int main(int argc, char** argv) {
  char small[16] = "untouched";
  char path[1024];
  size_t needed = 0;
  int32_t code;
  char* json;
  if (argc != 3) {
    fprintf(stderr, "usage: %s SAMPLE.mp3 SCRATCH-FOLDER\n", argv[0]);
    return 2;
  }
  json = Report(argv[1], &code);
  Expect(code == VT_OK, "a sample is read", (long)code);
  Expect(strstr(json, "\"title\":\"Sample tone\",\"title_source\":\"id3v2\"") != NULL,
         "the title and its source", 0);
  Expect(strstr(json, "\"seconds_source\":\"xing\"") != NULL, "the length's source", 0);
  Expect(strstr(json, "\"record\":{") != NULL, "the module's record", 0);
  free(json);

  code = VtInspectJson(argv[1], NULL, small, sizeof small, &needed);
  Expect(code == VT_INSUFFICIENT_BUFFER && needed > sizeof small, "a short buffer", (long)code);
  Expect(strcmp(small, "untouched") == 0, "a short buffer is left alone", 0);

  snprintf(path, sizeof path, "%s/no-such-file.mp3", argv[2]);
  json = Report(path, &code);
  Expect(code == VT_FILE_NOT_FOUND, "a missing file gives the module's code", (long)code);
  Expect(strstr(json, "\"ok\":false") != NULL && strstr(json, "\"error\":\"no such file\"") != NULL,
         "a missing file's report", 0);
  free(json);

  Expect(VtInspectJson(NULL, NULL, small, sizeof small, &needed) == VT_INVALID_PARAMETER && needed == 0,
         "no path", 0);
  Expect(VtInspectJson(argv[1], "NO-SUCH-CODE-PAGE", small, sizeof small, NULL) == VT_INVALID_PARAMETER,
         "an unknown code page", 0);

  /* Deeper than the module's 255 bytes: reached through the folder. */
  snprintf(path, sizeof path, "%s/%0200d", argv[2], 0);
  mkdir(path, 0755);
  snprintf(path, sizeof path, "%s/%0200d/%0100d.mp3", argv[2], 0, 0);
  {
    FILE* in = fopen(argv[1], "rb");
    FILE* out = fopen(path, "wb");
    int c;
    if (in == NULL || out == NULL) exit(2);
    while ((c = fgetc(in)) != EOF) fputc(c, out);
    fclose(in);
    fclose(out);
  }
  json = Report(path, &code);
  Expect(code == VT_OK && strstr(json, "\"record\":{") != NULL, "a long path", (long)code);
  free(json);

  if (failures == 0) printf("ok\n");
  return failures == 0 ? 0 : 1;
}
