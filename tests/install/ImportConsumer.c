/* A Windows host that links Vomtrail.dll through the import library rather
 * than loading it by hand: the stdcall names it asks for must reach the
 * DLL's plain exports. */
#include <stdio.h>
#include <string.h>

#include <Vomtrail.h>

int main(void) {
  Str255 version, name;
  TagInfo info;
  int32_t code;
  GetVersion(&version);
  memset(&name, 0, sizeof name);
  memset(&info, 0, sizeof info);
  name.Length = 20;
  memcpy(name.Text, "no-such-file-xyz.mp3", 20);
  code = SetInfo(&name, &info, 0);
  printf("version %.*s, SetInfo on a missing file: %d\n", version.Length, (const char*)version.Text,
         (int)code);
  return version.Length == strlen(VT_EXPECTED_VERSION) &&
                 memcmp(version.Text, VT_EXPECTED_VERSION, version.Length) == 0 && code == VT_FILE_NOT_FOUND
             ? 0
             : 1;
}
