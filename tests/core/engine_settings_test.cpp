#include "core/engine_settings.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>

#include "platform/package.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/unprivileged.h"

using testing_support::OutputCapture;
using testing_support::ScopedEnv;
using testing_support::TempDataRoot;

TEST(EngineSettings, FieldsAfterConstruction) {
  TempDataRoot data;
  EngineSettings s;
  EXPECT_EQ(s.env_var(), "TALVORIN_ROOT");
  EXPECT_EQ(s.models_folder(), "models");
  EXPECT_EQ(s.textures_folder(), "textures");
  EXPECT_EQ(s.cfg_folder(), "cfg");
  EXPECT_EQ(s.sounds_folder(), "sounds");
  EXPECT_EQ(s.extension(), ".ini");
  EXPECT_EQ(s.default_file(), "cfg/basic_engine.ini");
  EXPECT_TRUE(s.settings().empty());
  EXPECT_EQ(s.root(), "");
  s.set_evar("OTHER_ROOT");
  EXPECT_EQ(s.env_var(), "OTHER_ROOT");
}

TEST(EngineSettings, RootFromPackageElseStoredRoot) {
  TempDataRoot data;
  EngineSettings s;
  const std::pair<std::string, std::string> stored[] = {
      {"data", "data/"}, {"data/", "data/"}, {"data\\", "data\\"}, {"", ""}};
  for (const auto& [given, root] : stored) {
    s.root(given);
    EXPECT_EQ(s.root(), root) << given;
  }

  // The package folder (on Linux: the folder the root variable names) wins.
  s.root("data");
  {
    ScopedEnv env("TALVORIN_ROOT", data.path().string());
    EXPECT_EQ(s.root(), data.path().string() + "/");
    ScopedEnv trailing("TALVORIN_ROOT", data.path().string() + "/");
    EXPECT_EQ(s.root(), data.path().string() + "/");
  }
  {
    ScopedEnv env("TALVORIN_ROOT", (data.path() / "no_such_folder").string());
    EXPECT_EQ(s.root(), "data/");
  }
  {
    ScopedEnv env("OTHER_ROOT", (data.path() / "models").string());
    EXPECT_EQ(s.root(), "data/");
    s.set_evar("OTHER_ROOT");
    EXPECT_EQ(s.root(), (data.path() / "models").string() + "/");
  }
}

TEST(PackagePath, FollowsTheQueryProtocol) {
  TempDataRoot data;
  unsigned int error = 99;
  EXPECT_EQ(PackagePath(&error), L"");
  EXPECT_EQ(error, static_cast<unsigned int>(platform::kNoPackage));
  EXPECT_EQ(PackagePath(nullptr), L"");

  ScopedEnv env("TALVORIN_ROOT", data.path().string());
  error = 99;
  EXPECT_EQ(PackagePath(&error), data.path().wstring());
  EXPECT_EQ(error, 0u);

  unsigned int length = 0;
  EXPECT_EQ(platform::current_package_path(&length, nullptr, "TALVORIN_ROOT"),
            platform::kInsufficientBuffer);
  EXPECT_EQ(length, data.path().string().size() + 1);

  // A folder name that is no UTF-8 cannot travel as wide text.
  const std::filesystem::path raw = data.path() / "\xFF";
  std::filesystem::create_directory(raw);
  ScopedEnv not_utf8("TALVORIN_ROOT", raw.string());
  EXPECT_EQ(PackagePath(&error), L"");
  EXPECT_EQ(error, static_cast<unsigned int>(platform::kNoPackage));
}

