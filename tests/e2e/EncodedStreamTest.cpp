// GetInfo on streams made by lame and ffmpeg, checked against ffprobe's
// reading of the same file and against what each encoder was told.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "ExternalTools.h"
#include "ModuleCalls.h"
#include "ScratchFiles.h"

namespace vomtrail::e2e {
namespace {

// Channel mode in bits 3-2 of ChannelMode; kAnyStereo where the encoder
// chose between stereo and joint stereo by itself.
constexpr int kStereo = 0;
constexpr int kJoint = 1;
constexpr int kDual = 2;
constexpr int kMono = 3;
constexpr int kAnyStereo = -1;

struct EncodedFile {
  const char* name;
  int layer;
  int channelMode;
  bool xing;  // lame -V: the first frame is a "Xing" frame
  bool crc;   // lame -p
  int fileKind;
};

void PrintTo(const EncodedFile& file, std::ostream* os) { *os << file.name; }

const EncodedFile kFiles[] = {
    {"l3-v1-44100-joint-128.mp3", 3, kJoint, false, false, VT_KIND_MPEG},
    {"l3-v1-48000-stereo-320.mp3", 3, kStereo, false, false, VT_KIND_MPEG},
    {"l3-v1-44100-dual-160.mp3", 3, kDual, false, false, VT_KIND_MPEG},
    {"l3-v1-32000-mono-64.mp3", 3, kMono, false, false, VT_KIND_MPEG},
    {"l3-v2-22050-joint-64.mp3", 3, kJoint, false, false, VT_KIND_MPEG},
    {"l3-v2-24000-mono-32.mp3", 3, kMono, false, false, VT_KIND_MPEG},
    {"l3-v25-11025-stereo-32.mp3", 3, kStereo, false, false, VT_KIND_MPEG},
    {"l3-v25-8000-mono-16.mp3", 3, kMono, false, false, VT_KIND_MPEG},
    {"l3-crc-44100-joint-128.mp3", 3, kJoint, false, true, VT_KIND_MPEG},
    {"vbr-v1-44100-joint.mp3", 3, kJoint, true, false, VT_KIND_MPEG},
    {"vbr-v1-44100-mono.mp3", 3, kMono, true, false, VT_KIND_MPEG},
    {"vbr-v2-22050-mono.mp3", 3, kMono, true, false, VT_KIND_MPEG},
    {"vbr-v2-24000-stereo.mp3", 3, kStereo, true, false, VT_KIND_MPEG},
    {"vbr-crc-44100-joint.mp3", 3, kJoint, true, true, VT_KIND_MPEG},
    {"l2-v1-48000-stereo-192.mp2", 2, kAnyStereo, false, false, VT_KIND_MPEG},
    {"l2-v2-24000-mono-64.mp2", 2, kMono, false, false, VT_KIND_MPEG},
    {"wave-mp3-plain.wav", 3, kAnyStereo, false, false, VT_KIND_WAVE},
    {"wave-mp3-info.wav", 3, kAnyStereo, false, false, VT_KIND_WAVE},
};

// The MPEG version follows from the sample rate: MPEG-1 has 32, 44.1 and
// 48 kHz, MPEG-2 half those, MPEG-2.5 a quarter.
struct Version {
  int family;
  int version;
};
Version VersionOfRate(int sampleRate) {
  if (sampleRate >= 32000) return {1, 1};
  if (sampleRate >= 16000) return {1, 2};
  return {2, 2};
}

class EncodedStreamTest : public ::testing::TestWithParam<EncodedFile> {
 protected:
  void SetUp() override {
    path_ = FixturePath(GetParam().name);
    probed_ = ProbeFixture(GetParam().name);
    ASSERT_TRUE(probed_.opened) << "ffprobe cannot read " << path_;
    info_ = ReadTagInfo(path_);
  }

  std::string path_;
  ProbedAudio probed_;
  TagInfo info_{};
};

TEST_P(EncodedStreamTest, HeaderFieldsAgreeWithFfprobeAndTheEncoder) {
  const EncodedFile& file = GetParam();
  EXPECT_EQ(info_.Layer, file.layer);
  EXPECT_EQ(probed_.codec, file.layer == 2 ? "mp2" : "mp3");
  EXPECT_EQ(info_.SampleRate, probed_.sampleRate);
  const Version version = VersionOfRate(probed_.sampleRate);
  EXPECT_EQ(info_.MpegFamily, version.family);
  EXPECT_EQ(info_.MpegVersion, version.version);
  EXPECT_EQ(info_.Protected, file.crc ? 1 : 0);

  const int channelMode = info_.ChannelMode >> 2;
  EXPECT_EQ(channelMode == kMono, probed_.channels == 1) << "ChannelMode " << int{info_.ChannelMode};
  if (file.channelMode != kAnyStereo) {
    EXPECT_EQ(channelMode, file.channelMode);
  }

  // A variable-rate stream's first frame has a rate of its own; ffprobe
  // reports the average.
  if (!file.xing) {
    EXPECT_EQ(info_.Bitrate, probed_.bitRate);
  }
}

TEST_P(EncodedStreamTest, ContainerAndSizeAreTheFilesOwn) {
  EXPECT_EQ(info_.FileKind, GetParam().fileKind);
  EXPECT_EQ(info_.FileSize, FileSize(path_));
  EXPECT_EQ(info_.HasTag, 0);
  EXPECT_EQ(Text(info_, VT_ITEM_TITLE), "");
}

TEST_P(EncodedStreamTest, LengthAgreesWithTheDecodersFrameCount) {
  const EncodedFile& file = GetParam();
  if (file.xing) {
    // The count lame writes into its Xing frame is the number of audio
    // frames behind it, which ffprobe counts as packets.
    EXPECT_EQ(info_.Vbr, 1);
    EXPECT_EQ(info_.FrameCount, probed_.packets);
  } else {
    // lame's constant-rate "Info" frame is no Xing header: the count comes
    // from the file's length. It counts that Info frame too, and the
    // truncating division can lose one frame to the padding bytes.
    // MPEG-2 Layer II frames are 1152 samples long, yet the module's frame
    // length for every MPEG-2 stream is the 576-sample one of Layer III:
    // it reports twice the real number of frames.
    const long factor = (file.layer == 2 && info_.MpegVersion == 2) ? 2 : 1;
    EXPECT_EQ(info_.Vbr, 0);
    EXPECT_LE(std::labs(info_.FrameCount - factor * probed_.packets), 1)
        << "FrameCount " << info_.FrameCount << ", ffprobe packets " << probed_.packets;
  }
  // Whole seconds from an estimate (file size over byte rate, or frames
  // over a fixed 38.3 frames per second): within a second of the decoder.
  EXPECT_LE(std::fabs(info_.Duration - probed_.duration), 1.0)
      << "Duration " << info_.Duration << ", ffprobe " << probed_.duration;
}

INSTANTIATE_TEST_SUITE_P(EncoderFiles, EncodedStreamTest, ::testing::ValuesIn(kFiles), [](const auto& param) {
  std::string name = param.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace vomtrail::e2e
