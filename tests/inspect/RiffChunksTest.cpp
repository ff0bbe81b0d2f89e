// The RIFF chunk walk and the INFO list, from bytes.
#include <gtest/gtest.h>

#include "FileBuilder.h"
#include "RiffChunks.h"

namespace vtinspect {
namespace {

using testing::FileBuilder;

std::string Riff(std::string_view form, const FileBuilder& chunks) {
  return FileBuilder()
      .Text("RIFF")
      .Le32(static_cast<std::uint32_t>(4 + chunks.Size()))
      .Text(form)
      .Text(chunks.Get())
      .Get();
}

RiffFacts Walk(const std::string& file) {
  MemoryBytes bytes(file);
  return WalkRiff(bytes);
}

std::string Fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint32_t byteRate) {
  return FileBuilder().Le16(tag).Le16(channels).Le32(rate).Le32(byteRate).Le16(1).Le16(16).Get();
}

// sox writes WAVE_FORMAT_EXTENSIBLE: the audio's format is the subformat.
TEST(RiffChunks, ExtensibleFormatAndFactChunk) {
  const std::string extensible = FileBuilder()
                                     .Text(Fmt(kFormatExtensible, 3, 44100, 396900))
                                     .Le16(22)
                                     .Le16(24)
                                     .Le32(7)
                                     .Le16(kFormatPcm)
                                     .Text("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71")
                                     .Get();
  FileBuilder chunks;
  chunks.Chunk("fmt ", extensible).Chunk("fact", FileBuilder().Le32(1324105).Get()).Chunk("data", "abcd");
  const RiffFacts facts = Walk(Riff("WAVE", chunks));
  ASSERT_TRUE(facts.format);
  EXPECT_EQ(facts.format->Audio(), kFormatPcm);
  EXPECT_EQ(facts.factSamples, 1324105u);
  // A plain format is its own audio format, whatever follows it.
  FileBuilder plain;
  plain.Chunk("fmt ", Fmt(kFormatMpegLayer3, 2, 44100, 16000)).Chunk("data", "abcd");
  EXPECT_EQ(Walk(Riff("WAVE", plain)).format->Audio(), kFormatMpegLayer3);
}

TEST(RiffChunks, WaveWithAHeadListBeforeTheAudio) {
  FileBuilder chunks;
  chunks.Chunk("fmt ", Fmt(kFormatMpegLayer3, 2, 44100, 16000));
  const std::string list = FileBuilder()
                               .Text("INFO")
                               .Chunk("INAM", std::string("Title  \r\n\0", 10))
                               .Chunk("IART", std::string("Art\0ist", 7))  // odd: one pad byte
                               .Chunk("ISFT", "Lavf")
                               .Get();
  chunks.Chunk("LIST", list);
  const std::size_t dataBody = 12 + chunks.Size() + 8;
  chunks.Chunk("data", std::string(100, '\xAA'));
  const RiffFacts facts = Walk(Riff("WAVE", chunks));

  EXPECT_EQ(facts.form, RiffForm::Wave);
  ASSERT_TRUE(facts.format);
  EXPECT_EQ((std::tuple{facts.format->tag, facts.format->channels, facts.format->sampleRate,
                        facts.format->byteRate}),
            (std::tuple{std::uint16_t{0x55}, std::uint16_t{2}, 44100u, 16000u}));
  EXPECT_EQ(facts.dataOffset, dataBody);
  EXPECT_EQ(facts.dataSize, 100u);
  EXPECT_FALSE(facts.damaged);
  EXPECT_FALSE(facts.Streamed());
  ASSERT_EQ(facts.headInfo.size(), 3u);
  // A text ends at its first zero byte and loses its trailing blanks.
  EXPECT_EQ(facts.headInfo[0].bytes, "Title");
  EXPECT_EQ(facts.headInfo[1].bytes, "Art");
  EXPECT_EQ(facts.headInfo[2].id, "ISFT");
  // RIFF header 12, fmt chunk 8 + 16, LIST header 8, "INFO" 4.
  EXPECT_EQ(facts.headInfo[0].offset, 12u + 24 + 8 + 4);
  EXPECT_EQ(facts.headInfo[2].offset, 12u + 24 + 8 + 4 + 18 + 16);
}

TEST(RiffChunks, ListsBehindTheAudioAtAnyDistanceAndEveryChunk) {
  FileBuilder chunks;
  chunks.Chunk("fmt ", Fmt(kFormatMpegLayer3, 2, 44100, 16000));
  chunks.Chunk("LIST", FileBuilder().Text("INFO").Chunk("INAM", "Head").Get());
  chunks.Chunk("data", std::string(4001, '\xAA'));  // odd: one pad byte
  chunks.Chunk("id3 ", std::string(3000, '\0'));
  chunks.Chunk("LIST", FileBuilder().Text("INFO").Chunk("INAM", "Tail").Chunk("ICOP", "Me").Get());
  chunks.Text("TAG").Zeros(125);  // an ID3v1 block behind the chunks ends the walk, harmlessly
  const RiffFacts facts = Walk(Riff("WAVE", chunks));

  EXPECT_FALSE(facts.damaged);
  ASSERT_EQ(facts.headInfo.size(), 1u);
  EXPECT_EQ(facts.headInfo[0].bytes, "Head");
  ASSERT_EQ(facts.tailInfo.size(), 2u);
  EXPECT_EQ((std::pair{facts.tailInfo[0].bytes, facts.tailInfo[1].id}),
            (std::pair{std::string("Tail"), std::string("ICOP")}));
  std::vector<std::string> ids;
  for (const ChunkSpan& chunk : facts.chunks) ids.push_back(chunk.id + "/" + chunk.listType);
  EXPECT_EQ(ids, (std::vector<std::string>{"fmt /", "LIST/INFO", "data/", "id3 /", "LIST/INFO"}));
  EXPECT_EQ(facts.chunks[2].End(), facts.chunks[3].offset);
  EXPECT_EQ(facts.tailInfo[0].offset, facts.chunks[4].offset + 12);
}

TEST(RiffChunks, FormsAndAStreamedDataSize) {
  FileBuilder streamed;
  streamed.Text("data").Le32(kStreamedSize).Zeros(50);
  const RiffFacts rmp3 = Walk(Riff("RMP3", streamed));
  EXPECT_EQ(rmp3.form, RiffForm::Rmp3);
  EXPECT_TRUE(rmp3.Streamed());
  EXPECT_EQ(rmp3.dataOffset, 20u);
  EXPECT_EQ(Walk(Riff("AVI ", FileBuilder().Chunk("data", "x"))).form, RiffForm::Other);
}

TEST(RiffChunks, DamagedFilesEndTheWalk) {
  EXPECT_TRUE(Walk(std::string("RIFF\x04\0\0\0WAV", 11)).damaged);
  // A chunk that runs past the end of the file.
  FileBuilder past;
  past.Text("fmt ").Le32(1000).Text(Fmt(1, 1, 8000, 16000));
  const RiffFacts cut = Walk(Riff("WAVE", past));
  EXPECT_TRUE(cut.damaged);
  EXPECT_TRUE(cut.format);  // what stands in the file is still read
  EXPECT_FALSE(cut.dataOffset);
  // An id with a byte that is not printable.
  EXPECT_TRUE(Walk(Riff("WAVE", FileBuilder().Chunk(std::string("fm\x01 ", 4), "xx"))).damaged);
}

TEST(RiffChunks, AShortFmtChunkGivesTheTagAlone) {
  const RiffFacts facts = Walk(Riff("WAVE", FileBuilder().Chunk("fmt ", FileBuilder().Le16(1).Get())));
  ASSERT_TRUE(facts.format);
  EXPECT_EQ((std::tuple{facts.format->tag, facts.format->channels, facts.format->sampleRate}),
            (std::tuple{std::uint16_t{1}, std::uint16_t{0}, 0u}));
}

TEST(RiffChunks, AnInfoTextLongerThanItsListIsCutAtTheList) {
  const std::string body = FileBuilder().Text("ICMT").Le32(200).Text("short").Get();
  const auto texts = ParseInfoList(body, 1000);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].bytes, "short");
  EXPECT_EQ(texts[0].offset, 1000u);
  EXPECT_TRUE(ParseInfoList(std::string("\x01\x02\x03\x04\0\0\0\0", 8), 0).empty());
}

}  // namespace
}  // namespace vtinspect