TEST(EngineSettings, FindsFilesUnderTheRoot) {
  TempDataRoot data;
  data.write("cfg/controls.ini", "a = 1\n");
  data.write("cfg/room.ini", "");
  data.write("cfg/a.ini.bak", "");
  data.write("models/room.obj", "");
  data.write("textures/wood.png", "");
  data.write("sounds/hit.wav", "");
  EngineSettings s;
  EXPECT_EQ(s.find_cfg("controls"), "cfg/controls.ini");
  EXPECT_EQ(s.find_cfg("room.ini"), "cfg/room.ini");
  EXPECT_EQ(s.find_cfg("a.ini.bak"), "cfg/a.ini.bak");
  EXPECT_EQ(s.find_cfg("missing"), "");
  EXPECT_EQ(s.find_model("room.obj"), "models/room.obj");
  EXPECT_EQ(s.find_texture("wood.png"), "textures/wood.png");
  EXPECT_EQ(s.find_sound("hit.wav"), "sounds/hit.wav");
  EXPECT_EQ(s.find_sound("wood.png"), "");
  EXPECT_EQ(s.find_file("models"), "");  // a folder is no file

  ScopedEnv env("TALVORIN_ROOT", data.path().string());
  EXPECT_EQ(s.find_model("room.obj"), data.path().string() + "/models/room.obj");
}

TEST(EngineSettings, SectionsAndContains) {
  EngineSettings s;
  EXPECT_FALSE(s.has_section("video"));
  s.new_section("video");
  EXPECT_TRUE(s.has_section("video"));
  s["video"]["fullscreen"] = 1;
  s.new_section("video");
  EXPECT_EQ(s["video"]["fullscreen"].str(), "1");

  const EngineSettings& c = s;
  EXPECT_EQ(c["audio"].fields().size(), 0u);
  EXPECT_FALSE(s.has_section("audio"));
  EXPECT_EQ(&c["audio"], &c["other"]);

  EXPECT_EQ(s.contains("fullscreen", ""), 1);
  EXPECT_EQ(s.contains("fullscreen", "video"), 1);
  EXPECT_EQ(s.contains("fullscreen", "audio"), 0);
  EXPECT_EQ(s.contains("width", ""), 0);
  // Key first, section second.
  EXPECT_EQ(s.contains("video", "fullscreen"), 0);
  EXPECT_EQ(&s.settings(), &s());
}

TEST(EngineSettings, LoadSectionMergesTheFile) {
  TempDataRoot data;
  data.write("cfg/controls.ini", "look_speed = 1\nwalk_accel = 3\n");
  EngineSettings s;
  OutputCapture capture;
  EXPECT_EQ(s.load_section("missing"), -1);
  EXPECT_FALSE(s.has_section("missing"));
  s["controls"]["look_speed"] = 2;
  s["controls"]["memory_only"] = "m";
  EXPECT_EQ(s.load_section("controls"), 0);
  EXPECT_EQ(s["controls"]["look_speed"].str(), "1");
  EXPECT_EQ(s["controls"]["walk_accel"].str(), "3");
  EXPECT_EQ(s["controls"]["memory_only"].str(), "m");
  EXPECT_EQ(capture.out() + capture.err(), "");
}

// A value that is no number ("nan") stays in the section as written, and
// reading it as a number keeps the default; a line without a key is left
// out. Each is named once.
TEST(EngineSettings, ASectionLineThatCannotBeReadIsNamedOnceAndTheDefaultStays) {
  TempDataRoot data;
  data.write("cfg/audio_settings.ini",
             "effects_volume = nan\nmusic_volume = 0.25\nthis is no setting\n");
  EngineSettings s;
  s["audio_settings"]["effects_volume"] = "1";
  OutputCapture capture;
  EXPECT_EQ(s.load_section("audio_settings"), 0);
  EXPECT_EQ(s["audio_settings"]["effects_volume"].str(), "nan");
  EXPECT_EQ(s["audio_settings"]["music_volume"].str(), "0.25");
  constexpr std::array<float, 2> kVolumes = {0.0f, 1.0f};
  float volume = 1.0f;
  EXPECT_FALSE(s["audio_settings"].read("effects_volume", &volume, kVolumes));
  EXPECT_EQ(volume, 1.0f);
  const std::string report =
      "Settings file cfg/audio_settings.ini, line 3: \"this is no setting\" left out: not a key = "
      "value line\n"
      "Settings file cfg/audio_settings.ini, line 1: \"effects_volume = nan\" left out: not a "
      "number; the default is used\n";
  EXPECT_EQ(capture.err(), report);
  // Loaded again, and merged from disk by a save, the file is not named again.
  EXPECT_EQ(s.load_section("audio_settings"), 0);
  EXPECT_FALSE(s["audio_settings"].read("effects_volume", &volume, kVolumes));
  EXPECT_EQ(capture.err(), report);
  capture.reset();
  EXPECT_EQ(s.save_section("audio_settings", true), 0);
  EXPECT_EQ(capture.err(),
            "EngineSettings::save_section(audio_settings): success. File: "
            "cfg/audio_settings.ini\n");
  EXPECT_EQ(data.read("cfg/audio_settings.ini"),
            "effects_volume \t = \t nan\nmusic_volume \t = \t 0.25\n");
}

