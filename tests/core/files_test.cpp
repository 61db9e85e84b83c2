#include "core/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/data_root.h"
#include "support/unprivileged.h"

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

namespace {

namespace fs = std::filesystem;

// Names of the files in a folder: no temporary stays behind.
Strings folder_names(const fs::path& folder) {
  Strings names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// While alive, files of this process cannot grow past `bytes`: a write past it
// fails as on a full disk (the signal it would raise is ignored).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(ReplaceFile, TheOldContentStaysWholeUntilTheNewIsInPlace) {
  TempDataRoot root;
  root.write("cfg/t.ini", "old = 1\n");
  fs::permissions("cfg/t.ini",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // A reader that opened the file before keeps the old file whole: it is never
  // truncated or written into, only replaced.
  std::ifstream before("cfg/t.ini");
  EXPECT_EQ(replace_file("cfg/t.ini", "new = 2\n"), 0);
  EXPECT_EQ(root.read("cfg/t.ini"), "new = 2\n");
  EXPECT_EQ(fs::status("cfg/t.ini").permissions() & fs::perms::mask,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::stringstream old;
  old << before.rdbuf();
  EXPECT_EQ(old.str(), "old = 1\n");
  EXPECT_EQ(folder_names(root.path() / "cfg"), Strings{"t.ini"});

  // A new file gets the permissions of any new file.
  EXPECT_EQ(replace_file("cfg/fresh.ini", "a = 1\n"), 0);
  EXPECT_EQ(root.read("cfg/fresh.ini"), "a = 1\n");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(static_cast<mode_t>(fs::status("cfg/fresh.ini").permissions() & fs::perms::mask),
            0666 & ~mask);
}

TEST(ReplaceFile, ALinkStaysALinkAndADeviceIsWrittenIntoNotReplaced) {
  TempDataRoot root;
  root.write("real/t.ini", "old = 1\n");
  fs::create_symlink("../real/t.ini", "cfg/t.ini");
  EXPECT_EQ(replace_file("cfg/t.ini", "new = 2\n"), 0);
  EXPECT_TRUE(fs::is_symlink("cfg/t.ini"));
  EXPECT_EQ(root.read("real/t.ini"), "new = 2\n");
  EXPECT_EQ(folder_names(root.path() / "real"), Strings{"t.ini"});
  // A link that points nowhere yet: the file it names is made.
  fs::create_symlink("../real/later.ini", "cfg/later.ini");
  EXPECT_EQ(replace_file("cfg/later.ini", "a = 1\n"), 0);
  EXPECT_TRUE(fs::is_symlink("cfg/later.ini"));
  EXPECT_EQ(root.read("real/later.ini"), "a = 1\n");

  if (!fs::exists("/dev/null")) GTEST_SKIP() << "no /dev/null";
  fs::create_symlink("/dev/null", "cfg/null.ini");
  EXPECT_EQ(replace_file("cfg/null.ini", "a = 1\n"), 0);
  EXPECT_TRUE(fs::is_symlink("cfg/null.ini"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(ReplaceFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  TempDataRoot root;
  root.write("cfg/t.ini", "old = 1\n");
  {
    FileSizeLimit full(16);
    EXPECT_EQ(replace_file("cfg/t.ini", std::string(64, 'x')), 2);
  }
  EXPECT_EQ(root.read("cfg/t.ini"), "old = 1\n");
  EXPECT_EQ(folder_names(root.path() / "cfg"), Strings{"t.ini"});
  EXPECT_EQ(replace_file("no/such/folder/t.ini", "a = 1\n"), 1);

  // What a killed writer left is cleared by the next write of the same file;
  // other files' temporaries and ours of a live process stay.
  const Strings left = {".t.ini.2147483647.0.tmp", ".t.ini.5.2147483647.3.tmp",
                        ".t.ini." + std::to_string(getpid()) + ".9.tmp"};
  for (const std::string& name : left) root.write("cfg/" + name, "");
  EXPECT_EQ(replace_file("cfg/t.ini", "new = 2\n"), 0);
  Strings kept = {left[1], left[2], "t.ini"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(folder_names(root.path() / "cfg"), kept);
}

// Saved by a process that file permissions bind (as root, a child that has
// dropped to "nobody"): a file made read-only is refused though its folder
// would allow the rename; a writable file in a folder that takes no new file
// is written where it is; a new file cannot be made there.
TEST(ReplaceFile, ReadOnlyFilesAreRefusedAndAWritableFileInAReadOnlyFolderIsWrittenInPlace) {
  struct Case {
    const char* what;
    bool file_exists, file_writable, folder_writable;
    int result;
    std::string content;  // of cfg/t.ini afterwards; empty: none
  };
  const Case cases[] = {
      {"read-only file, writable folder", true, false, true, 1, "old = 1\n"},
      {"writable file, read-only folder", true, true, false, 0, "new = 2\n"},
      {"read-only file, read-only folder", true, false, false, 1, "old = 1\n"},
      {"new file, read-only folder", false, true, false, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDataRoot root;
    if (c.file_exists) root.write("cfg/t.ini", "old = 1\n");
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (c.file_exists && !c.file_writable)
      fs::permissions("cfg/t.ini", write, fs::perm_options::remove);
    if (!c.folder_writable) fs::permissions("cfg", write, fs::perm_options::remove);
    const fs::perms before =
        c.file_exists ? fs::status("cfg/t.ini").permissions() : fs::perms::none;
    const std::string result = testing_support::run_unprivileged(
        root.path(), [] { return std::to_string(replace_file("cfg/t.ini", "new = 2\n")); });
    EXPECT_EQ(result, std::to_string(c.result));
    EXPECT_EQ(root.read("cfg/t.ini"), c.content);
    if (c.file_exists) {
      EXPECT_EQ(fs::status("cfg/t.ini").permissions(), before);
    }
    EXPECT_EQ(folder_names(root.path() / "cfg"), c.file_exists ? Strings{"t.ini"} : Strings{});
  }
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
