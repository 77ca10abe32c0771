#pragma once
// Test support: a private X server (Xvfb on a display it picks itself, so
// tests never meet another server) and a small X client that makes plain
// windows, changes them and reads their pixels back, as a screen-saver host
// would.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "tests/app/ChildProcess.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace vantora::test {

class Xvfb {
 public:
  // screens: Xvfb's screen arguments, e.g. {"-screen", "0", "1280x1024x24"}.
  explicit Xvfb(std::vector<std::string> screens = {"-screen", "0", "1280x1024x24"}) {
    int fds[2];
    if (::pipe(fds) != 0) {
      FError = "no pipe";
      return;
    }
    std::vector<std::string> args{"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                  "-nolisten", "tcp",        "-noreset"};
    args.insert(args.end(), screens.begin(), screens.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawnp(&FPid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
      FPid = -1;
      ::close(fds[0]);
      FError = "Xvfb is not installed";
      return;
    }
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) {
      FError = "Xvfb did not start";
      return;
    }
    FDisplay = ":" + number;
  }
  ~Xvfb() {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  // ":N", or empty when the server could not start (Error says why).
  const std::string& Display() const { return FDisplay; }
  const std::string& Error() const { return FError; }

 private:
  pid_t FPid = -1;
  std::string FDisplay;
  std::string FError;
};

// Pixels read back from a window, 0x00RRGGBB.
struct XGrab {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  std::uint32_t At(int x, int y) const { return Pixels[std::size_t(y) * Width + x]; }
};

class XClient {
 public:
  explicit XClient(const std::string& display) {
    FConnection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(FConnection) == 0)
      FScreen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
  }
  ~XClient() { xcb_disconnect(FConnection); }
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool Connected() const { return FScreen != nullptr; }
  std::uint32_t Root() const { return FScreen->root; }

  // The colour of the windows we make, which no picture of the tests has.
  static constexpr std::uint32_t kBackground = 0xFF00FF;

  // A mapped top-level window, filled with kBackground (no window manager
  // runs).
  std::uint32_t CreateWindow(int x, int y, int width, int height) {
    const xcb_window_t window = xcb_generate_id(FConnection);
    const std::uint32_t background = kBackground;
    xcb_create_window(FConnection, XCB_COPY_FROM_PARENT, window, FScreen->root, std::int16_t(x),
                      std::int16_t(y), std::uint16_t(width), std::uint16_t(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, FScreen->root_visual, XCB_CW_BACK_PIXEL,
                      &background);
    xcb_map_window(FConnection, window);
    Sync();
    return window;
  }

  void Resize(std::uint32_t window, int width, int height) {
    const std::uint32_t size[] = {std::uint32_t(width), std::uint32_t(height)};
    xcb_configure_window(FConnection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         size);
    Sync();
  }

  void Destroy(std::uint32_t window) {
    xcb_destroy_window(FConnection, window);
    Sync();
  }

  // The window's children (the show embeds one).
  std::vector<std::uint32_t> Children(std::uint32_t window) {
    std::vector<std::uint32_t> result;
    if (auto* tree =
            xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, window), nullptr)) {
      const xcb_window_t* c = xcb_query_tree_children(tree);
      result.assign(c, c + xcb_query_tree_children_length(tree));
      std::free(tree);
    }
    return result;
  }

  bool IsMapped(std::uint32_t window) {
    auto* a = xcb_get_window_attributes_reply(
        FConnection, xcb_get_window_attributes(FConnection, window), nullptr);
    const bool mapped = a != nullptr && a->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(a);
    return mapped;
  }

  // What the window shows, its children included; nothing when it is gone.
  std::optional<XGrab> Grab(std::uint32_t window) {
    auto* geometry =
        xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, window), nullptr);
    if (geometry == nullptr) return std::nullopt;
    XGrab grab;
    grab.Width = geometry->width;
    grab.Height = geometry->height;
    std::free(geometry);
    auto* image = xcb_get_image_reply(
        FConnection,
        xcb_get_image(FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                      std::uint16_t(grab.Width), std::uint16_t(grab.Height), ~0u),
        nullptr);
    if (image == nullptr) return std::nullopt;
    // Depth 24 comes as 32 bits a pixel, blue first, on every server we run.
    const auto* bytes = xcb_get_image_data(image);
    const int length = xcb_get_image_data_length(image);
    if (length >= grab.Width * grab.Height * 4) {
      grab.Pixels.resize(std::size_t(grab.Width) * grab.Height);
      for (std::size_t i = 0; i < grab.Pixels.size(); ++i)
        grab.Pixels[i] = (std::uint32_t(bytes[4 * i + 2]) << 16) |
                         (std::uint32_t(bytes[4 * i + 1]) << 8) | bytes[4 * i];
    }
    std::free(image);
    if (grab.Pixels.empty()) return std::nullopt;
    return grab;
  }

 private:
  void Sync() {
    std::free(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
  }

  xcb_connection_t* FConnection = nullptr;
  xcb_screen_t* FScreen = nullptr;
};

// Waits, while program runs, until what window shows passes check.
inline bool WaitForPixels(XClient& client, ChildProcess& program, std::uint32_t window,
                          const std::function<bool(const XGrab&)>& check) {
  return program.WaitFor([&] {
    const auto grab = client.Grab(window);
    return grab && check(*grab);
  });
}

// Whether two 0x00RRGGBB colours are alike, channel by channel, within the
// give of a JPEG.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 40) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance) return false;
  return true;
}

}  // namespace vantora::test