TEST(EngineSettings, SaveSectionMemoryWinsAndDiskOnlyKeysSurvive) {
  TempDataRoot data;
  data.write("cfg/controls.ini", "look_speed = 1\nwalk_accel = 3\n");
  EngineSettings s;
  s["controls"]["look_speed"] = 2;
  OutputCapture capture;
  EXPECT_EQ(s.save_section("controls", true), 0);
  EXPECT_EQ(data.read("cfg/controls.ini"), "look_speed \t = \t 2\nwalk_accel \t = \t 3\n");
  EXPECT_EQ(s["controls"]["walk_accel"].str(), "3");
  EXPECT_EQ(capture.err(),
            "EngineSettings::save_section(controls): success. File: cfg/controls.ini\n");
}

TEST(EngineSettings, SaveSectionNamesAndNewSections) {
  TempDataRoot data;
  data.write("cfg/room.ini", "a = 1\n");
  EngineSettings s;
  OutputCapture capture;
  s["room.ini"]["b"] = "2";
  EXPECT_EQ(s.save_section("room.ini", false), 0);
  EXPECT_EQ(data.read("cfg/room.ini.ini"), "b \t = \t 2\n");
  EXPECT_EQ(data.read("cfg/room.ini"), "a = 1\n");

  EXPECT_EQ(s.save_section("fresh", false), 0);
  EXPECT_TRUE(s.has_section("fresh"));
  EXPECT_TRUE(std::filesystem::exists(data.path() / "cfg/fresh.ini"));
  EXPECT_EQ(data.read("cfg/fresh.ini"), "");
}

TEST(EngineSettings, SaveSectionWithoutACfgFolderChangesNothing) {
  TempDataRoot data;
  std::filesystem::remove(data.path() / "cfg");
  data.write("cfg", "not a folder");
  EngineSettings s;
  s["controls"]["look_speed"] = 2;
  OutputCapture capture;
  EXPECT_EQ(s.save_section("controls", true), 1);
  EXPECT_EQ(s.save_section("absent", true), 1);
  EXPECT_EQ(capture.err(),
            "Error writing cfg/controls.ini\n"
            "EngineSettings::save_section(controls): error 1\n"
            "Error writing cfg/absent.ini\n"
            "EngineSettings::save_section(absent): error 1\n");
  EXPECT_EQ(s["controls"].fields().size(), 1u);
  EXPECT_FALSE(s.has_section("absent"));
}

