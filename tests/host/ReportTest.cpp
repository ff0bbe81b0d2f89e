// The report of `vomtrail info`: the renderers on any fields, and the model
// of a file built from bytes and a record written out here.
#include <gtest/gtest.h>

#include <string>

#include "FileInspection.h"
#include "Record.h"
#include "report/FileReport.h"
#include "report/JsonRenderer.h"
#include "report/TextRenderer.h"

namespace vthost {
namespace {

using Shape = Field::Shape;

TEST(ReportRenderers, EveryShapeInBothForms) {
  const Report report{
      "a\x1b.mp3",
      {JsonOnly("file", std::string("a\x1b.mp3")), Both("size", std::int64_t{42}, "size", "42 bytes"),
       Composite(Shape::Group, "", "stream", "two facts on one line",
                 {JsonOnly("rate", 1.5), JsonOnly("mono", true)}),
       Both("none", nullptr, "a long label here", "none"),
       Composite(Shape::Object, "tag", "", "",
                 {SameText("title", "title", "T\n"), JsonOnly("track", nullptr)}),
       Composite(Shape::List, "list", "", "",
                 {Composite(Shape::Group, "", "item", "one", {JsonOnly("id", std::string("A"))}),
                  Composite(Shape::Group, "", "", "", {JsonOnly("id", std::string("B"))})})}};
  EXPECT_EQ(RenderText(report),
            "a\\x1b.mp3\n"
            "  size       42 bytes\n"
            "  stream     two facts on one line\n"
            "  a long label here none\n"
            "  title      T\\x0a\n"
            "  item       one\n");
  EXPECT_EQ(RenderJson(report),
            R"({"file":"a\u001b.mp3","list":[{"id":"A"},{"id":"B"}],"mono":true,"none":null,"rate":1.5,)"
            R"("size":42,"tag":{"title":"T\n","track":null}})");
}

// An MPEG-1 Layer III stream of 10 frames (a LAME Info header) behind an
// ID3v2 tag with a title, with an ID3v1 block whose track byte is 0 and
// genre 255, and the record GetInfo gives for it.
struct Mp3File {
  std::string bytes = std::string(
                          "ID3\x03\0\0\0\0\0\x0C"
                          "TIT2\0\0\0\x02\0\0\0V",
                          22) +
                      std::string("\xFF\xFB\x90\x44", 4) + std::string(32, '\0') + "Info" +
                      std::string("\0\0\0\x01\0\0\0\x0A", 8) + std::string(4180 - 48, '\0') + "TAG" +
                      std::string("Title", 5) + std::string(119, '\0') + "\xFF";
  TagInfo info = FreshRecord();
  Mp3File() {
    info.MpegFamily = info.MpegVersion = 1;
    info.Layer = 3;
    info.Bitrate = 128000;
    info.SampleRate = 44100;
    info.Duration = 1;
    info.FrameCount = 9;
    info.HasTag = 1;
    info.TagKind = VT_TAG_ID3V11;
    info.Track = 0;
    Store(info.Items[VT_ITEM_TITLE], "Title");
    Store(info.Items[VT_ITEM_GENRE], "\xFF");
  }
};

TEST(FileReport, TrueFiguresOnTopAndTheRecordApart) {
  const Mp3File file;
  vtinspect::MemoryBytes source(file.bytes);
  const auto inspection = vtinspect::InspectBytes(source);
  const std::string name = "song.mp3";
  const Report report = DescribeFile({name, file.info, true, inspection.probe, inspection}, "CP1252");
  EXPECT_EQ(RenderText(report),
            "song.mp3\n"
            "  stream     MPEG-1 layer 3, 128 kbit/s, 44100 Hz, joint stereo (mode extension 0)\n"
            "  flags      crc no, padding 0, private 0, copyright 0, original 1, emphasis 0\n"
            "  length     0.26 s (10 frames from the LAME Info header)\n"
            "  title      V  (ID3v2)\n"
            "  container  MPEG stream behind an ID3v2 tag\n"
            "  size       4330 bytes\n"
            "  record     MPEG-1 layer 3, 128 kbit/s, 44100 Hz, 1 s, 9 frames (the module's figures)\n"
            "  ID3v2      version 2.3.0, 22 bytes: 1 frame, 0 bytes of padding\n"
            "    title    V\n"
            "  ID3v1      version 1.0\n"
            "    title    Title\n"
            "    artist   \n"
            "    album    \n"
            "    year     \n"
            "    comment  \n"
            "    genre    none\n");
  const std::string json = RenderJson(report);
  for (const char* member :
       {R"("bitrate":128000,"bitrate_source":"frame")", R"("duration":0)", R"("frames":10)",
        R"("seconds":0.26)", R"("seconds_source":"info")", R"("title":"V","title_source":"id3v2")",
        R"("genre":null,"genre_name":null)", R"("track":null)", R"("vbr":false)",
        R"("record":{"bitrate":128000,"duration":1,"frames":9,"layer":3,"length":"0:01","mpeg":"1",)"
        R"("sample_rate":44100,"stream":true,"vbr":false})"})
    EXPECT_NE(json.find(member), std::string::npos) << member << " in " << json;
}

// A file the module refuses (2 GiB or more) is shown from the inspection,
// its ID3v1 block included, with the refusal named.
TEST(FileReport, WithoutARecord) {
  const Mp3File file;
  vtinspect::MemoryBytes source(file.bytes);
  const auto inspection = vtinspect::InspectBytes(source);
  const std::string name = "huge.mp3";
  const Report report =
      DescribeFile({name, FreshRecord(), false, inspection.probe, inspection, "too large"}, "CP1252");
  const std::string text = RenderText(report);
  EXPECT_NE(text.find("  record     none: too large\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    title    Title\n"), std::string::npos) << text;
  EXPECT_NE(RenderJson(report).find(R"("record":null,"record_refusal":"too large")"), std::string::npos);
}

// A WAVE file whose data size is so small that the module's INFO scan, from
// the data size plus 21, starts in the list before the audio.
TEST(FileReport, TextsTheModuleFoundInTheHeadListAreShownOnce) {
  const std::string list = std::string("INFOINAM\x04\0\0\0Head", 16) + std::string("ICMT\x03\0\0\0Own\0", 12);
  const std::string bytes = std::string("RIFF\0\0\0\0WAVE", 12) + "LIST" + std::string("\x1C\0\0\0", 4) +
                            list + "data" + std::string("\x04\0\0\0", 4) + std::string("\xFF\xFB\x90\0", 4);
  TagInfo info = FreshRecord();
  Store(info.Items[InfoItemOf("INAM")], "Head");
  Store(info.Items[InfoItemOf("IART")], "Other");
  vtinspect::MemoryBytes source(bytes);
  const auto inspection = vtinspect::InspectBytes(source);
  const std::string name = "w.wav";
  const std::string text =
      RenderText(DescribeFile({name, info, true, inspection.probe, inspection}, "CP1252"));
  EXPECT_NE(text.find("  INFO INAM  Head  (list before the audio)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  INFO ICMT  Own  (list before the audio)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  INFO IART  Other  (list before the audio)\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("INFO INAM"), text.rfind("INFO INAM")) << text;
}

// A list behind the audio that the command reads itself: shown, and the
// record's texts that it holds are not shown twice; a text only the module
// found (in the audio, out of any list) is named as such.
TEST(FileReport, TheListBehindTheAudioIsShownAndTheModulesOwnFindsNamed) {
  const std::string tail = std::string("INFOINAM\x05\0\0\0Tail\0\0", 18);
  const std::string bytes = std::string("RIFF\0\0\0\0WAVE", 12) + "data" + std::string("\x04\0\0\0", 4) +
                            std::string("\xFF\xFB\x90\0", 4) + "LIST" + std::string("\x12\0\0\0", 4) + tail;
  TagInfo info = FreshRecord();
  Store(info.Items[InfoItemOf("INAM")], "Tail");
  Store(info.Items[InfoItemOf("IKEY")], "noise");
  vtinspect::MemoryBytes source(bytes);
  const auto inspection = vtinspect::InspectBytes(source);
  const std::string name = "t.wav";
  const Report report = DescribeFile({name, info, true, inspection.probe, inspection}, "CP1252");
  const std::string text = RenderText(report);
  EXPECT_NE(text.find("  INFO INAM  Tail  (behind the audio)\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("INFO INAM"), text.rfind("INFO INAM")) << text;
  EXPECT_NE(text.find("  INFO IKEY  noise  (as the module reads it)\n"), std::string::npos) << text;
  EXPECT_NE(RenderJson(report).find(R"("info_tail":[{"id":"INAM","offset":36,"text":"Tail"}])"),
            std::string::npos);
}

TEST(FileReport, AFailureNamesTheFileAndTheCode) {
  EXPECT_EQ(RenderJson(DescribeFailure("bad\xFFname", 5, "access denied")),
            "{\"code\":5,\"error\":\"access denied\",\"file\":\"bad\xEF\xBF\xBDname\","
            "\"file_hex\":\"626164ff6e616d65\",\"ok\":false}");
}

}  // namespace
}  // namespace vthost
