// Patterns that make texts and names from a file's fields, and those that
// read fields out of file names.
#include <gtest/gtest.h>

#include <string>

#include "patterns/EditPatterns.h"
#include "patterns/NamePattern.h"
#include "patterns/Pattern.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

std::string Render(const std::string& text, const FieldValues& values) {
  auto parsed = Pattern::Parse(text);
  if (auto* error = std::get_if<std::string>(&parsed)) return "error: " + *error;
  return std::get<Pattern>(parsed).Render(values);
}

std::string ParseError(const std::string& text) {
  auto parsed = Pattern::Parse(text);
  auto* error = std::get_if<std::string>(&parsed);
  return error ? *error : "";
}

TEST(Pattern, FieldsWidthsCasesAndBraces) {
  const FieldValues values = {
      {"track", "7"}, {"title", "blue in green"}, {"artist", "miles davis"}, {"INAM", "Blue in Green"},
      {"ext", "mp3"}, {"album", "Ça ira — été"}};
  EXPECT_EQ(Render("{track:02} {title}.{ext}", values), "07 blue in green.mp3");
  EXPECT_EQ(Render("{track:3}|{Title:title}|{ARTIST:upper}", values), "  7|Blue In Green|MILES DAVIS");
  EXPECT_EQ(Render("{inam:lower:.4}", values), "blue");
  EXPECT_EQ(Render("{album:upper}", values), "ÇA IRA — ÉTÉ");
  EXPECT_EQ(Render("{album:.6:title}", values), "Ça Ira");
  EXPECT_EQ(Render("{{literal}} {{{track}}}", values), "{literal} {7}");
  EXPECT_EQ(Render("{comment}[{year:04}]", values), "[0000]");  // missing fields are empty
  EXPECT_EQ(Render("don't {artist:title}", {{"artist", "o'BRIEN-smith"}}), "don't O'brien-Smith");
  EXPECT_EQ(Render("{title:upper}", {{"title", "straße ѣ ω"}}), "STRAßE ѣ Ω");
}

TEST(Pattern, MistakesAreNamed) {
  EXPECT_NE(ParseError("{titel}").find("unknown field {titel}"), std::string::npos);
  EXPECT_NE(ParseError("{title:bold}").find("unknown format \"bold\""), std::string::npos);
  EXPECT_NE(ParseError("{title:.0}").find("unknown format"), std::string::npos);
  EXPECT_NE(ParseError("a {title").find("a { without its }"), std::string::npos);
  EXPECT_NE(ParseError("a {ti{tle}").find("a { without its }"), std::string::npos);
  EXPECT_NE(ParseError("a } b").find("a } without its {"), std::string::npos);
  EXPECT_EQ(ParseError("{ICOP} {isft} {IXYZ}"), "");  // any INFO id
  EXPECT_NE(ParseError("{XYZW}"), "");
}

TEST(Pattern, EmptyFieldsAreListedOnce) {
  auto pattern = std::get<Pattern>(Pattern::Parse("{artist}/{album}/{artist} {title}"));
  EXPECT_EQ(pattern.EmptyFields({{"title", "T"}, {"album", ""}}),
            (std::vector<std::string>{"artist", "album"}));
  EXPECT_FALSE(std::get<Pattern>(Pattern::Parse("plain {{text}}")).HasFields());
}

std::optional<FieldValues> MatchName(const std::string& pattern, const std::string& path) {
  // Paths are UTF-8 here, as the command line gives them on every system.
  return std::get<NamePattern>(NamePattern::Parse(pattern)).Match(PathFromUtf8(path));
}

TEST(NamePattern, ReadsFromTheRight) {
  const auto values = MatchName("{artist} - {album}/{track} {title}",
                                "/music/x/Miles Davis - Kind of Blue/03 Blue in Green.mp3");
  ASSERT_TRUE(values);
  EXPECT_EQ(*values, (FieldValues{{"artist", "Miles Davis"},
                                  {"album", "Kind of Blue"},
                                  {"track", "03"},
                                  {"title", "Blue in Green"}}));
  // The first separator splits; numbers take digits only; spaces go.
  EXPECT_EQ(*MatchName("{artist} - {title}", "/A - B - C.wav"),
            (FieldValues{{"artist", "A"}, {"title", "B - C"}}));
  EXPECT_EQ(*MatchName("{track}{title}", "/12Song.mp3"), (FieldValues{{"track", "12"}, {"title", "Song"}}));
  EXPECT_EQ(*MatchName("{track}. {title}.mp3", "/01. Intro.mp3"),
            (FieldValues{{"track", "01"}, {"title", "Intro"}}));
  EXPECT_EQ(*MatchName("{INAM} ({year})", "/Té st (1999).mp3"),
            (FieldValues{{"INAM", "Té st"}, {"year", "1999"}}));
}

