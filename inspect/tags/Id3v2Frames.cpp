#include "Id3v2Frames.h"

#include <array>
#include <utility>

#include "TextCodec.h"

namespace vtinspect {
namespace {

// The encoding byte every text-bearing frame starts with.
std::optional<TextEncoding> LeadingEncoding(Bytes data, int major, std::string& damage) {
  if (data.empty()) {
    damage = "the frame is empty";
    return std::nullopt;
  }
  auto encoding = EncodingFromByte(data[0], major);
  if (!encoding) damage = "unknown text encoding " + std::to_string(data[0]);
  return encoding;
}

std::optional<TextList> Texts(TextEncoding encoding, Bytes bytes, std::size_t max_values,
                              std::string& damage) {
  bool too_many = false;
  auto texts = DecodeTexts(encoding, bytes, max_values, &too_many);
  if (!texts) damage = too_many ? kMoreValuesThanKept : "a text is not valid in its encoding";
  return texts;
}

std::optional<std::string> Leading(TextEncoding encoding, Bytes bytes, std::size_t& taken,
                                   std::string& damage) {
  auto text = DecodeLeadingText(encoding, bytes);
  if (!text) {
    damage = "a description is not valid in its encoding";
    return std::nullopt;
  }
  taken = text->size;
  return std::move(text->text);
}

// The encoding, language and description in front of a comment's text;
// `taken` is where the text starts.
std::optional<Comment> CommentHead(Bytes data, int major, std::size_t& taken, std::string& damage) {
  const auto encoding = LeadingEncoding(data, major, damage);
  if (!encoding) return std::nullopt;
  if (data.size() < 4) {
    damage = "the frame is too short for its language";
    return std::nullopt;
  }
  Comment comment;
  comment.language = AsText(data.subspan(1, 3));
  std::size_t description_size = 0;
  auto description = Leading(*encoding, data.subspan(4), description_size, damage);
  if (!description) return std::nullopt;
  comment.description = std::move(*description);
  taken = 4 + description_size;
  return comment;
}

// A run of decimal digits, or nothing when there is none or it would not
// fit an int.
std::optional<int> Digits(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<TextList> ParseTextFrame(Bytes data, int major, std::size_t max_values, std::string& damage) {
  const auto encoding = LeadingEncoding(data, major, damage);
  if (!encoding) return std::nullopt;
  return Texts(*encoding, data.subspan(1), max_values, damage);
}

std::optional<Comment> ParseComment(Bytes data, int major, std::size_t max_values, std::string& damage) {
  std::size_t taken = 0;
  auto comment = CommentHead(data, major, taken, damage);
  if (!comment) return std::nullopt;
  auto text = Texts(static_cast<TextEncoding>(data[0]), data.subspan(taken), max_values, damage);
  if (!text) return std::nullopt;
  comment->text = std::move(*text);
  return comment;
}

std::optional<Comment> ParseCommentKey(Bytes data, int major) {
  std::size_t taken = 0;
  std::string damage;
  return CommentHead(data, major, taken, damage);
}

std::optional<UserText> ParseUserText(Bytes data, int major, std::size_t max_values, std::string& damage) {
  const auto encoding = LeadingEncoding(data, major, damage);
  if (!encoding) return std::nullopt;
  std::size_t taken = 0;
  auto description = Leading(*encoding, data.subspan(1), taken, damage);
  if (!description) return std::nullopt;
  auto values = Texts(*encoding, data.subspan(1 + taken), max_values, damage);
  if (!values) return std::nullopt;
  return UserText{std::move(*description), std::move(*values)};
}

std::optional<Picture> ParsePicture(Bytes data, int major, std::string& damage) {
  const auto encoding = LeadingEncoding(data, major, damage);
  if (!encoding) return std::nullopt;
  Picture picture;
  std::size_t at = 1;
  if (major == 2) {
    if (data.size() < 5) {
      damage = "the frame is too short for its image format";
      return std::nullopt;
    }
    picture.mime = AsText(data.subspan(1, 3));
    at = 4;
  } else {
    // The MIME type is always ISO-8859-1, whatever the encoding byte says.
    const auto mime = DecodeLeadingText(TextEncoding::kLatin1, data.subspan(1));
    picture.mime = mime->text;
    at += mime->size;
  }
  if (at >= data.size()) {
    damage = "the frame ends before the picture type";
    return std::nullopt;
  }
  picture.type = data[at++];
  std::size_t taken = 0;
  auto description = Leading(*encoding, data.subspan(at), taken, damage);
  if (!description) return std::nullopt;
  picture.description = std::move(*description);
  const Bytes image = data.subspan(at + taken);
  picture.data_size = image.size();
  picture.size = ReadImageSize(image);
  return picture;
}

Position ParsePosition(const std::string& text) {
  Position position{text, std::nullopt, std::nullopt};
  const std::string_view whole = text;
  const std::size_t slash = whole.find('/');
  position.number = Digits(Trimmed(whole.substr(0, slash)));
  if (slash != std::string_view::npos) position.total = Digits(Trimmed(whole.substr(slash + 1)));
  return position;
}

std::string FrameIdFromV22(std::string_view id) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 64> kIds = {{
      {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
      {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
      {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
      {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
      {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
      {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
      {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
      {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
      {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
      {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
      {"WPB", "WPUB"}, {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TS2", "TSO2"},
  }};
  for (const auto& [old_id, new_id] : kIds) {
    if (old_id == id) return std::string(new_id);
  }
  return "";
}

}  // namespace vtinspect
