/* Calls every entry point a C host may call on names that make them fail:
 * a missing file, a folder, an empty name, damaged files. A C++ exception
 * escaping the library would end this program (there is no C++ frame to
 * catch it), so getting to the end at all is the main check; the codes are
 * checked too. Usage: vt_no_unwind SAMPLE.mp3 SCRATCH-FOLDER */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <Vomtrail.h>

static int failures = 0;

static void Expect(int ok, const char* what, const char* name, long value) {
  if (!ok) {
    fprintf(stderr, "FAIL %s on \"%s\": got %ld\n", what, name, value);
    ++failures;
  }
}

static Str255 Name(const char* text) {
  Str255 name;
  size_t length = strlen(text);
  if (length > 255) length = 255;
  memset(&name, 0, sizeof name);
  name.Length = (uint8_t)length;
  memcpy(name.Text, text, length);
  return name;
}

static void WriteFile(const char* path, const void* bytes, size_t count) {
  FILE* file = fopen(path, "wb");
  if (file == NULL || fwrite(bytes, 1, count, file) != count || fclose(file) != 0) {
    perror(path);
    exit(2);
  }
}

/* expected: the code GetInfoResult must give, or 0 for "any failure code"
 * (damaged files: which byte runs out first is not the point). writes: the
 * codes SetInfo must give in modes 0, 1 and 2, each on the file as it was
 * (bytes, when not NULL, are written to path again before every call). */
static void FailEverywhere(const char* path, int32_t expected, const int32_t writes[3], const void* bytes,
                           size_t count) {
  const Str255 name = Name(path);
  TagInfo info;
  int32_t mode;
  memset(&info, 0, sizeof info);
  const int32_t code = GetInfoResult(&name, &info);
  Expect(expected != 0 ? code == expected : code != 0, "GetInfoResult", path, code);
  for (mode = 0; mode <= 2; ++mode) {
    TagInfo record = info;
    int32_t result;
    if (bytes != NULL) WriteFile(path, bytes, count);
    result = SetInfo(&name, &record, mode);
    Expect(result == writes[mode],
           mode == 0   ? "SetInfo mode 0"
           : mode == 1 ? "SetInfo mode 1"
                       : "SetInfo mode 2",
           path, result);
  }
}

int main(int argc, char** argv) {
  char path[4096];
  static const unsigned char kCutTag[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x7F, 0x7F, 0xFF, 0xFB};
  static const unsigned char kCutRiff[] = {'R',  'I', 'F', 'F', 0xFF, 0xFF, 0xFF,
                                           0x7F, 'W', 'A', 'V', 'E',  'f',  'm'};
  Str255 version;
  TagInfo thrown, returned;
  if (argc != 3) {
    fprintf(stderr, "usage: %s SAMPLE SCRATCH-FOLDER\n", argv[0]);
    return 2;
  }

  /* A name that cannot be opened fails every write mode that opens the
   * file; mode 2 on a record of kind 0 is refused before any opening. */
  {
    static const int32_t kMissing[3] = {VT_FILE_NOT_FOUND, VT_FILE_NOT_FOUND, VT_NOT_SUPPORTED};
    static const int32_t kNoFolder[3] = {VT_PATH_NOT_FOUND, VT_PATH_NOT_FOUND, VT_NOT_SUPPORTED};
    static const int32_t kFolder[3] = {VT_ACCESS_DENIED, VT_ACCESS_DENIED, VT_NOT_SUPPORTED};
    static const int32_t kEmpty[3] = {VT_INVALID_NAME, VT_INVALID_NAME, VT_INVALID_NAME};
    /* Twelve bytes behind an ID3v2 header whose size points past the end:
     * unreadable, but the write modes take the bytes as a bare stream. */
    static const int32_t kCutTagWrites[3] = {VT_OK, VT_OK, VT_NOT_SUPPORTED};
    /* A WAVE head cut before any "data": nothing to write from. */
    static const int32_t kCutRiffWrites[3] = {VT_INVALID_DATA, VT_INVALID_DATA, VT_INVALID_DATA};
    snprintf(path, sizeof path, "%s/no-such-file.mp3", argv[2]);
    FailEverywhere(path, VT_FILE_NOT_FOUND, kMissing, NULL, 0);
    snprintf(path, sizeof path, "%s/no-such-folder/a.mp3", argv[2]);
    FailEverywhere(path, VT_PATH_NOT_FOUND, kNoFolder, NULL, 0);
    FailEverywhere(argv[2], VT_ACCESS_DENIED, kFolder, NULL, 0);
    FailEverywhere("", VT_INVALID_NAME, kEmpty, NULL, 0);
    snprintf(path, sizeof path, "%s/cut-id3v2.mp3", argv[2]);
    WriteFile(path, kCutTag, sizeof kCutTag);
    FailEverywhere(path, 0, kCutTagWrites, kCutTag, sizeof kCutTag);
    snprintf(path, sizeof path, "%s/cut-riff.wav", argv[2]);
    WriteFile(path, kCutRiff, sizeof kCutRiff);
    FailEverywhere(path, 0, kCutRiffWrites, kCutRiff, sizeof kCutRiff);
  }

  memset(&version, 0xFF, sizeof version);
  Expect(GetVersion(&version) == &version && version.Length == strlen(VT_EXPECTED_VERSION) &&
             memcmp(version.Text, VT_EXPECTED_VERSION, version.Length) == 0,
         "GetVersion", "", version.Length);

  /* On success the two ways of reading leave the same record. */
  {
    const Str255 sample = Name(argv[1]);
    memset(&thrown, 0xA5, sizeof thrown);
    memset(&returned, 0xA5, sizeof returned);
    Expect(GetInfoResult(&sample, &returned) == 0, "GetInfoResult", argv[1], 1);
    GetInfo(&sample, &thrown);
    Expect(memcmp(&thrown, &returned, sizeof thrown) == 0, "same record from GetInfo", argv[1], 0);
    Expect(returned.Bitrate > 0 && returned.FileSize > 0, "record filled", argv[1], returned.Bitrate);
  }

  if (failures == 0) puts("no exception left the library");
  return failures == 0 ? 0 : 1;
}