TEST(NamePattern, NonMatchingPathsGiveNothing) {
  EXPECT_FALSE(MatchName("{artist} - {title}", "/no separator.mp3"));
  EXPECT_FALSE(MatchName("{track} {title}", "/A1 title.mp3"));             // the track is no number
  EXPECT_FALSE(MatchName("{artist}/{album}/{title}", "/one.mp3"));         // not enough folders
  EXPECT_FALSE(MatchName("{artist}/{artist} - {title}", "/A/B - T.mp3"));  // a field must agree with itself
  EXPECT_TRUE(MatchName("{artist}/{artist} - {title}", "/A/A - T.mp3"));
}

TEST(NamePattern, PatternsThatCannotReadNamesAreRefused) {
  const auto error = [](const std::string& text) {
    auto parsed = NamePattern::Parse(text);
    auto* words = std::get_if<std::string>(&parsed);
    return words ? *words : "";
  };
  EXPECT_NE(error("{stem}").find("part of the path"), std::string::npos);
  EXPECT_NE(error("{track:02} {title}").find("takes no format"), std::string::npos);
  EXPECT_NE(error("{artist}{title}").find("something between them"), std::string::npos);
  EXPECT_NE(error("just text").find("no field"), std::string::npos);
  EXPECT_NE(error("{artist}//{title}").find("empty part"), std::string::npos);
  EXPECT_NE(error("{nope}").find("unknown field"), std::string::npos);
}

}  // namespace
}  // namespace vthost

namespace vthost {
namespace {

EditPatterns Edits(const EditOptions& options, const std::optional<std::string>& fromName = std::nullopt) {
  auto parsed = EditPatterns::Parse(options, fromName);
  if (auto* error = std::get_if<std::string>(&parsed)) ADD_FAILURE() << *error;
  return std::get<EditPatterns>(std::move(parsed));
}

TEST(EditPatterns, EachFileGetsItsOwnTexts) {
  EditOptions options;
  options.title = "{track:02} {title}";
  options.album = "Fixed";
  options.info = {"ICOP={{c}} {artist}", "IENG=Me"};
  const EditPatterns patterns = Edits(options);
  EXPECT_TRUE(patterns.PerFile());
  const auto edits = patterns.ForFile("/m/a.mp3", {{"track", "7"}, {"title", "Blue"}, {"artist", "Miles"}});
  ASSERT_TRUE(edits);
  EXPECT_EQ(edits->title, "07 Blue");
  EXPECT_EQ(edits->album, "Fixed");
  EXPECT_EQ(edits->info, (std::vector<std::string>{"ICOP={c} Miles", "IENG=Me"}));
  EditOptions plain;
  plain.title = "No {{fields}}";
  EXPECT_FALSE(Edits(plain).PerFile());
}

TEST(EditPatterns, FieldsFromTheNameStandInForTheFilesOwn) {
  EditOptions options;
  options.title = "{title:title}";
  options.info = {"IART=x"};
  const EditPatterns patterns = Edits(options, "{artist}/{track} {title}");
  const auto edits =
      patterns.ForFile("/m/Miles Davis/03 blue in green.mp3", {{"title", "Old"}, {"artist", "Old"}});
  ASSERT_TRUE(edits);
  EXPECT_EQ(edits->title, "Blue In Green");  // the option's pattern, on the title read from the name
  EXPECT_EQ(edits->artist, "Miles Davis");
  EXPECT_EQ(edits->track, "03");
  EXPECT_FALSE(patterns.ForFile("/m/no number here.mp3", {}));
  const auto info = Edits({}, "{IART} - {INAM}").ForFile("/x/A - B.wav", {});
  EXPECT_EQ(info->info, (std::vector<std::string>{"IART=A", "INAM=B"}));
}

TEST(EditPatterns, MistakesNameTheirOption) {
  EditOptions options;
  options.artist = "{artst}";
  EXPECT_NE(std::get<std::string>(EditPatterns::Parse(options, std::nullopt))
                .find("--artist: unknown field {artst}"),
            std::string::npos);
  options = {};
  options.info = {"ICOP={"};
  EXPECT_NE(std::get<std::string>(EditPatterns::Parse(options, std::nullopt)).find("--info ICOP={"),
            std::string::npos);
  EXPECT_NE(std::get<std::string>(EditPatterns::Parse({}, std::string("{ext}"))).find("--from-name:"),
            std::string::npos);
}

}  // namespace
}  // namespace vthost
