// The pure parts of the collection commands: tables as spreadsheets write
// them, cells compared as spreadsheets change them, rename plans, portable
// names, the journal's limits and times, and work in order on many threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "Record.h"
#include "command/Messages.h"
#include "command/OrderedWork.h"
#include "journal/JournalLimits.h"
#include "patterns/FileFields.h"
#include "patterns/LetterCase.h"
#include "rename/PortableNames.h"
#include "rename/RenamePlan.h"
#include "system/FileStamp.h"
#include "system/ReadOnlyFile.h"
#include "table/Csv.h"
#include "table/RowEdits.h"
#include "table/TableText.h"
#include "table/TagTable.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

CsvTable Csv(const std::string& text) {
  auto read = ReadCsv(text);
  if (auto* error = std::get_if<std::string>(&read)) ADD_FAILURE() << *error;
  return std::get<CsvTable>(read);
}

TEST(Csv, ReadsWhatSpreadsheetsWrite) {
  const CsvTable semicolons =
      Csv("\xEF\xBB\xBF\"path\";\"title\"\r\n\"a;b.mp3\";\"two\r\nlines \"\"quoted\"\"\"\r\n\r\n");
  EXPECT_EQ(semicolons.separator, ';');
  EXPECT_EQ(semicolons.rows, (std::vector<CsvRow>{{"path", "title"}, {"a;b.mp3", "two\nlines \"quoted\""}}));
  EXPECT_EQ(semicolons.lines, (std::vector<std::size_t>{1, 2}));
  const CsvTable tabs = Csv("path\ttitle\nx\t\ny\tz");
  EXPECT_EQ(tabs.rows, (std::vector<CsvRow>{{"path", "title"}, {"x", ""}, {"y", "z"}}));
  EXPECT_EQ(Csv("sep=;\npath;a,b\n").rows, (std::vector<CsvRow>{{"path", "a,b"}}));
  EXPECT_EQ(Csv("a,\"x\"y,\"\"\n").rows, (std::vector<CsvRow>{{"a", "xy", ""}}));  // lenient after a quote
}

TEST(Csv, RefusesWhatIsNoTable) {
  EXPECT_NE(std::get<std::string>(ReadCsv("a,\"open\n")).find("never closed"), std::string::npos);
  EXPECT_NE(std::get<std::string>(ReadCsv("a,\xff\n")).find("not UTF-8"), std::string::npos);
}

TEST(Csv, WritesWhatItReads) {
  const CsvRow fields = {"plain", "a,b", "say \"hi\"", "two\nlines", "", " spaced "};
  const std::string line = CsvLine(fields);
  EXPECT_EQ(line, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",, spaced \n");
  EXPECT_EQ(Csv(line).rows.at(0), fields);
}

TEST(TagTable, CellsCompareAsSpreadsheetsChangeThem) {
  EXPECT_TRUE(SameCell("track", "03", "3"));
  EXPECT_TRUE(SameCell("year", "0042", "42"));
  EXPECT_FALSE(SameCell("title", "03", "3"));
  EXPECT_TRUE(SameCell("title", "Title  ", "Title"));
  EXPECT_FALSE(SameCell("title", " Title", "Title"));
  EXPECT_TRUE(SameCell("genre", "rock", "17"));
  EXPECT_TRUE(SameCell("genre", "", "255"));
  EXPECT_FALSE(SameCell("genre", "Rock", "Polka Metal"));
  EXPECT_FALSE(SameCell("track", "3", ""));
}

TEST(TagTable, OnlyWritableCellsThatDifferChange) {
  TableRow now{"a.mp3", {{"title", "Old"}, {"track", "3"}, {"ISFT", "Vom"}, {"size", "10"}, {"INAM", ""}}};
  TableRow wanted{"a.mp3",
                  {{"title", "New"}, {"track", "03"}, {"ISFT", "Other"}, {"size", "11"}, {"INAM", "T"}}};
  const auto changes = ChangedCells(now, wanted);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ((changes[0].column + "=" + changes[0].after), "title=New");
  EXPECT_EQ((changes[1].column + "=" + changes[1].before + ">" + changes[1].after), "INAM=>T");
}

