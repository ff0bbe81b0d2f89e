// Files the module wrote, read by programs that share no code with it:
// TagLib and mutagen must find the texts the host set, ffprobe must still
// decode every frame of the audio.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "EditedRecord.h"
#include "ExternalTools.h"
#include "ModuleCalls.h"
#include "ScratchFiles.h"

namespace vomtrail::e2e {
namespace {

// Reads the copy, edits the record, writes it in the mode.
void EditAndWrite(const std::string& path, int mode) {
  TagInfo info = ReadTagInfo(path);
  EditRecord(info);
  ASSERT_EQ(WriteTagInfo(path, info, mode), 0) << "mode " << mode;
}

void ExpectTagLibSeesEditedId3v1(const TagLibView& view) {
  ASSERT_EQ(view.at("valid"), "1");
  ASSERT_EQ(view.at("has_id3v1"), "1");
  EXPECT_EQ(view.at("title"), kEditedTitle);
  EXPECT_EQ(view.at("artist"), kEditedArtist);
  EXPECT_EQ(view.at("album"), kEditedAlbum);
  EXPECT_EQ(view.at("year"), kEditedYear);
  EXPECT_EQ(view.at("comment"), kEditedComment);
  EXPECT_EQ(view.at("track"), std::to_string(kEditedTrack));
  EXPECT_EQ(view.at("genre"), std::to_string(kEditedGenre));
}

void ExpectMutagenSeesEditedId3v1(const nlohmann::json& view) {
  ASSERT_TRUE(view.contains("id3v1") && view["id3v1"].is_object()) << view.dump();
  const auto& tag = view["id3v1"];
  EXPECT_EQ(tag.value("TIT2", ""), kEditedTitle);
  EXPECT_EQ(tag.value("TPE1", ""), kEditedArtist);
  EXPECT_EQ(tag.value("TALB", ""), kEditedAlbum);
  EXPECT_EQ(tag.value("TDRC", ""), kEditedYear);
  EXPECT_EQ(tag.value("COMM", ""), kEditedComment);
  EXPECT_EQ(tag.value("TRCK", ""), std::to_string(kEditedTrack));
  EXPECT_EQ(tag.value("TCON", ""), std::to_string(kEditedGenre));
}

// --- Mode 0: bare stream with an ID3v1 block ------------------------------

TEST(Mode0ReadersTest, TagLibAndMutagenReadTheNewBlockOfABareStream) {
  const std::string path = ScratchCopy("l3-v1-44100-joint-128.mp3");
  EditAndWrite(path, 0);

  const TagLibView taglib = ReadWithTagLib("mpeg", path);
  ExpectTagLibSeesEditedId3v1(taglib);
  EXPECT_EQ(taglib.at("sample_rate"), "44100");
  EXPECT_EQ(taglib.at("layer"), "3");

  const nlohmann::json mutagen = ReadWithMutagen(path);
  ExpectMutagenSeesEditedId3v1(mutagen);
  EXPECT_EQ(mutagen["stream"].value("sample_rate", 0), 44100);

  EXPECT_EQ(Probe(path).packets, ProbeFixture("l3-v1-44100-joint-128.mp3").packets);
}

TEST(Mode0ReadersTest, FullWidthId3v10FieldsReachTagLibWhole) {
  const std::string path = ScratchCopy("id3v10.mp3");
  TagInfo info = ReadTagInfo(path);
  ASSERT_EQ(info.TagKind, VT_TAG_ID3V10);
  const std::string comment = "30 bytes of comment, no track!";
  const std::string title = "A title that is exactly thirty";
  SetText(info, VT_ITEM_COMMENT, comment);
  SetText(info, VT_ITEM_TITLE, title + " and more than the field holds");
  ASSERT_EQ(WriteTagInfo(path, info, 0), 0);

  const TagLibView taglib = ReadWithTagLib("mpeg", path);
  EXPECT_EQ(taglib.at("title"), title);
  EXPECT_EQ(taglib.at("comment"), comment);
  EXPECT_EQ(taglib.at("track"), "0");
  EXPECT_EQ(taglib.at("artist"), "Ten Artist");

  // mutagen takes every block as the ID3v1.1 form (a 29-byte comment and
  // byte 126 as a track), so only the other fields are compared.
  const nlohmann::json mutagen = ReadWithMutagen(path);
  EXPECT_EQ(mutagen["id3v1"].value("TIT2", ""), title);
  EXPECT_EQ(mutagen["id3v1"].value("TPE1", ""), "Ten Artist");
  EXPECT_EQ(mutagen["id3v1"].value("TCON", ""), "8");
}

TEST(Mode0ReadersTest, Id3v2TagInFrontSurvivesNextToTheNewBlock) {
  const std::string path = ScratchCopy("id3v2-padded.mp3");
  EditAndWrite(path, 0);

  const TagLibView taglib = ReadWithTagLib("mpeg", path);
  EXPECT_EQ(taglib.at("has_id3v2"), "1");
  EXPECT_EQ(taglib.at("title"), kEditedTitle);
  // An ID3v2-tagged file gets the ID3v1.0 form, without a track; TagLib
  // takes that form's 30-byte comment as it stands, the writer's space fill
  // included.
  EXPECT_EQ(taglib.at("comment"), SpaceFilled(kEditedComment, 30));
  EXPECT_EQ(taglib.at("track"), "0");
  EXPECT_EQ(Probe(path).packets, ProbeFixture("id3v2-padded.mp3").packets);
}

TEST(Mode0ReadersTest, Mp3OutOfAWaveFileDecodesEveryFrame) {
  const std::string path = ScratchCopy("wave-mp3-plain.wav");
  EditAndWrite(path, 0);

  const ProbedAudio before = ProbeFixture("wave-mp3-plain.wav");
  const ProbedAudio after = Probe(path);
  ASSERT_TRUE(after.opened);
  EXPECT_EQ(after.format, "mp3");
  EXPECT_EQ(after.codec, "mp3");
  EXPECT_EQ(after.sampleRate, before.sampleRate);
  EXPECT_EQ(after.channels, before.channels);
  EXPECT_EQ(after.packets, before.packets);

  ExpectTagLibSeesEditedId3v1(ReadWithTagLib("mpeg", path));
  ExpectMutagenSeesEditedId3v1(ReadWithMutagen(path));
}

// --- Mode 2: WAVE with new tag chunks -----------------------------------

void ExpectTagLibSeesEditedInfo(const TagLibView& view) {
  ASSERT_EQ(view.at("valid"), "1");
  ASSERT_EQ(view.at("has_info"), "1");
  EXPECT_EQ(view.at("INAM"), kEditedInfoName);
  EXPECT_EQ(view.at("IART"), kEditedInfoArtist);
  EXPECT_EQ(view.at("ICMT"), kEditedInfoComment);
  EXPECT_EQ(view.at("ISFT"), "Vom Trail!");
}

class WaveMode2ReadersTest : public ::testing::TestWithParam<const char*> {};

TEST_P(WaveMode2ReadersTest, FfprobeDecodesAllAndTagLibReadsTheInfoTexts) {
  const std::string path = ScratchCopy(GetParam());
  EditAndWrite(path, 2);

  const ProbedAudio before = ProbeFixture(GetParam());
  const ProbedAudio after = Probe(path);
  ASSERT_TRUE(after.opened);
  EXPECT_EQ(after.format, "wav");
  EXPECT_EQ(after.codec, before.codec);
  EXPECT_EQ(after.packets, before.packets);
  EXPECT_DOUBLE_EQ(after.duration, before.duration);

  const TagLibView taglib = ReadWithTagLib("wav", path);
  ExpectTagLibSeesEditedInfo(taglib);
  EXPECT_EQ(taglib.at("sample_rate"), std::to_string(before.sampleRate));
}

INSTANTIATE_TEST_SUITE_P(EncoderFiles, WaveMode2ReadersTest,
                         ::testing::Values("wave-mp3-plain.wav", "wave-pcm.wav"), [](const auto& param) {
                           return std::string(param.param) == "wave-pcm.wav" ? "Pcm" : "Mp3";
                         });

TEST(WaveMode2ReadersTest, ListInTheHeadStaysTheOneTagLibShows) {
  // ffmpeg put a LIST INFO chunk before "data". Mode 2 keeps the head as
  // it stands and writes the new list behind the audio; TagLib takes the
  // first list, the module the one behind the audio.
  const std::string path = ScratchCopy("wave-mp3-info.wav");
  EditAndWrite(path, 2);

  const TagLibView taglib = ReadWithTagLib("wav", path);
  EXPECT_EQ(taglib.at("INAM"), "Wave Title");
  EXPECT_EQ(taglib.at("IART"), "Wave Artist");
  EXPECT_EQ(Text(ReadTagInfo(path), 0), kEditedInfoName);
  EXPECT_EQ(Probe(path).packets, ProbeFixture("wave-mp3-info.wav").packets);
}

// --- Mode 1: RIFF "RMP3" ------------------------------------------------

TEST(Mode1ReadersTest, Rmp3FileStillOpensInEveryReader) {
  // No reader here knows the RMP3 form; they find the MPEG stream by
  // scanning past the RIFF head, and the ID3v1 block ending the "IID3"
  // chunk is the file's last 128 bytes.
  const std::string path = ScratchCopy("l3-v1-44100-joint-128.mp3");
  EditAndWrite(path, 1);

  const ProbedAudio before = ProbeFixture("l3-v1-44100-joint-128.mp3");
  const ProbedAudio after = Probe(path);
  ASSERT_TRUE(after.opened);
  EXPECT_EQ(after.codec, "mp3");
  EXPECT_EQ(after.sampleRate, before.sampleRate);
  // Behind a RIFF head ffprobe takes lame's Info frame for audio, and the
  // chunks behind the audio can cost or add a frame.
  EXPECT_LE(std::labs(after.packets - before.packets), 2)
      << "ffprobe packets " << after.packets << " against " << before.packets;

  const TagLibView taglib = ReadWithTagLib("mpeg", path);
  EXPECT_EQ(taglib.at("sample_rate"), "44100");
  // The block sits in the chunk as the ID3v1.1 form, track included.
  ExpectTagLibSeesEditedId3v1(taglib);
  ExpectMutagenSeesEditedId3v1(ReadWithMutagen(path));
  // TagLib's RIFF reader sees the INFO list of the RMP3 file too.
  ExpectTagLibSeesEditedInfo(ReadWithTagLib("wav", path));
}

}  // namespace
}  // namespace vomtrail::e2e
