#include "render/version_check.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;

class VersionCheckGLTest : public GLTest {};

TEST_F(VersionCheckGLTest, TheDriverVersionPasses) {
  VersionCheckerGL gl;
  const std::string full = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  EXPECT_EQ(full.rfind(gl.current_version(), 0), 0u);  // the first word of the string
  EXPECT_EQ(gl.current_version().find(' '), std::string::npos);
  EXPECT_TRUE(gl.valid()) << full;
  EXPECT_FALSE(VersionCheckerGL("9.0.0").valid());
}

TEST_F(VersionCheckGLTest, VendorAndRendererContainAName) {
  testing_support::OutputCapture cap;
  const std::string vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
  VersionCheckerGLVendor mine({"Nobody", vendor.substr(1, 3)});
  EXPECT_TRUE(mine.valid());
  EXPECT_EQ(cap.out(), "GL: " + vendor + "\n");
  EXPECT_FALSE(VersionCheckerGLVendor({"NoSuchVendor"}).valid());
  EXPECT_FALSE(VersionCheckerGLVendor(std::vector<std::string>{}).valid());
  const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  EXPECT_EQ(VersionCheckerGLRenderer({"x"}).current_version(), renderer);
}