TEST(TableText, RowsComeBackFromBothForms) {
  TableRow row{fs::path("dir/x.mp3"), {}};
  for (const std::string& column : TableColumns())
    if (column != kPathColumn && column != kPathHexColumn) row.cells[column] = "";
  row.cells["title"] = "T, \"q\"";
  row.cells["size"] = "42";
  for (const std::string& text : {CsvHeader() + CsvText(row), JsonText(row) + JsonText(row)}) {
    auto read = ReadTable(text);
    ASSERT_TRUE(std::holds_alternative<ImportedTable>(read)) << std::get<std::string>(read);
    const ImportedTable& table = std::get<ImportedTable>(read);
    EXPECT_EQ(table.rows.at(0).path, row.path);
    EXPECT_EQ(table.rows.at(0).cells.at("title"), "T, \"q\"");
    EXPECT_EQ(table.rows.at(0).cells.at("size"), "42");
  }
  const auto unknown = std::get<ImportedTable>(ReadTable("path,rating,title\nx,5,t\n"));
  EXPECT_EQ(unknown.unknownColumns, (std::vector<std::string>{"rating"}));
  EXPECT_EQ(unknown.rows.at(0).cells.count("rating"), 0u);
  EXPECT_NE(std::get<std::string>(ReadTable("title\nx\n")).find("no \"path\""), std::string::npos);
  EXPECT_EQ(std::get<ImportedTable>(ReadTable("path,path_hex\nshown,61ff\n")).rows.at(0).path,
            fs::path(std::string("a\xff")));
}

struct FakeFiles {
  std::set<std::string> present;
  NameLookup Lookup() const {
    return {[this](const fs::path& p) { return present.count(p.string()) != 0; },
            [](const fs::path& a, const fs::path& b) { return a == b; }};
  }
};

std::vector<std::string> Steps(const RenamePlan& plan) {
  std::vector<std::string> steps;
  for (const RenameStep& step : plan.steps) steps.push_back(step.from.string() + ">" + step.to.string());
  return steps;
}

TEST(RenamePlan, OrdersChainsAndRefusesWhatWouldOverwrite) {
  FakeFiles files{{"a", "b", "c", "x", "y", "taken"}};
  const std::vector<WantedName> wanted = {
      {"a", fs::path("b"), "", std::nullopt},  // waits for b to move to c... which c blocks:
      {"b", fs::path("c"), "", std::nullopt},  // c stays (unchanged), so b and then a are refused
      {"c", fs::path("c"), "", std::nullopt},  // unchanged
      {"x", fs::path("y"), "", std::nullopt},  // x and y swap: a circle
      {"y", fs::path("x"), "", std::nullopt},       {"d", fs::path("new"), "", std::nullopt},  // fine
      {"e", fs::path("NEW"), "", std::nullopt},    // the same name as d, letter case aside
      {"f", fs::path("taken"), "", std::nullopt},  // exists
      {"g", std::nullopt, "no title", std::nullopt}};
  const RenamePlan plan = PlanRenames(wanted, files.Lookup());
  EXPECT_TRUE(plan.steps.empty());
  EXPECT_EQ(plan.unchanged, (std::vector<fs::path>{"c"}));
  std::map<std::string, std::string> why;
  for (const RenameRefusal& refusal : plan.refused) why[refusal.from.string()] = refusal.why;
  EXPECT_EQ(why.size(), 8u);
  EXPECT_EQ(why["b"], "c exists; a name is never taken from another file");
  EXPECT_EQ(why["a"], "b is taken by a file that keeps its name");
  EXPECT_NE(why["x"].find("circle"), std::string::npos);
  EXPECT_EQ(why["d"], "would get the same name as e");
  EXPECT_EQ(why["f"], "taken exists; a name is never taken from another file");
  EXPECT_EQ(why["g"], "no title");
}

