#include "edits/TagCopy.h"

#include <algorithm>

#include "Blanks.h"
#include "Genres.h"
#include "Record.h"
#include "edits/ConversionCarry.h"
#include "edits/Id3v2Sync.h"
#include "edits/ModuleOutput.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

constexpr std::pair<const char*, CopySource> kSources[] = {
    {"id3v2", CopySource::kId3v2}, {"info", CopySource::kInfo}, {"id3v1", CopySource::kId3v1}};
constexpr std::size_t kYearField = 3;  // in kFieldPairs
constexpr std::size_t kTrackCommentWidth = 28;

std::string_view IdOf(int item) { return kInfoIds[static_cast<std::size_t>(item)].id; }

// `utf8` with '?' for each character the code page cannot hold.
std::string Encodable(std::string_view utf8, const std::string& encoding, bool& replaced) {
  if (Encode(utf8, encoding)) return std::string(utf8);
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(utf8, at), 1);
    const std::string_view character = utf8.substr(at, length);
    out += Encode(character, encoding) ? std::string(character) : "?";
    at += length;
  }
  replaced = true;
  return out;
}

// A date's year is what the four bytes of the ID3v1 year hold of it: no cut.
std::string_view YearOf(std::string_view date) {
  const bool year = date.size() > 4 &&
                    std::all_of(date.begin(), date.begin() + 4, [](char c) { return c >= '0' && c <= '9'; });
  return year ? date.substr(0, 4) : date;
}

class Filler {
 public:
  Filler(CopySource from, const TagEdits& edits, TagInfo& info, CopyOutcome& out)
      : from_(from), edits_(edits), info_(info), out_(out) {}

  // The text of `source` (its name in messages) into `item`, cut to `width`.
  void Put(int item, std::string_view utf8, std::size_t width, const std::string& target,
           const std::string& source) {
    if (utf8.empty() || EditSets(edits_, item)) return;
    bool replaced = false;
    const std::string text = Encodable(utf8, edits_.encoding, replaced);
    if (replaced &&
        std::find(out_.unencodable.begin(), out_.unencodable.end(), source) == out_.unencodable.end())
      out_.unencodable.push_back(source);
    const auto fitted = EncodeFitting(text, edits_.encoding, width);
    if (!fitted) return;  // not reached: every character of `text` is encodable
    Store(info_.Items[item], fitted->bytes);
    if (fitted->cut)
      out_.warnings.push_back(target + " (from the " + source + ") is cut to " + std::to_string(width) +
                              " bytes");
  }

  std::string SourceName(std::size_t field) const {
    const FieldPair& pair = kFieldPairs[field];
    return from_ == CopySource::kInfo ? "INFO " + std::string(IdOf(pair.info))
                                      : std::string(CopySourceWords(from_)) + " " + pair.label;
  }

 private:
  CopySource from_;
  const TagEdits& edits_;
  TagInfo& info_;
  CopyOutcome& out_;
};

void CopyTrack(const SourceTexts& source, const TagEdits& edits, TagInfo& info, CopyOutcome& out) {
  if (!source.track || edits.track || *source.track == 0) return;
  if (*source.track > 255) {
    out.warnings.push_back("the ID3v2 track " + std::to_string(*source.track) +
                           " does not fit ID3v1 (0 to 255); the ID3v1 track is left as it is");
    return;
  }
  const bool commentShortens = info.TagKind != VT_TAG_ID3V11;
  info.TagKind = VT_TAG_ID3V11;
  info.Track = *source.track;
  if (commentShortens && info.Items[VT_ITEM_COMMENT].Length > kTrackCommentWidth)
    out.warnings.push_back("the ID3v1 comment is cut to " + std::to_string(kTrackCommentWidth) +
                           " bytes (the track takes the rest)");
}

}  // namespace

std::vector<std::string> CopySourceNames() {
  std::vector<std::string> names;
  for (const auto& [name, source] : kSources) names.emplace_back(name);
  return names;
}

CopySource CopySourceNamed(const std::string& name) {
  for (const auto& [known, source] : kSources)
    if (known == name) return source;
  return CopySource::kId3v2;  // not reached: CLI11 takes only CopySourceNames()
}

const char* CopySourceWords(CopySource from) {
  switch (from) {
    case CopySource::kInfo:
      return "INFO";
    case CopySource::kId3v1:
      return "ID3v1";
    default:
      return "ID3v2";
  }
}

