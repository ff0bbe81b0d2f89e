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
using Texts = std::vector<std::string>;

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

Texts Field(const Json& id3, const char* key) { return id3.contains(key) ? id3[key].get<Texts>() : Texts{}; }

Json CommentsOf(const Id3v2Tag& tag) {
  Json out = Json::array();
  for (const Comment& c : tag.comments)
    out.push_back({{"lang", c.language}, {"desc", c.description}, {"text", c.text}});
  return out;
}

Json Sorted(Json list) {
  std::sort(list.begin(), list.end());
  return list;
}

void ExpectSameAsMutagen(const Id3v2Tag& tag, const Json& id3) {
  EXPECT_EQ(tag.header.major, id3["version"][1].get<int>());
  EXPECT_EQ(tag.title, Field(id3, "TIT2"));
  EXPECT_EQ(tag.artist, Field(id3, "TPE1"));
  EXPECT_EQ(tag.album, Field(id3, "TALB"));
  EXPECT_EQ(tag.album_artist, Field(id3, "TPE2"));
  EXPECT_EQ(tag.date, Field(id3, "TDRC").empty() ? "" : Field(id3, "TDRC")[0]);
  EXPECT_EQ(tag.track.text, Field(id3, "TRCK").empty() ? "" : Field(id3, "TRCK")[0]);
  EXPECT_EQ(tag.disc.text, Field(id3, "TPOS").empty() ? "" : Field(id3, "TPOS")[0]);
  EXPECT_EQ(tag.genre_text, Field(id3, "TCON_raw"));
  Texts labels;
  for (const GenreEntry& entry : tag.genres) labels.push_back(GenreLabel(entry, MutagenGenreName));
  EXPECT_EQ(labels, Field(id3, "TCON"));
  EXPECT_EQ(Sorted(CommentsOf(tag)), Sorted(id3["COMM"]));
  Json user_texts = Json::array();
  for (const UserText& t : tag.user_texts)
    user_texts.push_back({{"desc", t.description}, {"text", t.values}});
  EXPECT_EQ(Sorted(user_texts), Sorted(id3["TXXX"]));
  Json pictures = Json::array();
  for (const Picture& p : tag.pictures) {
    pictures.push_back({{"type", p.type}, {"mime", p.mime}, {"desc", p.description}, {"size", p.data_size}});
    // The covers are made 64x48 (PNG) and 80x60 (JPEG).
    ASSERT_TRUE(p.size) << p.mime;
    EXPECT_EQ(p.size->width, p.mime == "image/png" ? 64u : 80u);
    EXPECT_EQ(p.size->height, p.mime == "image/png" ? 48u : 60u);
  }
  EXPECT_EQ(Sorted(pictures), Sorted(id3["APIC"]));
  for (const FrameNote& note : tag.unread)
    EXPECT_NE(note.issue, FrameIssue::kDamaged) << note.id << ": " << note.detail;
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
    const bool has_id3v2 = !mutagen["id3"].is_null() && mutagen["id3"]["version"][0] == 2;
    ASSERT_EQ(tag.status == Id3v2Status::kRead, has_id3v2);
    if (has_id3v2) ExpectSameAsMutagen(tag, mutagen["id3"]);

    const Bytes tail = Bytes(bytes).last(std::min<std::size_t>(bytes.size(), 65536));
    const Trailer trailer = FindTrailer(bytes.size(), tail);
    const auto ape_block = std::find_if(trailer.blocks.begin(), trailer.blocks.end(),
                                        [](const TrailerBlock& b) { return b.kind == TrailerKind::kApe; });
    ASSERT_EQ(ape_block != trailer.blocks.end(), !mutagen["ape"].is_null());
    if (ape_block == trailer.blocks.end()) continue;
    const std::size_t window_start = bytes.size() - tail.size();
    const ApeTag ape = ReadApeTagEndingAt(tail, ape_block->begin + ape_block->size - window_start);
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
    const Json before = Mutagen(path)["id3"];
    const Id3v2Rewrite result = EditId3v2Texts(bytes, edits);
    ASSERT_FALSE(result.Refused()) << result.refusal;
    std::vector<std::uint8_t> file = result.tag;
    file.insert(file.end(), bytes.begin() + static_cast<long>(old_tag.total_size), bytes.end());
    const fs::path copy = scratch / path.filename();
    std::ofstream(copy, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(file.size()));

    const Json after = Mutagen(copy)["id3"];
    EXPECT_EQ(after["version"], before["version"]);
    EXPECT_EQ(Field(after, "TIT2"), Texts{"Nöw 新"});
    EXPECT_EQ(Field(after, "TPE1"), Texts{"Edited"});
    EXPECT_EQ(Field(after, "TALB"), Texts{"Edited album"});
    EXPECT_EQ(Field(after, "TDRC").at(0).substr(0, 4), "2020");
    EXPECT_EQ(Field(after, "TRCK"), Texts{"7/9"});
    EXPECT_EQ(Field(after, "TCON"), Texts{"Blues"});
    EXPECT_EQ(after["APIC"], before["APIC"]);
    EXPECT_EQ(after["TXXX"], before["TXXX"]);
    EXPECT_EQ(Field(after, "TPE2"), Field(before, "TPE2"));
    Json kept = Json::array(), expected_kept = Json::array();
    bool new_comment = false;
    for (const Json& c : after["COMM"]) {
      if (c["desc"] == "" && c["lang"] == "eng" && c["text"] == Json{"edited"})
        new_comment = true;
      else
        kept.push_back(c);
    }
    for (const Json& c : before["COMM"]) {
      if (c["desc"] != "") expected_kept.push_back(c);
    }
    EXPECT_TRUE(new_comment);
    EXPECT_EQ(Sorted(kept), Sorted(expected_kept));
    ++edited;
  }
  EXPECT_GE(edited, 9);
}

}  // namespace
}  // namespace vtinspect