TEST(RenamePlan, AFreedNameIsTakenAfterItsFileMoved) {
  FakeFiles files{{"1", "2", "3", "2.orig"}};
  const RenamePlan plan = PlanRenames({{"1", fs::path("2"), "", std::nullopt},
                                       {"2", fs::path("3x"), "", fs::path("2.orig")},
                                       {"3", fs::path("3x.orig"), "", std::nullopt}},
                                      files.Lookup());
  // 3 would take the name 2's backup moves to.
  EXPECT_EQ(Steps(plan), (std::vector<std::string>{}));
  const RenamePlan chain = PlanRenames(
      {{"1", fs::path("2"), "", std::nullopt}, {"2", fs::path("4"), "", fs::path("2.orig")}}, files.Lookup());
  EXPECT_EQ(Steps(chain), (std::vector<std::string>{"2>4", "1>2"}));
  EXPECT_EQ(chain.steps[0].backupTo, fs::path("4.orig"));
}

TEST(PortableNames, WhatNoFileSystemRefuses) {
  EXPECT_EQ(PortableNamePart("AC/DC: Live? <1992> \"*|\\", false), "AC_DC_ Live_ _1992_ ____");
  EXPECT_EQ(PortableNamePart("  trailing. . ", false), "trailing");
  EXPECT_EQ(PortableNamePart("tab\there\x7f", false), "tab_here_");
  EXPECT_EQ(PortableNamePart("..", false), "_");
  EXPECT_EQ(PortableNamePart("", true), "_");
  EXPECT_EQ(PortableNamePart("con.mp3", true), "con_.mp3");
  EXPECT_EQ(PortableNamePart("LPT1", false), "LPT1_");
  EXPECT_EQ(PortableNamePart("COM10.mp3", true), "COM10.mp3");
  const std::string longName = PortableNamePart(std::string(300, 'e') + "\xc3\xa9" + ".mp3", true);
  EXPECT_EQ(longName.size(), kLongestNamePart);
  EXPECT_TRUE(longName.ends_with("e.mp3"));
  const std::string cut = PortableNamePart(std::string(250, 'a') + "\xc3\xa9\xc3\xa9\xc3\xa9", false);
  EXPECT_EQ(cut, std::string(250, 'a') + "\xc3\xa9\xc3\xa9");  // whole characters only
}

TEST(JournalLimits, SizesAndDays) {
  EXPECT_EQ(ParseByteSize("500M"), std::uint64_t{500} << 20);
  EXPECT_EQ(ParseByteSize("2g"), std::uint64_t{2} << 30);
  EXPECT_EQ(ParseByteSize("1000"), 1000u);
  EXPECT_EQ(ParseByteSize("0"), 0u);
  for (const char* bad : {"", "M", "1.5G", "-1", "99999999999999T", "12X"})
    EXPECT_FALSE(ParseByteSize(bad)) << bad;
  auto limits = ResolveJournalLimits({"64K", "7"});
  ASSERT_TRUE(std::holds_alternative<JournalLimits>(limits));
  EXPECT_EQ(std::get<JournalLimits>(limits).bytes, 65536u);
  EXPECT_EQ(std::get<JournalLimits>(limits).days, 7u);
  EXPECT_NE(std::get<std::string>(ResolveJournalLimits({"", "soon"})).find("--journal-days"),
            std::string::npos);
}

TEST(FileStamp, UtcTextBothWays) {
  EXPECT_EQ(UtcText(0, 0), "1970-01-01T00:00:00.000000000Z");
  EXPECT_EQ(UtcText(1700000000, 123456789), "2023-11-14T22:13:20.123456789Z");
  EXPECT_EQ(UtcText(951782400, 5), "2000-02-29T00:00:00.000000005Z");
  EXPECT_EQ(UtcText(-1, 0), "1969-12-31T23:59:59.000000000Z");
  for (const std::int64_t seconds : {0LL, 951782400LL, 1700000000LL, 4102444799LL, -86401LL}) {
    const auto back = ParseUtcText(UtcText(seconds, 42));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->first, seconds);
    EXPECT_EQ(back->second, 42);
  }
  EXPECT_EQ(ParseUtcText("2023-11-14T22:13:20.5Z")->second, 500000000);
  EXPECT_EQ(ParseUtcText("2023-11-14T22:13:20Z")->first, 1700000000);
  for (const char* bad : {"2023-11-14 22:13:20Z", "2023-13-14T22:13:20Z", "1.7E+18", "2023-11-14T22:13:20"})
    EXPECT_FALSE(ParseUtcText(bad)) << bad;
}

