// The ext-idle-notify-v1 source against a small compositor of the test's
// own: libwayland-server on a socket in a private runtime folder, offering
// only the notifier and a seat, and sending idled and resumed when the test
// says so. It runs on a thread of its own, since the source's connection
// waits for its answers.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <wayland-server.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "ext-idle-notify-v1-server-protocol.h"
#include "platform/IdleSource.h"
#include "platform/WaylandIdle.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

using namespace vantora;

namespace {

class TestCompositor {
 public:
  explicit TestCompositor(const std::string& runtimeFolder) {
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeFolder);
    FDisplay = wl_display_create();
    const char* socket = wl_display_add_socket_auto(FDisplay);
    if (socket != nullptr) FSocket = socket;
    wl_global_create(FDisplay, &wl_seat_interface, 1, this, BindSeat);
    wl_global_create(FDisplay, &ext_idle_notifier_v1_interface, 1, this, BindNotifier);
    FThread = std::thread([this] { Run(); });
  }
  ~TestCompositor() {
    FStop = true;
    FThread.join();
    wl_display_destroy_clients(FDisplay);
    wl_display_destroy(FDisplay);
  }

  const std::string& Socket() const { return FSocket; }
  // The timeouts of the notifications that exist now, oldest first.
  std::vector<uint32_t> Timeouts() {
    std::lock_guard lock(FMutex);
    std::vector<uint32_t> timeouts;
    for (const TNotification& n : FNotifications) timeouts.push_back(n.Timeout);
    return timeouts;
  }
  void SendIdled() { Post(&ext_idle_notification_v1_send_idled); }
  void SendResumed() { Post(&ext_idle_notification_v1_send_resumed); }
  // Closes every client's connection, as a compositor that ends does.
  void DropClients() { FDropClients = true; }

 private:
  struct TNotification {
    wl_resource* Resource;
    uint32_t Timeout;
  };

  void Post(void (*send)(wl_resource*)) {
    std::lock_guard lock(FMutex);
    FPending.push_back(send);
  }

  void Run() {
    wl_event_loop* loop = wl_display_get_event_loop(FDisplay);
    while (!FStop) {
      wl_event_loop_dispatch(loop, 5);
      {
        std::lock_guard lock(FMutex);
        for (auto send : FPending)
          for (const TNotification& n : FNotifications) send(n.Resource);
        FPending.clear();
      }
      if (FDropClients.exchange(false)) wl_display_destroy_clients(FDisplay);
      wl_display_flush_clients(FDisplay);
    }
  }

  static void BindSeat(wl_client* client, void*, uint32_t version, uint32_t id) {
    static const struct wl_seat_interface kSeat = {
        [](wl_client*, wl_resource*, uint32_t) {}, [](wl_client*, wl_resource*, uint32_t) {},
        [](wl_client*, wl_resource*, uint32_t) {}, [](wl_client*, wl_resource* r) { wl_resource_destroy(r); }};
    wl_resource* seat = wl_resource_create(client, &wl_seat_interface, int(version), id);
    wl_resource_set_implementation(seat, &kSeat, nullptr, nullptr);
  }

  static void BindNotifier(wl_client* client, void* data, uint32_t version, uint32_t id) {
    static const struct ext_idle_notifier_v1_interface kNotifier = {
        [](wl_client*, wl_resource* r) { wl_resource_destroy(r); },
        [](wl_client* c, wl_resource* notifier, uint32_t id, uint32_t timeout, wl_resource*) {
          auto* self = static_cast<TestCompositor*>(wl_resource_get_user_data(notifier));
          wl_resource* n = wl_resource_create(c, &ext_idle_notification_v1_interface, 1, id);
          static const struct ext_idle_notification_v1_interface kNotification = {
              [](wl_client*, wl_resource* r) { wl_resource_destroy(r); }};
          wl_resource_set_implementation(n, &kNotification, self, [](wl_resource* r) {
            auto* owner = static_cast<TestCompositor*>(wl_resource_get_user_data(r));
            std::lock_guard lock(owner->FMutex);
            std::erase_if(owner->FNotifications, [r](const TNotification& t) { return t.Resource == r; });
          });
          std::lock_guard lock(self->FMutex);
          self->FNotifications.push_back({n, timeout});
        }};
    wl_resource* notifier = wl_resource_create(client, &ext_idle_notifier_v1_interface, int(version), id);
    wl_resource_set_implementation(notifier, &kNotifier, data, nullptr);
  }

