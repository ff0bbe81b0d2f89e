#include "command/EditPlan.h"

#include <algorithm>

#include "FileBytes.h"
#include "Record.h"
#include "command/Messages.h"
#include "edits/ConversionCarry.h"
#include "edits/Id3v2Strip.h"
#include "edits/InfoCarry.h"
#include "edits/TagCopy.h"
#include "system/ContentWrites.h"
#include "tags/Id3v2Tag.h"

namespace vthost {
namespace {

using vtinspect::FileProbe;

// Tags with pictures run to megabytes; one larger than this is read only
// this far for its texts.
constexpr std::size_t kLargestTagRead = 16u << 20;

constexpr const char* kId3v2IntoRmp3 =
    "the audio starts with an ID3v2 tag, which in an RMP3 data chunk players take for audio and fail on; "
    "--strip-id3v2 takes the tag out (its texts go into the INFO and ID3v1 fields the edit leaves empty), "
    "--force writes it as it is; nothing written";

// Brings the record's INFO texts in line with the edits for RIFF output, and
// names what an MP3 or RMP3 file would lose.
void PrepareInfoTexts(const std::string& name, const FileProbe& probe, const TagEdits& edits, int mode,
                      TagInfo& info) {
  static const std::vector<vtinspect::InfoText> kNoTexts;
  if (probe.riff) CarryTailInfo(probe.riff->tailInfo, info);
  const std::vector<vtinspect::InfoText>& head = probe.riff ? probe.riff->headInfo : kNoTexts;
  if (const auto dropped = DroppedInfoIds(info, head, mode); !dropped.empty() && probe.riff)
    ReportWarning(name,
                  std::string(mode == VT_MODE_MP3 ? "an MP3 file keeps no RIFF INFO texts"
                                                  : "an RMP3 file keeps no INFO list before its audio") +
                      "; dropped: " + Listed(dropped));
  else if (mode == VT_MODE_MP3 && edits.touchesInfo)
    ReportWarning(name, "an MP3 file keeps no RIFF INFO texts");
  CarryHeadInfo(head, info);
}

// The ID3v2 tag at the start of the audio: refused, taken out, or left
// with a word about it. False when refused.
bool DecideOnId3v2(vtinspect::ByteSource& bytes, const EditRead& read, const SetOptions& options,
                   const TagEdits& edits, const std::string& name, Plan& plan) {
  const std::uint64_t tag = LeadingTagSize(bytes, read.audio);
  if (tag == 0) return true;
  if (plan.mode == VT_MODE_MP3) {
    if (options.stripId3v2)
      ReportWarning(name, "--strip-id3v2 takes a tag out of RIFF output only; an MP3 file keeps it in front");
    // A bare stream's own tag is kept in step (PlanId3v2Texts) unless
    // --id3v1-only; one that comes out of a data chunk is written as it stands.
    if (TouchesId3v1(edits) && options.id3v1Only)
      ReportWarning(name,
                    "the file starts with an ID3v2 tag, whose texts players usually show; only the ID3v1 "
                    "texts are changed");
    else if (TouchesId3v1(edits) && read.Kind() != VT_KIND_MPEG)
      ReportWarning(name,
                    "the ID3v2 tag at the start of the data chunk comes over as it is, with its own texts, "
                    "which players usually show; set the texts again on the MP3 file to change them there");
    return true;
  }
  if (options.stripId3v2) {
    plan.stripped = tag;
    return true;
  }
  if (plan.mode == VT_MODE_RMP3 && read.Kind() != VT_KIND_RMP3) {
    if (!options.force) {
      ReportFailure(name, kId3v2IntoRmp3);
      return false;
    }
    ReportWarning(name,
                  "the ID3v2 tag goes into the RMP3 data chunk, where players take it for audio (--force)");
    return true;
  }
  ReportWarning(name,
                "the data chunk starts with an ID3v2 tag, which players take for audio; --strip-id3v2 "
                "takes it out");
  return true;
}

// The first of the ID3v2 tags that take `size` bytes at the start of the audio.
vtinspect::Id3v2Tag ReadLeadingTag(vtinspect::ByteSource& bytes, const EditRead& read, std::uint64_t size) {
  const std::string tag =
      bytes.Read(read.audio.offset, static_cast<std::size_t>(std::min<std::uint64_t>(size, kLargestTagRead)));
  return vtinspect::ReadId3v2(
      vtinspect::Bytes(reinterpret_cast<const std::uint8_t*>(tag.data()), tag.size()));
}

void CarryStrippedTexts(vtinspect::ByteSource& bytes, const EditRead& read, const TagEdits& edits,
                        const std::string& name, Plan& plan) {
  ReportWarnings(name,
                 CarryId3v2Texts(ReadLeadingTag(bytes, read, plan.stripped), plan.mode, edits, plan.info));
}

// --from: the texts of one tag kind into the others. False when the file is
// refused (said). A file with nothing to copy is named; when nothing else
// changes either, the plan leaves it as it is.
bool CopyFromTag(vtinspect::ByteSource& bytes, const EditRead& read, const SetOptions& options,
                 const TagEdits& edits, const std::string& name, Plan& plan) {
  const CopySource from = *options.from;
  const SourceTexts source =
      from == CopySource::kId3v2
          ? TextsOfId3v2(ReadLeadingTag(bytes, read, LeadingTagSize(bytes, read.audio)))
          : TextsOfRecord(from, plan.before, edits.encoding);
  const CopyOutcome copied = CopyTexts(source, from, plan.mode, edits, plan.info);
  std::string missing;
  if (!copied.anyTarget)
    missing = "an MP3 file keeps no RIFF INFO texts for --from id3v1 to fill";
  else if (!source.present)
    missing = from == CopySource::kInfo
                  ? "the file has no RIFF INFO texts to copy"
                  : "the file has no " + std::string(CopySourceWords(from)) +
                        (from == CopySource::kId3v1 ? " block" : " tag") + " to copy texts from";
  if (!missing.empty()) {
    ReportWarning(name, missing);
    return true;
  }
  if (!copied.unencodable.empty()) {
    const std::string what = "the " + Listed(copied.unencodable) +
                             (copied.unencodable.size() == 1 ? " has" : " have") + " characters that " +
                             edits.encoding + " cannot hold";
    if (!options.force) {
      ReportFailure(name, what + "; nothing written (--force writes '?' for them)");
      return false;
    }
    ReportWarning(name, what + "; written with '?' for them (--force)");
  }
  ReportWarnings(name, copied.warnings);
  return true;
}

// The ID3v2 tag at the start of a bare MP3 file takes the text options too.
void PlanId3v2Texts(vtinspect::ByteSource& bytes, const EditRead& read, const SetOptions& options,
                    const TagEdits& edits, const std::string& name, Plan& plan) {
  if (options.id3v1Only || read.Kind() != VT_KIND_MPEG || plan.mode != VT_MODE_MP3 || !TouchesId3v1(edits))
    return;
  plan.id3v2 = PlanId3v2Sync(bytes, edits);
  ReportWarnings(name, plan.id3v2.warnings);
  if (!plan.id3v2.leftAlone.empty())
    ReportWarning(name,
                  "the ID3v2 tag is left as it is (" + plan.id3v2.leftAlone +
                      "); players that read it go on showing its texts; only the ID3v1 texts are changed");
}

}  // namespace

int ModeFor(const std::optional<int>& mode, const TagInfo& info) {
  if (mode) return *mode;
  switch (info.FileKind) {
    case VT_KIND_RMP3:
      return VT_MODE_RMP3;
    case VT_KIND_WAVE:
      return VT_MODE_WAVE;
    default:
      return VT_MODE_MP3;
  }
}

std::optional<Plan> MakePlan(const std::filesystem::path& path, const ModuleName& moduleName,
                             const EditRead& read, int mode, const SetOptions& options, const TagEdits& edits,
                             const std::string& name) {
  Plan plan;
  plan.mode = mode;
  plan.info = read.info;
  vtinspect::FileBytes bytes(path);
  if (!DecideOnId3v2(bytes, read, options, edits, name, plan)) return std::nullopt;

  TagInfo& info = plan.info;
  PrepareInfoTexts(name, read.probe, edits, mode, info);
  plan.before = info;
  for (const CutField& cut : ApplyEdits(edits, info))
    ReportWarning(name, "the " + cut.label + " is cut to " + std::to_string(cut.width) + " bytes");
  if (mode != VT_MODE_MP3) MirrorId3v1Edits(edits, info);
  if (options.from && !CopyFromTag(bytes, read, options, edits, name, plan)) return std::nullopt;
  if (plan.stripped != 0) CarryStrippedTexts(bytes, read, edits, name, plan);
  ReportWarnings(name, CarryAcrossForms(read.Kind(), mode, edits, info));
  if (mode != VT_MODE_MP3)
    for (const std::string& id : CutInfoTexts(info))
      ReportWarning(name, "the INFO " + id + " text is cut to " + std::to_string(kInfoTextWidth) + " bytes");

  PlanId3v2Texts(bytes, read, options, edits, name, plan);
  plan.outcome = PredictWrite(info, mode, read.audio);
  plan.obstacle = MovingWriteObstacle(moduleName.Name());
  const auto& riff = read.probe.riff;
  if (mode == VT_MODE_WAVE && riff && riff->dataOffset)
    plan.head = PlanHeadList(bytes.Read(0, static_cast<std::size_t>(*riff->dataOffset)), plan.outcome.length,
                             *riff, InfoTextsFor(info));
  return plan;
}

}  // namespace vthost
