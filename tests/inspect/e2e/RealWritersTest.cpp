// The tag readers and the editor on files tagged by real writers (see
// make-tagged-files.sh), judged by mutagen's reading of the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tags/ApeTag.h"
#include "tags/Id3v2Editor.h"
#include "tags/Id3v2Tag.h"
#include "tags/TagTrailer.h"

namespace vtinspect {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Json Mutagen(const fs::path& path) {
  const std::string command =
      std::string(VT_SYSTEM_PYTHON3) + " " + VT_MUTAGEN_TAGS + " '" + path.string() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
  return Json::parse(out);
}

// mutagen's names for the ID3v1 genre numbers, for GenreLabel.
std::vector<std::string> g_genre_names;
std::optional<std::string_view> MutagenGenreName(int number) {
  if (number < 0 || static_cast<std::size_t>(number) >= g_genre_names.size()) return std::nullopt;
  return g_genre_names[static_cast<std::size_t>(number)];
}

std::vector<fs::path> Fixtures() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(VT_TAGGED_FILES)) {
    if (entry.path().extension() == ".mp3") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Json SortedByText(Json list) {
  std::sort(list.begin(), list.end(), [](const Json& a, const Json& b) { return a.dump() < b.dump(); });
  return list;
}

// Our reading in the shape mutagen-tags.py prints; the pictures' sizes are
// checked against the covers made (64x48 PNG, 80x60 JPEG).
Json AsMutagenShows(const Id3v2Tag& tag) {
  Json out = {{"version", tag.header.major}};
  auto texts = [&out](const char* key, const std::vector<std::string>& values) {
    if (!values.empty()) out[key] = values;
  };
  auto text = [&](const char* key, const std::string& value) {
    texts(key, value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value});
  };
  texts("TIT2", tag.title), texts("TPE1", tag.artist), texts("TALB", tag.album),
      texts("TPE2", tag.album_artist);
  text("TDRC", tag.date), text("TRCK", tag.track.text), text("TPOS", tag.disc.text);
  texts("TCON_raw", tag.genre_text);
  std::vector<std::string> labels;
  for (const GenreEntry& entry : tag.genres) labels.push_back(GenreLabel(entry, MutagenGenreName));
  texts("TCON", labels);
  out["COMM"] = out["TXXX"] = out["APIC"] = Json::array();
  for (const Comment& c : tag.comments)
    out["COMM"].push_back({{"lang", c.language}, {"desc", c.description}, {"text", c.text}});
  for (const UserText& t : tag.user_texts)
    out["TXXX"].push_back({{"desc", t.description}, {"text", t.values}});
  for (const Picture& p : tag.pictures) {
    out["APIC"].push_back(
        {{"type", p.type}, {"mime", p.mime}, {"desc", p.description}, {"size", p.data_size}});
    const bool png = p.mime == "image/png";
    EXPECT_TRUE(p.size && p.size->width == (png ? 64u : 80u) && p.size->height == (png ? 48u : 60u))
        << p.mime;
  }
  for (const char* key : {"COMM", "TXXX", "APIC"}) out[key] = SortedByText(out[key]);
  for (const FrameNote& note : tag.unread)
    EXPECT_NE(note.issue, FrameIssue::kDamaged) << note.id << ": " << note.detail;
  return out;
}

TEST(RealWriters, Id3v2AndApeTextsAreWhatMutagenReads) {
  const auto files = Fixtures();
  ASSERT_GE(files.size(), 12u);
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.filename().string());
    const auto bytes = ReadFile(path);
    const Json mutagen = Mutagen(path);
    g_genre_names = mutagen["genre_names"].get<std::vector<std::string>>();
    const Id3v2Tag tag = ReadId3v2(bytes);
    EXPECT_EQ(tag.status == Id3v2Status::kRead ? AsMutagenShows(tag) : Json(), mutagen["id3"]);

    const Bytes tail = Bytes(bytes).last(std::min<std::size_t>(bytes.size(), 65536));
    const Trailer trailer = FindTrailer(bytes.size(), tail);
    const auto ape_block = std::find_if(trailer.blocks.begin(), trailer.blocks.end(),
                                        [](const TrailerBlock& b) { return b.kind == TrailerKind::kApe; });
    ASSERT_EQ(ape_block != trailer.blocks.end(), !mutagen["ape"].is_null());
    if (ape_block == trailer.blocks.end()) continue;
    const ApeTag ape =
        ReadApeTagEndingAt(tail, ape_block->begin + ape_block->size - (bytes.size() - tail.size()));
    Json items = Json::object();
    for (const ApeItem& item : ape.items) {
      items[item.key] = item.kind == ApeItemKind::kBinary ? Json{{"binary", item.size}} : Json(item.text);
    }
    EXPECT_EQ(items, mutagen["ape"]);
    // The APE files hold the untagged file's audio, with or without an ID3v1 block.
    EXPECT_EQ(trailer.audio_end, fs::file_size(fs::path(VT_TAGGED_FILES) / "src" / "clean.mp3"));
  }
}

TEST(RealWriters, EditedTagsReadBackInMutagenWithEverythingElseKept) {
  const fs::path scratch = fs::path(VT_INSPECT_SCRATCH) / "edited";
  fs::create_directories(scratch);
  const std::vector<TextEdit> edits = {{TextField::kTitle, "Nöw 新"},       {TextField::kArtist, "Edited"},
                                       {TextField::kAlbum, "Edited album"}, {TextField::kYear, "2020"},
                                       {TextField::kComment, "edited"},     {TextField::kTrack, "7/9"},
                                       {TextField::kGenre, "Blues"}};
  int edited = 0;
  for (const fs::path& path : Fixtures()) {
    const auto bytes = ReadFile(path);
    const Id3v2Tag old_tag = ReadId3v2(bytes);
    if (old_tag.status != Id3v2Status::kRead) continue;
    SCOPED_TRACE(path.filename().string());
    const Id3v2Rewrite result = EditId3v2Texts(bytes, edits);
    ASSERT_FALSE(result.Refused()) << result.refusal;
    std::vector<std::uint8_t> file = result.tag;
    file.insert(file.end(), bytes.begin() + static_cast<long>(old_tag.total_size), bytes.end());
    const fs::path copy = scratch / path.filename();
    std::ofstream(copy, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(file.size()));

    // What mutagen showed before, with the edited texts and the comment
    // without a description replaced; everything else as it was.
    Json expected = Mutagen(path)["id3"];
    for (const auto& [key, value] : {std::pair{"TIT2", "Nöw 新"},
                                     {"TPE1", "Edited"},
                                     {"TALB", "Edited album"},
                                     {"TDRC", "2020"},
                                     {"TRCK", "7/9"},
                                     {"TCON", "Blues"},
                                     {"TCON_raw", "Blues"}}) {
      expected[key] = {value};
    }
    Json comments = Json::array({{{"lang", "eng"}, {"desc", ""}, {"text", {"edited"}}}});
    for (const Json& c : expected["COMM"]) {
      if (c["desc"] != "") comments.push_back(c);
    }
    expected["COMM"] = SortedByText(comments);
    EXPECT_EQ(Mutagen(copy)["id3"], expected);
    ++edited;
  }
  EXPECT_GE(edited, 9);
}

}  // namespace
}  // namespace vtinspect
