#include "platform/SessionState.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include "platform/DBusSignal.h"

namespace vantora {

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallMs = 2000;


QDBusMessage CallLogin1(const QDBusConnection& bus, const QString& path, const QString& interface,
                        const QString& method, const QVariantList& arguments) {
  QDBusMessage call = QDBusMessage::createMethodCall(kLogin1, path, interface, method);
  call.setArguments(arguments);
  return bus.call(call, QDBus::Block, kCallMs);
}

}  // namespace

TLogindSession::TLogindSession(const std::string& busAddress)
    : FBus(std::make_unique<QDBusConnection>(
          busAddress.empty() ? QDBusConnection::systemBus()
                             : QDBusConnection::connectToBus(QString::fromStdString(busAddress),
                                                             QStringLiteral("vantora-logind")))) {
  QDBusConnection& bus = *FBus;
  if (!bus.isConnected()) {
    FWhy = "no system bus";
    return;
  }
  const char* id = std::getenv("XDG_SESSION_ID");
  const QDBusReply<QDBusObjectPath> path =
      id != nullptr && id[0] != '\0'
          ? CallLogin1(bus, kManagerPath, kManager, QStringLiteral("GetSession"), {QString(id)})
          : CallLogin1(bus, kManagerPath, kManager, QStringLiteral("GetSessionByPID"),
                       {uint(::getpid())});
  if (!path.isValid()) {
    FWhy = "logind knows no session of ours: " + path.error().message().toStdString();
    return;
  }
  FPath = path.value().path().toStdString();
  FPropertiesChanged = std::make_unique<TDBusSignal>();
  FPropertiesChanged->OnSignal = [this](const QDBusMessage&) { Changed(); };
  FPropertiesChanged->Connect(bus, kLogin1, QString::fromStdString(FPath), kProperties,
                              QStringLiteral("PropertiesChanged"));
  // "loginctl lock-session" asks the session's locker to lock: the show
  // makes way at once, before the locker reports the lock.
  FLock = std::make_unique<TDBusSignal>();
  FLock->OnSignal = [this](const QDBusMessage&) {
    if (OnLeft) OnLeft("locked");
  };
  FLock->Connect(bus, kLogin1, QString::fromStdString(FPath), kSession, QStringLiteral("Lock"));
}

TLogindSession::~TLogindSession() = default;

bool TLogindSession::Property(const char* name, bool fallback) const {
  if (FPath.empty()) return fallback;
  const QDBusReply<QDBusVariant> value = CallLogin1(*FBus, QString::fromStdString(FPath), kProperties,
                                                    QStringLiteral("Get"), {kSession, QString(name)});
  return value.isValid() ? value.value().variant().toBool() : fallback;
}

bool TLogindSession::Locked() const { return Property("LockedHint", false); }
bool TLogindSession::Active() const { return Property("Active", true); }

void TLogindSession::Changed() {
  if (!OnLeft) return;
  if (Locked())
    OnLeft("locked");
  else if (!Active())
    OnLeft("inactive");
}

bool IdleInhibited() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString service = QStringLiteral("org.gnome.SessionManager");
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service)) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/gnome/SessionManager"),
                                                     service, QStringLiteral("IsInhibited"));
  constexpr uint kInhibitIdle = 8;
  call.setArguments({kInhibitIdle});
  const QDBusReply<bool> inhibited = bus.call(call, QDBus::Block, kCallMs);
  return inhibited.isValid() && inhibited.value();
}

std::string OtherSaverRunning(const std::string& procRoot) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const uid_t self = ::geteuid();
  for (const auto& entry : fs::directory_iterator(procRoot, ec)) {
    const std::string pid = entry.path().filename();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat st {};
    if (::stat(entry.path().c_str(), &st) != 0 || st.st_uid != self) continue;
    std::string name;
    std::getline(std::ifstream(entry.path() / "comm"), name);
    // The kernel keeps 15 characters of the name.
    if (name == "xscreensaver") return "xscreensaver";
    if (name == "mate-screensave") return "mate-screensaver";
  }
  return {};
}

}  // namespace vantora
