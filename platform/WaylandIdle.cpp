#include "platform/WaylandIdle.h"

#include <wayland-client.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <QSocketNotifier>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace vantora {

namespace {

class TWaylandIdleSource : public TIdleSource {
 public:
  explicit TWaylandIdleSource(TWaylandIdleProtocol protocol) : FProtocol(protocol) {}
  ~TWaylandIdleSource() override;

  bool Open(std::string& why);
  std::string Name() const override {
    return FProtocol == wpExtIdleNotify ? "ext-idle-notify-v1" : "org_kde_kwin_idle";
  }
  void Watch(int timeoutMs) override;

 private:
  static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version);
  static void GlobalRemove(void*, wl_registry*, uint32_t) {}
  static void Idled(void* data, ext_idle_notification_v1*) {
    static_cast<TWaylandIdleSource*>(data)->DoIdle();
  }
  static void Resumed(void* data, ext_idle_notification_v1*) {
    static_cast<TWaylandIdleSource*>(data)->DoActive();
  }
  static void KdeIdle(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<TWaylandIdleSource*>(data)->DoIdle();
  }
  static void KdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<TWaylandIdleSource*>(data)->DoActive();
  }
  static constexpr wl_registry_listener kRegistryListener = {Global, GlobalRemove};
  static constexpr ext_idle_notification_v1_listener kExtListener = {Idled, Resumed};
  static constexpr org_kde_kwin_idle_timeout_listener kKdeListener = {KdeIdle, KdeResumed};

  void DropWatch();
  void Dispatch();

  TWaylandIdleProtocol FProtocol;
  wl_display* FDisplay = nullptr;
  wl_registry* FRegistry = nullptr;
  wl_seat* FSeat = nullptr;
  ext_idle_notifier_v1* FExtNotifier = nullptr;
  ext_idle_notification_v1* FExtNotification = nullptr;
  org_kde_kwin_idle* FKdeIdle = nullptr;
  org_kde_kwin_idle_timeout* FKdeTimeout = nullptr;
  std::unique_ptr<QSocketNotifier> FNotifier;
  int FTimeoutMs = -1;
};

void TWaylandIdleSource::Global(void* data, wl_registry* registry, uint32_t name,
                                const char* interface, uint32_t version) {
  auto* self = static_cast<TWaylandIdleSource*>(data);
  const std::string_view iface = interface;
  // The first seat is the user's; a second one (rare) is not watched.
  if (iface == wl_seat_interface.name && self->FSeat == nullptr)
    self->FSeat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (self->FProtocol == wpExtIdleNotify && iface == ext_idle_notifier_v1_interface.name &&
           self->FExtNotifier == nullptr)
    self->FExtNotifier = static_cast<ext_idle_notifier_v1*>(
        wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
  else if (self->FProtocol == wpKdeIdle && iface == org_kde_kwin_idle_interface.name &&
           self->FKdeIdle == nullptr)
    self->FKdeIdle = static_cast<org_kde_kwin_idle*>(
        wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
  (void)version;
}

bool TWaylandIdleSource::Open(std::string& why) {
  const char* socket = std::getenv("WAYLAND_DISPLAY");
  if ((socket == nullptr || socket[0] == '\0') && std::getenv("WAYLAND_SOCKET") == nullptr) {
    why = "no Wayland session (WAYLAND_DISPLAY is not set)";
    return false;
  }
  FDisplay = wl_display_connect(nullptr);
  if (FDisplay == nullptr) {
    why = std::string("cannot connect to the Wayland compositor: ") + std::strerror(errno);
    return false;
  }
  FRegistry = wl_display_get_registry(FDisplay);
  wl_registry_add_listener(FRegistry, &kRegistryListener, this);
  if (wl_display_roundtrip(FDisplay) < 0) {
    why = "the Wayland compositor closed the connection";
    return false;
  }
  const bool offered = FProtocol == wpExtIdleNotify ? FExtNotifier != nullptr : FKdeIdle != nullptr;
  if (!offered) {
    why = "the compositor does not offer " + Name();
    return false;
  }
  if (FSeat == nullptr) {
    why = "the compositor offers no seat";
    return false;
  }
  FNotifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(FDisplay), QSocketNotifier::Read);
  QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { Dispatch(); });
  return true;
}

TWaylandIdleSource::~TWaylandIdleSource() {
  FNotifier.reset();
  if (FDisplay == nullptr) return;
  DropWatch();
  if (FExtNotifier != nullptr) ext_idle_notifier_v1_destroy(FExtNotifier);
  if (FKdeIdle != nullptr) org_kde_kwin_idle_destroy(FKdeIdle);
  if (FSeat != nullptr) wl_seat_destroy(FSeat);
  if (FRegistry != nullptr) wl_registry_destroy(FRegistry);
  wl_display_disconnect(FDisplay);
}

void TWaylandIdleSource::DropWatch() {
  if (FExtNotification != nullptr) ext_idle_notification_v1_destroy(FExtNotification);
  if (FKdeTimeout != nullptr) org_kde_kwin_idle_timeout_release(FKdeTimeout);
  FExtNotification = nullptr;
  FKdeTimeout = nullptr;
}

void TWaylandIdleSource::Watch(int timeoutMs) {
  if (timeoutMs == FTimeoutMs || FNotifier == nullptr) return;
  FTimeoutMs = timeoutMs;
  // The compositor counts a new notification's time from the last input.
  DropWatch();
  if (FProtocol == wpExtIdleNotify) {
    FExtNotification =
        ext_idle_notifier_v1_get_idle_notification(FExtNotifier, uint32_t(timeoutMs), FSeat);
    ext_idle_notification_v1_add_listener(FExtNotification, &kExtListener, this);
  } else {
    FKdeTimeout = org_kde_kwin_idle_get_idle_timeout(FKdeIdle, FSeat, uint32_t(timeoutMs));
    org_kde_kwin_idle_timeout_add_listener(FKdeTimeout, &kKdeListener, this);
  }
  wl_display_flush(FDisplay);
}

void TWaylandIdleSource::Dispatch() {
  // The socket is readable, so this reads without blocking, then runs the
  // listeners of what came.
  if (wl_display_dispatch(FDisplay) < 0) {
    const int error = wl_display_get_error(FDisplay);
    FNotifier->setEnabled(false);  // a dead socket stays readable
    DoLost("the Wayland connection ended" +
           (error != 0 ? std::string(": ") + std::strerror(error) : std::string()));
    return;
  }
  wl_display_flush(FDisplay);
}

}  // namespace

std::unique_ptr<TIdleSource> OpenWaylandIdleSource(TWaylandIdleProtocol protocol,
                                                   std::string& why) {
  return OpenedSource<TWaylandIdleSource>(why, protocol);
}

}  // namespace vantora