SourceTexts TextsOfId3v2(const vtinspect::Id3v2Tag& tag) {
  using vtinspect::TextField;
  SourceTexts source;
  source.present = tag.status == vtinspect::Id3v2Status::kRead;
  if (!source.present) return source;
  constexpr TextField kFields[] = {TextField::kTitle, TextField::kArtist, TextField::kAlbum, TextField::kYear,
                                   TextField::kComment};
  for (std::size_t i = 0; i < source.texts.size(); ++i) source.texts[i] = ShownId3v2Text(tag, kFields[i]);
  // One genre is what a single field holds: the first.
  if (!tag.genres.empty()) {
    source.genre = vtinspect::GenreLabel(tag.genres.front(), vtinspect::GenreName);
    source.genreNumber =
        tag.genres.front().number ? tag.genres.front().number : vtinspect::GenreByName(source.genre);
    if (source.genreNumber && (*source.genreNumber < 0 || *source.genreNumber >= vtinspect::kNoGenre))
      source.genreNumber.reset();
  }
  source.track = tag.track.number;
  return source;
}

SourceTexts TextsOfRecord(CopySource from, const TagInfo& info, const std::string& encoding) {
  SourceTexts source;
  const auto shown = [&](int item) {
    std::string_view bytes = TextOf(info.Items[item]);
    bytes = vtinspect::WithoutTrailingBlanks(bytes.substr(0, bytes.find('\0')));
    return bytes.empty() ? std::string() : ToDisplay(bytes, encoding);
  };
  if (from == CopySource::kInfo) {
    for (std::size_t i = 0; i < source.texts.size(); ++i)
      source.texts[i] = ToDisplay(InfoTextAsWritten(TextOf(info.Items[kFieldPairs[i].info])), encoding);
    source.genre = ToDisplay(InfoTextAsWritten(TextOf(info.Items[kGenreInfo])), encoding);
    source.genreNumber = vtinspect::GenreByName(source.genre);
    source.present =
        !source.genre.empty() || std::any_of(source.texts.begin(), source.texts.end(),
                                             [](const std::string& text) { return !text.empty(); });
    return source;
  }
  source.present = info.HasTag != 0;
  if (!source.present) return source;
  for (std::size_t i = 0; i < source.texts.size(); ++i) source.texts[i] = shown(kFieldPairs[i].id3v1);
  if (const auto name = vtinspect::GenreName(GenreNumber(info))) source.genre = *name;
  if (info.Track != kNoTrack && info.Track > 0) source.track = info.Track;
  return source;
}

CopyOutcome CopyTexts(const SourceTexts& source, CopySource from, int mode, const TagEdits& edits,
                      TagInfo& info) {
  CopyOutcome out;
  const bool toId3v1 = from != CopySource::kId3v1;
  const bool toInfo = from != CopySource::kInfo && mode != VT_MODE_MP3;
  out.anyTarget = toId3v1 || toInfo;
  if (!source.present) return out;
  Filler filler(from, edits, info, out);
  const std::string words = CopySourceWords(from);
  if (toId3v1) {
    CopyTrack(source, edits, info, out);
    for (std::size_t i = 0; i < source.texts.size(); ++i) {
      const int item = kFieldPairs[i].id3v1;
      const std::string_view text = i == kYearField ? YearOf(source.texts[i]) : source.texts[i];
      filler.Put(item, text, FieldWidth(item, info), "the ID3v1 " + std::string(kFieldPairs[i].label),
                 filler.SourceName(i));
    }
    if (!EditSets(edits, VT_ITEM_GENRE)) {
      if (source.genreNumber)
        info.Items[VT_ITEM_GENRE] = Str255{1, {static_cast<std::uint8_t>(*source.genreNumber)}};
      else if (!source.genre.empty())
        out.warnings.push_back("the " + words + " genre \"" + source.genre +
                               "\" is none of the ID3v1 genres; the ID3v1 genre is left as it is");
    }
  }
  if (toInfo) {
    for (std::size_t i = 0; i < source.texts.size(); ++i) {
      const int item = kFieldPairs[i].info;
      filler.Put(item, source.texts[i], kInfoTextWidth, "the INFO " + std::string(IdOf(item)) + " text",
                 filler.SourceName(i));
    }
    filler.Put(kGenreInfo, source.genre, kInfoTextWidth, "the INFO IGNR text", words + " genre");
  }
  return out;
}

}  // namespace vthost
