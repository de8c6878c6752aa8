// How EditorX11 puts its surface on the screen: a shared-memory image the
// window's size where the server offers MIT-SHM (Xvfb does), plain image
// uploads when the environment says so or the server cannot attach our
// segment; either way the window shows exactly the surface, before and after a
// resize.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "editor_in_host.h"
#include "graphics/x11/x11_shm_image.h"

extern char** environ;

namespace {

// An X server of its own in an IPC namespace of its own (unshare, which needs
// the privilege to make one): it offers MIT-SHM but cannot see our segments,
// as a server in another container cannot. DISPLAY points at it while it lives.
class ForeignIpcServer {
 public:
  ForeignIpcServer() {
    const char* display = std::getenv("DISPLAY");
    savedDisplay_ = display != nullptr ? display : "";
    int ends[2];
    if (pipe(ends) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"unshare", "--ipc", "Xvfb", "-displayfd", "3", "-screen", "0", "640x480x24", "-nolisten",
                          "tcp", nullptr};
    const bool started =
        posix_spawnp(&pid_, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (!started) {
      close(ends[0]);
      pid_ = -1;
      return;
    }
    // The server writes its display number once it listens; nothing when it fails.
    std::string number;
    char c = 0;
    while (read(ends[0], &c, 1) == 1 && c != '\n') number += c;
    close(ends[0]);
    if (!number.empty()) setenv("DISPLAY", (":" + number).c_str(), 1);
    running_ = !number.empty();
  }
  ~ForeignIpcServer() {
    setenv("DISPLAY", savedDisplay_.c_str(), 1);
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return running_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
  std::string savedDisplay_;
};

// Draws stripes into the surface, presents all of it, and compares the window
// with the surface pixel for pixel.
void ExpectTheWindowToShowTheSurface(EditorInHost& h, int width, int height) {
  for (int stripe = 0; stripe < 8; ++stripe) {
    const Colour colour{255, static_cast<uint8_t>(30 * stripe), static_cast<uint8_t>(255 - 30 * stripe), 77};
    h.editor->PaintRect(colour, Rect{stripe * width / 8, 0, (stripe + 1) * width / 8, height}, nullptr);
  }
  ASSERT_TRUE(h.editor->PresentArea(Rect{0, 0, width, height}));
  const Window window = h.host.Children().front();
  const std::vector<uint32_t> shown = xdesk::Capture(h.host.Connection(), window, width, height);
  ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((h.editor->Surface()->Row(y)[x] & 0xFFFFFFu) != shown[static_cast<size_t>(y) * width + x]) ++differing;
  EXPECT_EQ(differing, 0);
}

TEST(EditorX11Presenting, ThroughSharedMemorySizedToTheWindowAcrossAResize) {
  unsetenv(X11ShmImage::kDisableVariable);
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  EXPECT_TRUE(h.editor->PresentsThroughSharedMemory());
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 1);
  ExpectTheWindowToShowTheSurface(h, kWidth, kHeight);

  // A larger window gets a larger segment; the smaller one goes.
  h.editor->ResizeEditor(kWidth + 120, kHeight + 60);
  xdesk::PumpFor(h.step, 100);
  EXPECT_TRUE(h.editor->PresentsThroughSharedMemory());
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 1);
  ExpectTheWindowToShowTheSurface(h, kWidth + 120, kHeight + 60);

  h.editor->CloseWindow();
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 0);
}

TEST(EditorX11Presenting, ThroughPlainImagesWhenTheEnvironmentSaysSo) {
  setenv(X11ShmImage::kDisableVariable, "1", 1);
  EditorInHost h;
  unsetenv(X11ShmImage::kDisableVariable);  // read when the window opened
  ASSERT_NE(h.window, nullptr);
  EXPECT_FALSE(h.editor->PresentsThroughSharedMemory());
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 0);
  ExpectTheWindowToShowTheSurface(h, kWidth, kHeight);
  h.editor->ResizeEditor(kWidth + 120, kHeight + 60);
  xdesk::PumpFor(h.step, 100);
  EXPECT_FALSE(h.editor->PresentsThroughSharedMemory());
  ExpectTheWindowToShowTheSurface(h, kWidth + 120, kHeight + 60);
}

TEST(EditorX11Presenting, ThroughPlainImagesWhenTheServerCannotAttachTheSegment) {
  unsetenv(X11ShmImage::kDisableVariable);
  ForeignIpcServer server;
  if (!server.Running()) GTEST_SKIP() << "no X server in an IPC namespace of its own (unshare --ipc Xvfb)";
  {
    EditorInHost h;
    ASSERT_NE(h.window, nullptr);
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    ASSERT_TRUE(XQueryExtension(h.host.Connection(), "MIT-SHM", &opcode, &firstEvent, &firstError));  // offered
    // The server refused the attach with an error, which the editor's handler
    // took (Xlib's own would have ended the process); the segment is gone.
    EXPECT_FALSE(h.editor->PresentsThroughSharedMemory());
    EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 0);
    ExpectTheWindowToShowTheSurface(h, kWidth, kHeight);
  }
}

}  // namespace