TEST(OrderedWork, ResultsInOrderAndAStopEndsStarting) {
  for (const unsigned jobs : {1u, 2u, 7u}) {
    std::vector<std::size_t> seen;
    const std::size_t done = RunInOrder<std::size_t>(
        500, jobs, [](std::size_t i) { return i * i; },
        [&](std::size_t i, std::size_t&& square) {
          EXPECT_EQ(square, i * i);
          seen.push_back(i);
        },
        [] { return false; });
    EXPECT_EQ(done, 500u);
    for (std::size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], i);
  }
  std::atomic<std::size_t> started{0};
  std::atomic<bool> stop{false};
  const std::size_t done = RunInOrder<int>(
      100000, 4,
      [&](std::size_t) {
        ++started;
        return 0;
      },
      [&](std::size_t i, int&&) {
        if (i == 10) stop = true;
      },
      [&] { return stop.load(); });
  EXPECT_GE(done, 11u);
  EXPECT_EQ(done, started.load()) << "every item started is consumed";
  EXPECT_LT(done, 1000u);
  EXPECT_THROW(RunInOrder<int>(
                   50, 3, [](std::size_t i) -> int { return i == 20 ? throw std::runtime_error("x") : 0; },
                   [](std::size_t, int&&) {}, [] { return false; }),
               std::runtime_error);
}

TEST(HeldOutput, WorkersSpeakInTheOrderOfOneThread) {
  std::vector<HeldOutput> held(3);
  std::vector<std::thread> workers;
  for (std::size_t i = 0; i < held.size(); ++i)
    workers.emplace_back([&held, i] {
      HoldOutput hold(held[i]);
      Out() << "file" << i << ": written\n";
      if (i == 1) ReportFailure("file1", "refused");
      Out() << "after" << i << "\n";
    });
  for (std::thread& worker : workers) worker.join();
  EXPECT_FALSE(held[0].Failed());
  EXPECT_TRUE(held[1].Failed());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  for (HeldOutput& output : held) output.Show();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "file0: written\nafter0\nfile1: written\nafter1\nfile2: written\nafter2\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "vomtrail: file1: refused\n");
  EXPECT_EQ(FilesExitStatus(), kExitFileFailed) << "a held failure counts once it is shown";
}

TEST(RowEdits, OnlyTheCellsThatDifferAndNoMirror) {
  const TableRow now{"w.wav", {{"form", "wave"}, {"title", "Old"}, {"INAM", "Old INAM"}, {"track", "3"}}};
  auto edits =
      EditsForChanges({{"title", "Old", "New"}, {"track", "3", ""}, {"genre", "Rock", ""}}, now, "CP1252");
  ASSERT_TRUE(std::holds_alternative<RowEdits>(edits));
  const EditOptions& options = std::get<RowEdits>(edits).edits;
  EXPECT_EQ(options.title, "New");
  EXPECT_EQ(options.track, "0");    // an emptied track is no track
  EXPECT_EQ(options.genre, "255");  // an emptied genre is no genre
  // The INAM a changed title would carry with it in a RIFF file is kept.
  EXPECT_EQ(options.info, (std::vector<std::string>{"INAM=Old INAM", "IGNR="}));
  EXPECT_FALSE(std::get<RowEdits>(edits).mode);
  const TableRow mp3{"a.mp3", {{"form", "mp3"}}};
  EXPECT_TRUE(std::get<RowEdits>(EditsForChanges({{"title", "a", "b"}}, mp3, "CP1252")).edits.info.empty());
  EXPECT_EQ(std::get<RowEdits>(EditsForChanges({{"form", "mp3", "rmp3"}}, mp3, "CP1252")).mode, 1);
  EXPECT_NE(std::get<std::string>(EditsForChanges({{"form", "mp3", "flac"}}, mp3, "CP1252")).find("none of"),
            std::string::npos);
}