// Saved by a process that file permissions bind (as root, a child that has
// dropped to "nobody"), into a folder that takes no new file: a read-only
// file is not saved, and the keys read from it before the failed write do not
// reach memory either; a writable file is saved where it is, merged.
TEST(EngineSettings, SaveSectionIntoAReadOnlyFolderSavesOnlyAWritableFileInPlace) {
  struct Case {
    bool file_writable;
    std::string answer;  // the result, then what memory holds, then the messages
    std::string content;
  };
  const Case cases[] = {
      {false,
       "1 look_speed\n"
       "Error writing cfg/controls.ini\n"
       "EngineSettings::save_section(controls): error 1\n",
       "walk_accel = 3\n"},
      {true,
       "0 look_speed walk_accel\n"
       "EngineSettings::save_section(controls): success. File: cfg/controls.ini\n",
       "look_speed \t = \t 2\nwalk_accel \t = \t 3\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file_writable ? "writable file" : "read-only file");
    TempDataRoot data;
    data.write("cfg/controls.ini", "walk_accel = 3\n");
    namespace fs = std::filesystem;
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(data.path() / "cfg", write, fs::perm_options::remove);
    if (!c.file_writable)
      fs::permissions(data.path() / "cfg/controls.ini", write, fs::perm_options::remove);
    const std::string answer = testing_support::run_unprivileged(data.path(), [] {
      EngineSettings s;
      s["controls"]["look_speed"] = 2;
      OutputCapture capture;
      std::string held = std::to_string(s.save_section("controls", true));
      for (const auto& [key, field] : s["controls"].fields()) held += " " + key;
      return held + "\n" + capture.err();
    });
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(data.read("cfg/controls.ini"), c.content);
  }
}

TEST(EngineSettings, AsyncReadsReportWhetherAWorkerStarted) {
  TempDataRoot data;
  EngineSettings s;
  EXPECT_EQ(s.load_file_async("cfg/missing.ini", std::function<void(const std::string&)>()), -2);
  EXPECT_EQ(s.load_file_async("cfg/missing.ini",
                              std::function<void(const std::vector<unsigned char>&)>()),
            -2);
  EXPECT_EQ(s.load_file_async_stream("cfg/missing.ini", nullptr), -2);
  bool called = false;
  EXPECT_EQ(s.load_file_async("cfg/missing.ini", [&](const std::string&) { called = true; }), -1);
  EXPECT_EQ(s.load_file_async_stream("cfg/missing.ini", [&](std::istream&) { called = true; }), -1);
  EXPECT_FALSE(called);
}

// The callbacks make their promises ready only when the worker thread ends, so
// nothing of the test is touched by a worker after the test has moved on.
TEST(EngineSettings, AsyncReadsDeliverOnAWorkerThread) {
  TempDataRoot data;
  const std::string bytes("text\0\r\nmore", 11);
  data.write("cfg/data.bin", bytes);
  EngineSettings s;
  const std::thread::id main_thread = std::this_thread::get_id();

  std::promise<std::pair<std::string, std::thread::id>> text;
  ASSERT_EQ(s.load_file_async("cfg/data.bin",
                              [&](const std::string& t) {
                                text.set_value_at_thread_exit({t, std::this_thread::get_id()});
                              }),
            0);
  std::promise<std::vector<unsigned char>> raw;
  ASSERT_EQ(s.load_file_async(
                "cfg/data.bin",
                [&](const std::vector<unsigned char>& b) { raw.set_value_at_thread_exit(b); }),
            0);
  std::mutex m;
  std::condition_variable cv;
  std::string streamed;
  bool stream_done = false;
  ASSERT_EQ(s.load_file_async_stream("cfg/data.bin",
                                     [&](std::istream& in) {
                                       std::string all((std::istreambuf_iterator<char>(in)),
                                                       std::istreambuf_iterator<char>());
                                       std::lock_guard<std::mutex> lock(m);
                                       streamed = all;
                                       stream_done = true;
                                       cv.notify_one();
                                     }),
            0);

  const auto [got_text, worker] = text.get_future().get();
  EXPECT_EQ(got_text, bytes);
  EXPECT_NE(worker, main_thread);
  const std::vector<unsigned char> got_raw = raw.get_future().get();
  EXPECT_EQ(std::string(got_raw.begin(), got_raw.end()), bytes);
  std::unique_lock<std::mutex> lock(m);
  cv.wait(lock, [&] { return stream_done; });
  EXPECT_EQ(streamed, bytes);
}

TEST(EngineSettings, AsyncReadOfAnEmptyFileDeliversNothing) {
  TempDataRoot data;
  data.write("cfg/empty.ini", "");
  EngineSettings s;
  std::promise<std::string> text;
  std::promise<size_t> raw;
  ASSERT_EQ(s.load_file_async("cfg/empty.ini",
                              [&](const std::string& t) { text.set_value_at_thread_exit(t); }),
            0);
  ASSERT_EQ(s.load_file_async("cfg/empty.ini",
                              [&](const std::vector<unsigned char>& b) {
                                raw.set_value_at_thread_exit(b.size());
                              }),
            0);
  EXPECT_EQ(text.get_future().get(), "");
  EXPECT_EQ(raw.get_future().get(), 0u);
}
