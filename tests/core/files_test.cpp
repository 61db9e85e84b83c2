#include "core/files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "support/data_root.h"

using Strings = std::vector<std::string>;
using testing_support::TempDataRoot;

TEST(ReadAllStr, StreamFormZeroFillsWhatTheStreamDoesNotDeliver) {
  std::istringstream in("abc");
  EXPECT_EQ(read_all_str(in, 5), std::string("abc\0\0", 5));
  EXPECT_TRUE(in.fail());
}

TEST(ReadAllStr, PathFormStatuses) {
  TempDataRoot root;
  root.write("empty.txt", "");
  root.write("ten.bin", std::string("0123\0\r\n789", 10));
  struct Case {
    std::string path;
    int status;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty.txt", 1, ""},
      {"missing.txt", 2, ""},
      {"models", 2, ""},  // a folder
      {"ten.bin", -7, std::string("0123\0\r\n789", 10)},
  };
  for (const Case& c : cases) {
    int status = -7;
    EXPECT_EQ(read_all_str(c.path, &status), c.bytes) << c.path;
    EXPECT_EQ(status, c.status) << c.path;
  }
  EXPECT_EQ(read_all_str("missing.txt", nullptr), "");
}

TEST(FileFacts, SizeAndExistenceOfFilesAndFolders) {
  TempDataRoot root;
  root.write("cfg/a.ini", "12345");
  EXPECT_EQ(file_size("cfg/a.ini"), 5);
  EXPECT_TRUE(file_exists("cfg/a.ini"));
  EXPECT_EQ(file_size("cfg/b.ini"), -1);
  EXPECT_FALSE(file_exists("cfg/b.ini"));
  EXPECT_EQ(file_size("cfg"), -1);
  EXPECT_FALSE(file_exists("cfg"));
  EXPECT_FALSE(file_exists(""));
}

TEST(Fileparts, SplitsAtEitherSeparatorAndKeepsTheRoot) {
  struct Case {
    std::string path;
    bool keep_empty;
    Strings parts;
  };
  const Case cases[] = {
      {"", false, {}},
      {"model.obj", false, {"model.obj"}},
      {"models/room/room.obj", false, {"models", "room", "room.obj"}},
      {"models\\room\\room.obj", false, {"models", "room", "room.obj"}},
      {"models/room\\room.obj", false, {"models", "room", "room.obj"}},
      {"/a//b/", false, {"/a", "b"}},
      {"/a//b/", true, {"", "a", "", "b"}},
      {"//srv/x", false, {"/srv", "x"}},
      {"/home/u/m.obj", false, {"/home", "u", "m.obj"}},
      {"\\a\\b", false, {"a", "b"}},
      {"/", false, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fileparts(c.path, "/\\", c.keep_empty), c.parts) << c.path << " " << c.keep_empty;
}

TEST(FileDirectory, FolderPartsEachFollowedBySlash) {
  const std::pair<std::string, std::string> cases[] = {
      {"models/room/room.obj", "models/room/"},
      {"models\\room\\room.obj", "models/room/"},
      {"room.obj", ""},
      {"", ""},
      {"/home/u/models/room.obj", "/home/u/models/"},
      {"/room.obj", "/"},
  };
  for (const auto& [path, folder] : cases) EXPECT_EQ(file_directory(path), folder) << path;
}

TEST(WideStrings, Utf8RoundTripAndInvalidInput) {
  EXPECT_EQ(string2wstring("ascii"), L"ascii");
  const std::string utf8 = "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB1";
  const std::wstring wide = string2wstring(utf8);
  EXPECT_EQ(wide, L"gr\u00FC\u00DF \u20AC \U0001F3B1");
  EXPECT_EQ(wstring2string(wide), utf8);
  EXPECT_THROW(string2wstring("a\xC3("), std::range_error);
  EXPECT_THROW(string2wstring("\xFF"), std::range_error);
  EXPECT_THROW(wstring2string(std::wstring(1, static_cast<wchar_t>(0x110000))), std::range_error);
}

TEST(Log, TruncatesOrAppendsTaggedLines) {
  TempDataRoot root;
  log("first", "basic_engine", "run.log", true);  // a missing file is created
  log("second", "kwindow", "run.log", true);
  EXPECT_EQ(root.read("run.log"), "basic_engine\tfirst\nkwindow\tsecond\n");
  log("fresh", "basic_engine", "run.log", false);
  EXPECT_EQ(root.read("run.log"), "basic_engine\tfresh\n");
  log("nowhere", "tag", "", true);
  log("nowhere", "tag", "no/such/folder/x.log", false);
  EXPECT_FALSE(std::filesystem::exists(root.path() / "no"));
}
