// The game program as a player runs it, on the virtual display with the
// generated data folder, watched from outside: its window, its message
// boxes answered with real key presses, its output and its exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/program_cfg.h"
#include "datagen/data_folder.h"
#include "game/program_output.h"
#include "support/capture.h"
#include "support/child_process.h"
#include "support/gl/own_display.h"
#include "support/gl/x_windows.h"
#include "support/leak_checked_run.h"
#include "support/loopback_server.h"
#include "support/private_network.h"

namespace {

using testing_support::ChildProcess;
using testing_support::count_of;
namespace fs = std::filesystem;

// A copy of a data folder that one test changes; removed with the object.
class FolderCopy {
 public:
  explicit FolderCopy(const std::string& from) {
    std::string pattern = (fs::temp_directory_path() / "talvorin_data_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
    if (!from.empty()) fs::copy(from, path_, fs::copy_options::recursive);
  }
  ~FolderCopy() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  FolderCopy(const FolderCopy&) = delete;
  FolderCopy& operator=(const FolderCopy&) = delete;

  // The folder's name, without a trailing "/".
  std::string path() const { return path_.string(); }
  void write(const std::string& relative, const std::string& bytes) const {
    std::ofstream(path_ / relative, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  fs::path path_;
};

class GameProgram : public datagen_test::DataFolderTest {
 protected:
  void SetUp() override {
    // The suite's own X server: without it the test fails, naming why.
    ASSERT_TRUE(std::getenv("DISPLAY")) << "no display: run under scripts/with-xvfb.sh";
    // The runs find their windows by title on a shared display.
    lock_ = std::make_unique<testing_support::GameWindowLock>();
  }
  void TearDown() override { lock_.reset(); }

  // The program on the generated folder with silent audio, its leaks
  // checked, and the extra environment.
  static ChildProcess::Environment environment(ChildProcess::Environment extra = {}) {
    ChildProcess::Environment all = testing_support::leak_checked_environment();
    all.insert(all.end(), {{"TALVORIN_ROOT", root()}, {"ALSOFT_DRIVERS", "null"}});
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }

  static constexpr double kStartSeconds = 90.0;

  // Answers the error box of a run that fails (captioned "Error" unless
  // given), and its exit code.
  static std::optional<int> answer_the_error_box(ChildProcess& game,
                                                 const std::string& caption = "Error") {
    const unsigned long box = testing_support::wait_for_window(caption, kStartSeconds);
    if (box == 0) return game.wait(0.0);
    std::optional<int> code;
    // A key that comes before the box reads its keys is pressed again.
    for (int attempt = 0; attempt < 20 && !code; ++attempt) {
      testing_support::press_keys(box, "Return");
      code = game.wait(1.5);
    }
    return code;
  }

  // Waits until the run's error stream holds the text; false when it ended
  // or the seconds passed first.
  static bool wait_for_err(ChildProcess& game, const std::string& text, double seconds) {
    for (double waited = 0.0; waited < seconds; waited += 0.25) {
      if (game.err().find(text) != std::string::npos) return true;
      if (game.wait(0.25)) return game.err().find(text) != std::string::npos;
    }
    return false;
  }

  // Closes the window of a running game as a player does; its exit code.
  static std::optional<int> close_window(ChildProcess& game, unsigned long window) {
    if (!testing_support::request_close(window)) return std::nullopt;
    return game.wait(30.0);
  }

 private:
  std::unique_ptr<testing_support::GameWindowLock> lock_;
};

TEST_F(GameProgram, OpensItsWindowRunsFramesAndEndsWhenTheWindowCloses) {
  // The generator writes the engine's settings as the engine does: without
  // them in the folder, only the program can have written them.
  FolderCopy data(root());
  data.write("cfg/basic_engine.ini", "");
  ChildProcess game({TALVORIN_PROGRAM}, environment({{"TALVORIN_ROOT", data.path()}}));
  const unsigned long window = testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
  ASSERT_NE(window, 0u) << game.err();
  // Not full screen, at the size "video_settings" stores.
  EXPECT_EQ(testing_support::window_size(window), (std::array<int, 2>{1280, 720}));
  // Frames draw the scene into the window: its picture, black at first,
  // comes to hold many colours.
  std::set<std::uint32_t> colours;
  for (int i = 0; i < 300 && colours.size() < 8 && !game.wait(0.1); ++i) {
    const std::vector<std::uint32_t> grid = testing_support::window_colours(window, 16, 9);
    colours = std::set<std::uint32_t>(grid.begin(), grid.end());
  }
  EXPECT_GE(colours.size(), 8u) << game.err();
  ASSERT_TRUE(game.running()) << game.err();
  ASSERT_TRUE(testing_support::request_close(window));
  const std::optional<int> code = game.wait(30.0);
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 0) << game.err();
  // No OpenGL error in any frame, and the data folder was complete.
  EXPECT_EQ(program_output::gl_error_lines(game.err()), "");
  EXPECT_EQ(program_output::missing_data_lines(game.err()), "");
  EXPECT_EQ(program_output::sanitizer_lines(game.err()), "");
  // The engine wrote its settings with their defaults.
  ProgramCfg engine;
  ASSERT_EQ(engine.load(data.path() + "/cfg/basic_engine.ini"), 0);
  EXPECT_EQ(engine["autostart_newgame"].str(), "1");
  EXPECT_EQ(engine["autostart_human_players"].str(), "0");
  EXPECT_EQ(engine["autostart_ai_players"].str(), "2");
}

TEST_F(GameProgram, OldOpenGLEndsWithItsMessageAndCodeOne) {
  ChildProcess game({TALVORIN_PROGRAM}, environment({{"MESA_GL_VERSION_OVERRIDE", "3.3"}}));
  // The box waits for the player, as it would on a desktop.
  const unsigned long box = testing_support::wait_for_window("Error", kStartSeconds);
  ASSERT_NE(box, 0u) << game.err();
  EXPECT_FALSE(game.wait(0.5));
  // A key that comes before the box reads its keys is pressed again.
  std::optional<int> code;
  for (int attempt = 0; attempt < 20 && !code; ++attempt) {
    testing_support::press_keys(box, "Return");
    code = game.wait(1.5);
  }
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 1);
  EXPECT_NE(game.err().find("Error: OpenGL Error: Version 4.5.0 required (detected version 3.3).\n"
                            "Please try updating your graphics drivers, or use another hardware "
                            "configuration. Contact technical support if the problem persists.\n"),
            std::string::npos)
      << game.err();
  // The main loop never ran.
  EXPECT_EQ(program_output::lines_with(game.err(), {"IdleF()", "DisplayF()"}), "");
  EXPECT_EQ(program_output::sanitizer_lines(game.err()), "");
}

// The start-up steps that end the program on a player's machine, each with
// its exit code and its message: no display and a display without OpenGL
// (freeglut's own lines), and a driver whose shading language is older than
// the game's programs, so that the scene's set-up after GLEW fails (its box,
// captioned with its text). An old OpenGL and an incomplete data folder
// have tests of their own.
TEST_F(GameProgram, AStartUpStepThatFailsEndsTheProgramWithItsCodeAndMessage) {
  const std::string post_glew = "Error post-GLEW intialization.\nPlease contact technical support.";
  const struct {
    const char* what;
    ChildProcess::Environment environment;
    std::optional<std::string> server_arguments;  // an X server of its own
    std::optional<std::string> box;               // the caption of its box
    int code;
    std::string line;  // "%s" for the display's name
  } cases[] = {
      {"no display",
       {{"DISPLAY", ""}},
       std::nullopt,
       std::nullopt,
       1,
       "freeglut (talvorin32): failed to open display ''\n"},
      {"no GLX",
       {},
       "-extension GLX",
       std::nullopt,
       1,
       "freeglut (talvorin32): OpenGL GLX extension not supported by display '%s'\n"},
      {"old shading language",
       {{"MESA_GL_VERSION_OVERRIDE", "4.5COMPAT"}, {"MESA_GLSL_VERSION_OVERRIDE", "110"}},
       std::nullopt,
       post_glew,
       1,
       post_glew + ": " + post_glew + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<testing_support::OwnDisplay> display;
    if (c.server_arguments) {
      display.emplace(1920, 1080, 30.0, *c.server_arguments);
      ASSERT_NE(display->name(), "") << "no X server";
    }
    ChildProcess game({TALVORIN_PROGRAM}, environment(c.environment));
    const std::optional<int> code =
        c.box ? answer_the_error_box(game, *c.box) : game.wait(kStartSeconds);
    ASSERT_TRUE(code) << game.err();
    EXPECT_EQ(*code, c.code) << game.err();
    std::string line = c.line;
    if (const std::size_t at = line.find("%s"); at != std::string::npos)
      line.replace(at, 2, display ? display->name() : "");
    EXPECT_NE(game.err().find(line), std::string::npos) << game.err();
    // The main loop never ran.
    EXPECT_EQ(program_output::lines_with(game.err(), {"IdleF()", "DisplayF()"}), "");
    EXPECT_EQ(program_output::sanitizer_lines(game.err()), "");
  }
}

// The update check at start-up against a server of the test's own, reached
// by the program's own host name and port in a network of the test's own:
// the program started there, with a stand-in for the browser that notes
// what it was asked to open.
class StartUpUpdateCheck : public GameProgram {
 protected:
  void SetUp() override {
    GameProgram::SetUp();
    if (HasFatalFailure()) return;
    network_ = std::make_unique<testing_support::PrivateNetwork>("www.talvorin.example");
    ASSERT_EQ(network_->failure(), "");
    ::mkdir((folder_.path() + "/bin").c_str(), 0755);
    folder_.write("bin/xdg-open", "#!/bin/sh\necho \"$@\" >> '" + opened() + "'\n");
    ::chmod((folder_.path() + "/bin/xdg-open").c_str(), 0755);
  }

  // The server answers the program's request with the pieces, then ends as
  // told.
  std::unique_ptr<testing_support::LoopbackServer> serve(std::vector<std::string> pieces,
                                                         testing_support::LoopbackServer::End end) {
    auto server = network_->serve(
        {testing_support::LoopbackServer::Read::request, std::move(pieces), end, 80});
    EXPECT_TRUE(server) << network_->failure();
    return server;
  }

  std::unique_ptr<ChildProcess> start() {
    const char* path = std::getenv("PATH");
    return std::make_unique<ChildProcess>(
        network_->command(
            {TALVORIN_PROGRAM},
            environment({{"PATH", folder_.path() + "/bin:" + (path ? path : "/usr/bin:/bin")}})),
        ChildProcess::Environment{});
  }

  std::string opened() const { return folder_.path() + "/opened"; }
  std::string opened_text() const { return folder_.read("opened"); }

  // The request the update check sends.
  static constexpr const char* kRequest =
      "GET /pub/latest_versions/talvorin.txt HTTP/1.1\nHost: www.talvorin.example\n";

  FolderCopy folder_{""};
  std::unique_ptr<testing_support::PrivateNetwork> network_;
};

TEST_F(StartUpUpdateCheck, AServerThatDoesNotAnswerLetsTheStartUpGoOnAfterTheTimeOut) {
  auto server = serve({}, testing_support::LoopbackServer::End::stall);
  ASSERT_TRUE(server);
  const auto game = start();
  EXPECT_EQ(server->request().rfind(kRequest, 0), 0u) << server->request();
  // Nothing came within the time-out: no version, no question, and the game
  // starts.
  const unsigned long window = testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
  ASSERT_NE(window, 0u) << game->err();
  EXPECT_EQ(program_output::lines_with(game->out(), {"Local version", "Update version"}), "");
  const std::optional<int> code = close_window(*game, window);
  ASSERT_TRUE(code) << game->err();
  EXPECT_EQ(*code, 0) << game->err();
  EXPECT_EQ(opened_text(), "");
  EXPECT_EQ(program_output::sanitizer_lines(game->err()), "");
}

TEST_F(StartUpUpdateCheck,
       ANewerVersionAsksWhetherToDownloadYesOpensTheProductPageAndEndsWithZero) {
  // The player's answer in the box, and whether the game starts then.
  const struct {
    const char* key;
    bool game_starts;
  } answers[] = {{"Return", false}, {"Escape", true}};
  for (const auto& answer : answers) {
    SCOPED_TRACE(answer.key);
    std::remove(opened().c_str());
    auto server = serve({"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n1.2.0"},
                        testing_support::LoopbackServer::End::close);
    ASSERT_TRUE(server);
    const auto game = start();
    EXPECT_EQ(server->request().rfind(kRequest, 0), 0u) << server->request();
    const unsigned long box = testing_support::wait_for_window("Download update?", kStartSeconds);
    ASSERT_NE(box, 0u) << game->err();
    EXPECT_NE(game->err().find("Download update?: An upgrade is available (1.1.1->1.2.0). Would "
                               "you like to download it?\n"),
              std::string::npos)
        << game->err();
    EXPECT_EQ(program_output::lines_with(game->out(), {"Local version", "Update version"}),
              "Local version: 1.1.1\nUpdate version: 1.2.0\n");
    // A key that comes before the box reads its keys is pressed again,
    // until the box is gone.
    for (int attempt = 0; attempt < 20 && testing_support::window_size(box)[0] != 0; ++attempt) {
      testing_support::press_keys(box, answer.key);
      game->wait(1.5);
    }
    if (!answer.game_starts) {
      // Yes: the product page opens and the game does not start.
      const std::optional<int> code = game->wait(kStartSeconds);
      ASSERT_TRUE(code) << game->err();
      EXPECT_EQ(*code, 0) << game->err();
      EXPECT_EQ(opened_text(), "http://www.talvorin.example/talvorin\n");
      EXPECT_EQ(program_output::lines_with(game->out(), {"Window::create()", "Loading"}), "");
    } else {
      // No: the game starts as without an update.
      const unsigned long window =
          testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
      ASSERT_NE(window, 0u) << game->err();
      const std::optional<int> code = close_window(*game, window);
      ASSERT_TRUE(code) << game->err();
      EXPECT_EQ(*code, 0) << game->err();
      EXPECT_EQ(opened_text(), "");
    }
    EXPECT_EQ(program_output::sanitizer_lines(game->err()), "");
  }
}

TEST_F(GameProgram, AStoredFullScreenTheDisplayCannotGiveOpensAWindowAndIsKept) {
  FolderCopy data(root());
  data.write("cfg/video_settings.ini", "fullscreen = 1\nresolution = 1280x720\n");
  ChildProcess game({TALVORIN_PROGRAM}, environment({{"TALVORIN_ROOT", data.path()}}));
  // Xvfb has no game mode: the window opens at the stored resolution.
  const unsigned long window = testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
  ASSERT_NE(window, 0u) << game.err();
  EXPECT_EQ(testing_support::window_size(window), (std::array<int, 2>{1280, 720}));
  EXPECT_EQ(program_output::lines_with(game.err(), {"Full screen"}),
            "Full screen at 1280x720 is not available (the display offers no such full-screen "
            "mode): a 1280x720 window opens instead\n");
  ASSERT_TRUE(game.running()) << game.err();
  const std::optional<int> code = close_window(game, window);
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 0) << game.err();
  EXPECT_EQ(program_output::gl_error_lines(game.err()), "");
  EXPECT_EQ(program_output::sanitizer_lines(game.err()), "");
  // A display that can give full screen gets it at a later start.
  ProgramCfg video;
  ASSERT_EQ(video.load(data.path() + "/cfg/video_settings.ini"), 0);
  EXPECT_EQ(video["fullscreen"].str(), "1");
}

TEST_F(GameProgram, AMissingBallModelIsNamedOnceByWhereItWasLookedFor) {
  FolderCopy data(root());
  const std::string missing = data.path() + "/models/icosphere/icosphere-03.obj";
  ASSERT_TRUE(fs::remove(missing));
  ChildProcess game({TALVORIN_PROGRAM}, environment({{"TALVORIN_ROOT", data.path()}}));
  const unsigned long window = testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
  ASSERT_NE(window, 0u) << game.err();
  // The balls and the pockets are built before the first frame.
  ASSERT_TRUE(wait_for_err(game, "not found", kStartSeconds)) << game.err();
  const std::optional<int> code = close_window(game, window);
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 0) << game.err();
  EXPECT_EQ(program_output::lines_with(game.err(), {"not found"}),
            "PoolEngine::build_ball_renderer(): file '" + missing + "' not found\n");
}

TEST_F(GameProgram, ADataFolderThatLacksWhatTheGameNeedsIsNamedBeforeAnyWindow) {
  FolderCopy empty("");
  FolderCopy no_objects(root());
  fs::remove(no_objects.path() + "/cfg/pool_objects.ini");
  FolderCopy no_table(root());
  fs::remove(no_table.path() + "/models/table.obj");
  const struct {
    std::string root;
    std::string line;
  } cases[] = {
      {empty.path(), "Error: Data folder incomplete: " + empty.path() +
                         "/cfg is missing (the data folder, which TALVORIN_ROOT names, holds cfg, "
                         "models, textures and sounds)\n"},
      {no_objects.path(), "Error: Data folder incomplete: " + no_objects.path() +
                              "/cfg/pool_objects.ini is missing\n"},
      {no_table.path(), "Error: Data folder incomplete: " + no_table.path() +
                            "/models/table.obj is missing (named by \"obj_file\" in "
                            "cfg/table_model.ini)\n"},
      {empty.path() + "/nothing", "Error: Data folder incomplete: TALVORIN_ROOT names \"" +
                                      empty.path() + "/nothing\", which is not a folder\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root);
    ChildProcess game({TALVORIN_PROGRAM}, environment({{"TALVORIN_ROOT", c.root}}));
    const std::optional<int> code = answer_the_error_box(game);
    ASSERT_TRUE(code) << game.err();
    EXPECT_EQ(*code, 2) << game.err();
    EXPECT_EQ(program_output::lines_with(game.err(), {"Data folder"}), c.line);
    // Nothing else was tried: no window, no sound.
    EXPECT_EQ(program_output::lines_with(game.out(), {"Window::create()", "Loading"}), "");
    EXPECT_EQ(program_output::lines_with(game.err(), {"OpenGL", "freeglut"}), "");
    EXPECT_EQ(program_output::sanitizer_lines(game.err()), "");
  }
}

TEST_F(GameProgram, FilesThatDoNotReadAreNamedOnceAndTheGameGoesOn) {
  FolderCopy data(root());
  // A felt picture cut short, an empty cue model, a bench that is not
  // there, a settings line that means nothing, a look speed that is no
  // number, a walk speed that is a word and a volume beyond the slider's
  // end.
  data.write("textures/solid_felt_4.png", data.read("textures/solid_felt_4.png").substr(0, 2000));
  data.write("models/cue.obj", "");
  fs::remove(data.path() + "/models/bench.obj");
  // The last line of a key holds.
  const std::string audio = data.read("cfg/audio_settings.ini");
  data.write("cfg/audio_settings.ini", audio + "music_volume = 1e30\n");
  data.write("cfg/controls.ini",
             "look_sensitivity = nan nan nan\n"
             "this line means nothing\n"
             "look_speed = 0.005 0.005 0.005\n"
             "look_inversion = 0 0 0\n"
             "walk_accel = fast\n"
             "show_control_hints = 1\n"
             "gamepad_model = gamepad.ini\n"
             "gamepad_offset = 0 -0.1 -0.4\n");
  ChildProcess game({TALVORIN_PROGRAM}, environment({{"TALVORIN_ROOT", data.path()}}));
  const unsigned long window = testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
  ASSERT_NE(window, 0u) << game.err();
  const std::string cue =
      "Error loading model " + data.path() + "/models/cue.obj: the model reader's code -1\n";
  ASSERT_TRUE(wait_for_err(game, cue, kStartSeconds)) << game.err();
  ASSERT_TRUE(game.running()) << game.err();
  const std::optional<int> code = close_window(game, window);
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 0) << game.err();

  const std::string err = game.err();
  const std::string felt = program_output::lines_with(err, {"lodepng"});
  EXPECT_EQ(count_of(felt, "\n"), 1u) << felt;
  EXPECT_NE(felt.find(") for " + data.path() + "/textures/solid_felt_4.png\n"), std::string::npos)
      << felt;
  EXPECT_EQ(count_of(err, cue), 1u);
  EXPECT_EQ(program_output::lines_with(err, {"bench"}),
            "Data folder incomplete: " + data.path() +
                "/models/bench.obj is missing (named by \"obj_file\" in cfg/bench.ini); the game "
                "goes on without it\n");
  const std::string controls = "Settings file " + data.path() + "/cfg/controls.ini, line ";
  // The sounds are set up before the walker, the walker before the look
  // settings, which are read from the file as the engine's start-up saved
  // it (its keys in order: the look speed on line 4).
  EXPECT_EQ(program_output::lines_with(err, {"Settings file"}),
            "Settings file " + data.path() + "/cfg/audio_settings.ini, line " +
                std::to_string(count_of(audio, "\n") + 1) +
                ": \"music_volume = 1e30\" outside 0 to 1; 1 is "
                "used\n" +
                controls + "2: \"this line means nothing\" left out: not a key = value line\n" +
                controls +
                "5: \"walk_accel = fast\" left out: not a number; the default is used\n" +
                controls +
                "4: \"look_sensitivity = nan nan nan\" left out: not 3 numbers; the default is "
                "used\n");
  EXPECT_EQ(program_output::gl_error_lines(err), "");
  EXPECT_EQ(program_output::sanitizer_lines(err), "");
  // What the player wrote is kept as written; the defaults were used.
  ProgramCfg saved;
  ASSERT_EQ(saved.load(data.path() + "/cfg/controls.ini"), 0);
  EXPECT_EQ(saved["look_sensitivity"].str(), "nan nan nan");
  EXPECT_EQ(saved["walk_accel"].str(), "fast");
}

}  // namespace
