#include "command/DryRun.h"

#include <iostream>

#include "Blanks.h"
#include "Genres.h"
#include "Record.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "command/SetCommand.h"
#include "edits/TagEdits.h"
#include "report/FileWords.h"
#include "report/OutputEscape.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

constexpr std::pair<int, const char*> kId3v1Fields[] = {{VT_ITEM_TITLE, "title"},
                                                        {VT_ITEM_ARTIST, "artist"},
                                                        {VT_ITEM_ALBUM, "album"},
                                                        {VT_ITEM_YEAR, "year"},
                                                        {VT_ITEM_COMMENT, "comment"}};

std::string Quoted(std::string_view bytes, const std::string& encoding) {
  return "\"" + EscapeControls(ToDisplay(vtinspect::WithoutTrailingBlanks(bytes), encoding)) + "\"";
}

std::string Genre(const TagInfo& info, bool written) {
  const int number = GenreNumber(info);
  if ((!written && !info.HasTag) || number == vtinspect::kNoGenre) return "none";
  const auto name = vtinspect::GenreName(number);
  return std::to_string(number) + (name ? " (" + std::string(*name) + ")" : "");
}

std::string Track(const TagInfo& info, bool written) {
  if (written ? info.TagKind != VT_TAG_ID3V11 : info.Track == kNoTrack) return "none";
  return std::to_string(info.Track & 0xFF);
}

void Line(const std::string& label, const std::string& text) {
  std::string padded = label;
  if (padded.size() < 10) padded.resize(10, ' ');
  Out() << "  " << padded << ' ' << text << '\n';
}

void Change(const std::string& label, const std::string& old, const std::string& now) {
  if (old != now) Line(label, old + " -> " + now);
}

std::string Moves(std::uint64_t length, const std::string& obstacle) {
  if (obstacle.empty())
    return "a new file of " + std::to_string(length) +
           " bytes would be written beside the old one and take its place";
  return std::to_string(length) + " bytes would be written over the file itself (" + obstacle + ")";
}

// The ID3v2 tag's texts old -> new and how the tag would be written.
void ShowId3v2(const DryRunView& view) {
  const Id3v2Sync& sync = view.id3v2;
  if (sync.major == 0 || sync.asked.empty()) return;
  const auto quoted = [](const std::string& utf8) { return "\"" + EscapeControls(utf8) + "\""; };
  for (const Id3v2Change& change : sync.changes)
    Line("ID3v2 " + change.label, quoted(change.before) + " -> " + quoted(change.after));
  const std::string tag = "the 2." + std::to_string(sync.major) + " tag";
  if (!sync.leftAlone.empty()) {
    Line("ID3v2", tag + " is left as it is: " + sync.leftAlone);
  } else if (!sync.Writes()) {
    Line("ID3v2", tag + " holds these texts already");
  } else if (sync.Growth() != 0) {
    Line("ID3v2", tag + " grows from " + std::to_string(sync.oldTag.size()) + " to " +
                      std::to_string(sync.newTag.size()) +
                      " bytes; the audio moves: " + Moves(view.probe.size + sync.Growth(), view.obstacle));
  } else if (const TagWrite write = PlanTagWrite(sync, view.probe.size); write.newFile) {
    Line("ID3v2", tag + " keeps its " + std::to_string(sync.oldTag.size()) +
                      " bytes, but the bytes that change spread over pages of the file, whose write a kill "
                      "could tear: " +
                      Moves(view.probe.size, view.obstacle));
  } else {
    Line("ID3v2", tag + " keeps its " + std::to_string(sync.oldTag.size()) + " bytes: " +
                      std::to_string(BytesToWrite(write.plan)) + " bytes would be written in place");
  }
}

}  // namespace

void ShowDryRun(const DryRunView& view) {
  Progress::ClearActive();
  Out() << EscapeControls(view.name) << ": would be written as " << ModeName(view.mode) << " (now "
        << ContainerWords(view.probe) << "); nothing written\n";
  const std::string& encoding = view.encoding;
  // Every form keeps an ID3v1 block: at the end, or in the IID3 chunk.
  for (const auto& [item, label] : kId3v1Fields)
    Change(label, Quoted(TextOf(view.before.Items[item]), encoding),
           Quoted(TextOf(view.after.Items[item]).substr(0, FieldWidth(item, view.after)), encoding));
  Change("track", Track(view.before, false), Track(view.after, true));
  Change("genre", Genre(view.before, false), Genre(view.after, true));
  if (view.mode != VT_MODE_MP3) {
    const auto texts = InfoTextsFor(view.after);
    for (int item = 0; item < kWrittenInfoIds; ++item)
      Change("INFO " + std::string(kInfoIds[static_cast<std::size_t>(item)].id),
             Quoted(TextOf(view.before.Items[item]), encoding),
             Quoted(texts[static_cast<std::size_t>(item)], encoding));
  }
  ShowId3v2(view);
  const WriteOutcome& outcome = view.outcome;
  const std::string inPlace = std::to_string(outcome.bytesWritten) + " bytes would be written";
  Line("audio", outcome.audioMoves         ? "moves: " + Moves(outcome.length, view.obstacle)
                : view.id3v2.Growth() != 0 ? "moves behind the grown ID3v2 tag; then " + inPlace + " in place"
                                           : "stays where it is: " + inPlace);
  if (view.stripped != 0)
    Line("ID3v2", "the tag's " + std::to_string(view.stripped) + " bytes would be taken out of the audio: " +
                      Moves(outcome.length - view.stripped, view.obstacle));
  if (!view.head.refusal.empty()) Line("head list", "left as it is: " + view.head.refusal);
  if (!view.head.content.empty())
    Line("head list", "brought in step with the texts behind the audio: " +
                          (MovesOldBytes(view.head.content)
                               ? "grows; " + Moves(PlannedLength(view.head.content), view.obstacle)
                               : "in place; " + std::to_string(BytesToWrite(view.head.content)) +
                                     " bytes would be written"));
  Out().flush();
}

}  // namespace vthost
