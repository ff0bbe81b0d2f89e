/* A host as a user would write one against an installed library: reads a
 * file and prints a few fields, or the failure code. Exit status 0 when
 * read, 1 when the module reported a failure, 2 for a usage error. */
#include <stdio.h>
#include <string.h>

#include <Vomtrail.h>

int main(int argc, char** argv) {
  Str255 name, version;
  TagInfo info;
  size_t length;
  int32_t code;
  if (argc != 2 || (length = strlen(argv[1])) > 255) {
    fprintf(stderr, "usage: %s FILE (name of 255 bytes at most)\n", argv[0]);
    return 2;
  }
  GetVersion(&version);
  printf("version %.*s\n", version.Length, (const char*)version.Text);

  memset(&name, 0, sizeof name);
  name.Length = (uint8_t)length;
  memcpy(name.Text, argv[1], length);
  memset(&info, 0, sizeof info);
  code = GetInfoResult(&name, &info);
  if (code != VT_OK) {
    printf("error %d\n", (int)code);
    return 1;
  }
  printf("kind %d layer %d bitrate %d title %.*s\n", info.FileKind, info.Layer, (int)info.Bitrate,
         info.Items[VT_ITEM_TITLE].Length, (const char*)info.Items[VT_ITEM_TITLE].Text);
  return 0;
}