  wl_display* FDisplay = nullptr;
  std::string FSocket;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FDropClients{false};
  std::mutex FMutex;
  std::vector<TNotification> FNotifications;
  std::vector<void (*)(wl_resource*)> FPending;
};

class WaylandIdle : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(Runtime.Path().c_str(), 0700);
    test::QtApp();
    ASSERT_FALSE(Compositor.Socket().empty()) << "the test compositor has no socket";
  }
  test::TempFolder Runtime{"vantora-wayland"};
  TestCompositor Compositor{Runtime.Path()};
  test::ScopedEnv RuntimeEnv{"XDG_RUNTIME_DIR", Runtime.Path()};
  test::ScopedEnv Socket{"WAYLAND_DISPLAY", Compositor.Socket()};
};

}  // namespace

TEST_F(WaylandIdle, ExtIdleNotifyReportsIdleAndResumedAndFollowsTheWait) {
  std::string why;
  std::unique_ptr<TIdleSource> source = OpenWaylandIdleSource(wpExtIdleNotify, why);
  ASSERT_NE(source, nullptr) << why;
  EXPECT_EQ(source->Name(), "ext-idle-notify-v1");
  int idle = 0, active = 0;
  std::string lost;
  source->OnIdle = [&] { ++idle; };
  source->OnActive = [&] { ++active; };
  source->OnLost = [&](const std::string& text) { lost = text; };

  source->Watch(3000);
  ASSERT_TRUE(test::WaitFor([&] { return Compositor.Timeouts() == std::vector<uint32_t>{3000}; }));
  Compositor.SendIdled();
  ASSERT_TRUE(test::WaitFor([&] { return idle == 1; }));
  EXPECT_EQ(active, 0);
  Compositor.SendResumed();
  ASSERT_TRUE(test::WaitFor([&] { return active == 1; }));
  EXPECT_EQ(idle, 1);

  // The same wait keeps the notification; a new one replaces it.
  source->Watch(3000);
  source->Watch(5000);
  ASSERT_TRUE(test::WaitFor([&] { return Compositor.Timeouts() == std::vector<uint32_t>{5000}; }));
  Compositor.SendIdled();
  ASSERT_TRUE(test::WaitFor([&] { return idle == 2; }));

  // The compositor goes away: the source says so once and stays quiet.
  Compositor.DropClients();
  ASSERT_TRUE(test::WaitFor([&] { return !lost.empty(); }));
  EXPECT_NE(lost.find("Wayland connection ended"), std::string::npos) << lost;
}

TEST_F(WaylandIdle, TheSessionsSourcesAreTriedInOrderAndSayWhyTheyWereNotTaken) {
  std::string why;
  EXPECT_EQ(OpenWaylandIdleSource(wpKdeIdle, why), nullptr);
  EXPECT_EQ(why, "the compositor does not offer org_kde_kwin_idle");

  TIdleSourceChoice choice = ChooseIdleSource(SessionIdleSources());
  ASSERT_NE(choice.Source, nullptr) << choice.FailureText();
  EXPECT_EQ(choice.Source->Name(), "ext-idle-notify-v1");
  EXPECT_TRUE(choice.Failures.empty());

  // Without a Wayland or X11 session or a bus, every source says why it
  // cannot serve.
  test::ScopedEnv noWayland("WAYLAND_DISPLAY", std::nullopt);
  test::ScopedEnv noX("DISPLAY", std::nullopt);
  test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + Runtime.Path("no-bus"));
  choice = ChooseIdleSource(SessionIdleSources());
  EXPECT_EQ(choice.Source, nullptr);
  EXPECT_EQ(choice.FailureText(),
            "ext-idle-notify-v1: no Wayland session (WAYLAND_DISPLAY is not set); "
            "org_kde_kwin_idle: no Wayland session (WAYLAND_DISPLAY is not set); "
            "org.gnome.Mutter.IdleMonitor: no session bus; "
            "MIT-SCREEN-SAVER: no X11 session (DISPLAY is not set)");
}
