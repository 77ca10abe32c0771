#include "platform/MutterIdle.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>

#include "platform/DBusSignal.h"

namespace vantora {

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");

class TMutterIdleSource : public TIdleSource {
 public:
  TMutterIdleSource() : FBus(QDBusConnection::sessionBus()) {}
  ~TMutterIdleSource() override {
    if (FIdleWatch != 0) RemoveWatch(FIdleWatch);
    if (FActiveWatch != 0) RemoveWatch(FActiveWatch);
  }

  bool Open(std::string& why);
  std::string Name() const override { return kService.toStdString(); }
  void Watch(int timeoutMs) override;

 private:
  QDBusMessage Call(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    return FBus.call(call, QDBus::Block, 2000);
  }
  // The id of a new watch, or 0 when the call failed.
  uint AddWatch(const QString& method, const QVariantList& arguments = {}) {
    const QDBusReply<uint> reply = Call(method, arguments);
    return reply.isValid() ? reply.value() : 0;
  }
  void RemoveWatch(uint id) { Call(QStringLiteral("RemoveWatch"), {id}); }
  void Fired(uint id);

  QDBusConnection FBus;
  TDBusSignal FWatchFired;
  std::unique_ptr<QDBusServiceWatcher> FGone;
  int FTimeoutMs = -1;
  uint FIdleWatch = 0;  // fires each time the session has been idle for the wait time
  uint FActiveWatch = 0;  // fires once, at the first input after it was added
};

bool TMutterIdleSource::Open(std::string& why) {
  if (!FBus.isConnected()) {
    why = "no session bus";
    return false;
  }
  if (!FBus.interface()->isServiceRegistered(kService)) {
    why = "not on the session bus";
    return false;
  }
  const QDBusReply<qulonglong> idle = Call(QStringLiteral("GetIdletime"));
  if (!idle.isValid()) {
    why = "GetIdletime failed: " + idle.error().message().toStdString();
    return false;
  }
  FWatchFired.OnSignal = [this](const QDBusMessage& m) {
    if (!m.arguments().isEmpty()) Fired(m.arguments().front().toUInt());
  };
  if (!FWatchFired.Connect(FBus, kService, kPath, kInterface, QStringLiteral("WatchFired"))) {
    why = "cannot listen to WatchFired";
    return false;
  }
  FGone = std::make_unique<QDBusServiceWatcher>(kService, FBus,
                                                QDBusServiceWatcher::WatchForUnregistration);
  QObject::connect(FGone.get(), &QDBusServiceWatcher::serviceUnregistered,
                   [this] { DoLost("org.gnome.Mutter.IdleMonitor left the session bus"); });
  return true;
}

void TMutterIdleSource::Watch(int timeoutMs) {
  if (timeoutMs == FTimeoutMs) return;
  FTimeoutMs = timeoutMs;
  if (FIdleWatch != 0) RemoveWatch(FIdleWatch);
  FIdleWatch = AddWatch(QStringLiteral("AddIdleWatch"), {qulonglong(timeoutMs)});
  if (FIdleWatch == 0) DoLost("AddIdleWatch failed");
}

void TMutterIdleSource::Fired(uint id) {
  if (id == 0) return;
  if (id == FIdleWatch) {
    // A user-active watch fires only once, so each idle period gets its own.
    if (FActiveWatch == 0) FActiveWatch = AddWatch(QStringLiteral("AddUserActiveWatch"));
    DoIdle();
  } else if (id == FActiveWatch) {
    FActiveWatch = 0;
    DoActive();
  }
}

}  // namespace

std::unique_ptr<TIdleSource> OpenMutterIdleSource(std::string& why) {
  return OpenedSource<TMutterIdleSource>(why);
}

}  // namespace vantora