TEST(FileFields, TheTextsPlayersShowAndThePath) {
  TagInfo info{};
  info.HasTag = 1;
  info.Track = 7;
  const auto put = [&](int item, std::string_view text) {
    info.Items[item].Length = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), info.Items[item].Text);
  };
  put(VT_ITEM_TITLE, "ID3v1 title");
  put(VT_ITEM_YEAR, "1959");
  put(VT_ITEM_GENRE, "\x08");  // Jazz
  put(0, "INFO title");        // INAM
  put(6, "(c) 1959");          // ICOP
  vtinspect::FileInspection inspection;
  vtinspect::Id3v2Tag tag;
  tag.status = vtinspect::Id3v2Status::kRead;
  tag.title = {"ID3v2 title"};
  tag.date = "1959-08-17";
  inspection.id3v2.push_back(tag);
  const FieldValues values = TagFields(info, true, inspection, "CP1252");
  EXPECT_EQ(values.at("title"), "ID3v2 title");
  EXPECT_EQ(values.at("year"), "1959");
  EXPECT_EQ(values.at("track"), "7");
  EXPECT_EQ(values.at("genre"), "Jazz");
  EXPECT_EQ(values.at("INAM"), "INFO title");
  EXPECT_EQ(values.at("ICOP"), "(c) 1959");
  EXPECT_EQ(values.count("artist"), 0u);
  const FieldValues path = PathFields("music/Kind of Blue/01 So What.mp3");
  EXPECT_EQ(path.at("stem"), "01 So What");
  EXPECT_EQ(path.at("ext"), "mp3");
  EXPECT_EQ(path.at("dir"), "music/Kind of Blue");
  EXPECT_EQ(path.at("parent"), "Kind of Blue");
}

TEST(ReadOnlyFile, GivesWhatTheBytesHold) {
  const fs::path path = fs::temp_directory_path() / "vomtrail-read-only-file.bin";
  std::string bytes(20000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  std::ofstream(path, std::ios::binary) << bytes;
  ReadOnlyFile file(path);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), bytes.size());
  EXPECT_EQ(file.Stamp()->size, bytes.size());
  vtinspect::MemoryBytes memory(bytes);
  std::uint32_t state = 99;
  for (int i = 0; i < 500; ++i) {
    state = state * 1664525u + 1013904223u;
    const std::uint64_t offset = state % 21000;
    const std::size_t count = (state >> 16) % 6000;
    ASSERT_EQ(file.Read(offset, count), memory.Read(offset, count)) << offset << " " << count;
    std::string into(count, '?');
    into.resize(file.ReadInto(offset, into.data(), count));
    ASSERT_EQ(into, memory.Read(offset, count));
  }
  fs::remove(path);
  EXPECT_FALSE(ReadOnlyFile(fs::temp_directory_path()).IsOpen()) << "a folder is no file to read";
}

TEST(LetterCase, ScriptsWithCase) {
  EXPECT_EQ(InCase("пётр ильич", LetterCase::Title), "Пётр Ильич");
  EXPECT_EQ(InCase("ΣΟΦΙΑ", LetterCase::Lower), "σοφια");
  EXPECT_EQ(InCase("łódź žluťoučký", LetterCase::Upper), "ŁÓDŹ ŽLUŤOUČKÝ");
  EXPECT_EQ(InCase("İstanbul", LetterCase::Lower),
            "İstanbul");  // the dotted capital I has no small form here
  EXPECT_EQ(InCase("a\xff"
                   "b",
                   LetterCase::Upper),
            "A\xff"
            "B");  // a byte that is not UTF-8 stays
  EXPECT_EQ(CharacterCount("añ☃"), 3u);
  EXPECT_EQ(FirstCharacters("añ☃x", 3), "añ☃");
}

}  // namespace
}  // namespace vthost
