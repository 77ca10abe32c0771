// What the session says about a show: logind's lock and seat (against a
// logind of the test's own on a private bus), other screen-saver hosts among
// the user's processes, the desktop's blanking before the wait.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <semaphore>
#include <string>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QThread>

#include "platform/BlankingConflict.h"
#include "platform/SessionState.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

extern char** environ;

using namespace vantora;

namespace {

const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/_31");

// A private bus: dbus-daemon with the session configuration.
class PrivateBus {
 public:
  PrivateBus() {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char a0[] = "dbus-daemon", a1[] = "--session", a2[] = "--nofork", a3[] = "--print-address=1";
    char* argv[] = {a0, a1, a2, a3, nullptr};
    if (::posix_spawnp(&FPid, "dbus-daemon", &actions, nullptr, argv, environ) != 0) FPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char c;
    while (FPid > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') FAddress += c;
    ::close(out[0]);
  }
  ~PrivateBus() {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  const std::string& Address() const { return FAddress; }

 private:
  pid_t FPid = -1;
  std::string FAddress;
};

// logind's manager and one session, answering on a thread of their own
// (the code under test waits for its answers in the main thread).
class FakeLogind : public QThread {
 public:
  explicit FakeLogind(QString address) : FAddress(std::move(address)) {}
  ~FakeLogind() override {
    quit();
    wait();
  }
  void Begin() {
    start();
    FReady.acquire();
  }
  std::atomic<bool> Locked{false};
  std::atomic<bool> Active{true};

  // Tells the listeners that the session's properties changed.
  void Changed() {
    QDBusMessage signal = QDBusMessage::createSignal(
        kSessionPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal.setArguments({QStringLiteral("org.freedesktop.login1.Session"), QVariantMap{},
                         QStringList{QStringLiteral("LockedHint"), QStringLiteral("Active")}});
    QDBusConnection(kName).send(signal);
  }
  void Lock() {
    QDBusConnection(kName).send(QDBusMessage::createSignal(
        kSessionPath, QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock")));
  }

 private:
  inline static const QString kName = QStringLiteral("fake-logind");

  class Objects : public QDBusVirtualObject {
   public:
    explicit Objects(FakeLogind& owner) : FOwner(owner) {}
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
      const QString member = m.member();
      if (member == QStringLiteral("GetSession") || member == QStringLiteral("GetSessionByPID"))
        return bus.send(m.createReply(QVariant::fromValue(QDBusObjectPath(kSessionPath))));
      if (member == QStringLiteral("Get") && m.path() == kSessionPath && m.arguments().size() == 2) {
        const QString name = m.arguments().at(1).toString();
        const bool value = name == QStringLiteral("LockedHint") ? FOwner.Locked.load() : FOwner.Active.load();
        return bus.send(m.createReply(QVariant::fromValue(QDBusVariant(value))));
      }
      return false;
    }

   private:
    FakeLogind& FOwner;
  };

  void run() override {
    {
      QDBusConnection bus = QDBusConnection::connectToBus(FAddress, kName);
      Objects objects(*this);
      bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &objects,
                                QDBusConnection::SubPath);
      bus.registerService(QStringLiteral("org.freedesktop.login1"));
      FReady.release();
      exec();
      bus.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
    }
    QDBusConnection::disconnectFromBus(kName);
  }

  QString FAddress;
  std::binary_semaphore FReady{0};
};

}  // namespace

TEST(LogindSession, ASessionThatLocksOrLosesTheSeatIsLeftAndNoLogindMeansActiveAndUnlocked) {
  test::QtApp();
  PrivateBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  test::ScopedEnv session("XDG_SESSION_ID", "1");

  {
    TLogindSession none(bus.Address());  // no one owns org.freedesktop.login1 yet
    EXPECT_FALSE(none.Found());
    EXPECT_NE(none.Why().find("logind knows no session"), std::string::npos) << none.Why();
    EXPECT_FALSE(none.Locked());
    EXPECT_TRUE(none.Active());
  }

  FakeLogind logind(QString::fromStdString(bus.Address()));
  logind.Begin();
  TLogindSession watched(bus.Address());
  ASSERT_TRUE(watched.Found()) << watched.Why();
  EXPECT_FALSE(watched.Locked());
  EXPECT_TRUE(watched.Active());
  std::vector<std::string> left;
  watched.OnLeft = [&left](const std::string& reason) { left.push_back(reason); };

  logind.Locked = true;
  logind.Changed();
  ASSERT_TRUE(test::WaitFor([&] { return left.size() == 1; }));
  EXPECT_EQ(left.back(), "locked");
  EXPECT_TRUE(watched.Locked());

  logind.Locked = false;
  logind.Active = false;
  logind.Changed();
  ASSERT_TRUE(test::WaitFor([&] { return left.size() == 2; }));
  EXPECT_EQ(left.back(), "inactive");

  // Back and unlocked: nothing to leave.
  logind.Active = true;
  logind.Changed();
  logind.Lock();  // "loginctl lock-session": the show makes way before the locker reports
  ASSERT_TRUE(test::WaitFor([&] { return left.size() >= 3; }));
  EXPECT_EQ(left, (std::vector<std::string>{"locked", "inactive", "locked"}));
}

TEST(OtherSaver, OnlyTheUsersOwnHostProcessesCount) {
  test::TempFolder proc{"vantora-proc"};
  const auto process = [&proc](const std::string& pid, const std::string& name) {
    std::filesystem::create_directories(proc.Path(pid));
    proc.WriteText(pid + "/comm", name + "\n");
  };
  process("1", "systemd");
  process("self", "xscreensaver");  // not a process number
  process("42", "xscreensaver-sy");  // its systemd helper, not the host
  EXPECT_EQ(OtherSaverRunning(proc.Path()), "");
  process("77", "mate-screensave");  // the kernel cuts names at 15 characters
  EXPECT_EQ(OtherSaverRunning(proc.Path()), "mate-screensaver");
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(proc.Path("77").c_str(), 65534, 65534), 0);
    EXPECT_EQ(OtherSaverRunning(proc.Path()), "") << "another user's host";
  }
  process("90", "xscreensaver");
  EXPECT_EQ(OtherSaverRunning(proc.Path()), "xscreensaver");
}

TEST(BlankingConflict, TheEarliestBlankingBeforeTheWaitIsNamed) {
  const std::vector<TBlanking> desktop = {{"A", 0}, {"B", 900}, {"C", 300}, {"D", 120}};
  struct Case {
    int Wait;
    std::string Named;  // empty: no warning
  };
  const Case cases[] = {{60, ""}, {120, ""}, {121, "D"}, {600, "D"}};
  for (const Case& c : cases) {
    const std::string text = BlankingConflictText(desktop, c.Wait);
    if (c.Named.empty()) {
      EXPECT_EQ(text, "") << c.Wait;
      continue;
    }
    EXPECT_NE(text.find("：" + c.Named), std::string::npos) << text;
    EXPECT_NE(text.find(" 120 秒"), std::string::npos) << text;
    EXPECT_NE(text.find(" " + std::to_string(c.Wait) + " 秒"), std::string::npos) << text;
  }
  EXPECT_EQ(BlankingConflictText({{"B", 900}, {"A", 0}}, 600), "") << "0 means never";
}

TEST(BlankingConflict, KdesScreenEnergySavingAndLockerAreReadFromItsFiles) {
  test::TempFolder config{"vantora-kde"};
  // Nothing configured: the locker's own default, 5 minutes.
  std::vector<TBlanking> kde = KdeBlanking(config.Path());
  ASSERT_EQ(kde.size(), 1u);
  EXPECT_EQ(kde[0].Seconds, 300);

  config.WriteText("kscreenlockerrc", "[Daemon]\nTimeout=15\n");
  config.WriteText("powermanagementprofilesrc",
                   "[AC][DimDisplay]\nidleTime=60000\n\n[AC][DPMSControl]\nidleTime=420\n"
                   "lockBeforeTurnOff=0\n\n[Battery][DPMSControl]\nidleTime=60\n");
  kde = KdeBlanking(config.Path());
  ASSERT_EQ(kde.size(), 2u);
  EXPECT_EQ(kde[0].Seconds, 420) << "the mains profile, not the battery's, and not the dimming";
  EXPECT_EQ(kde[1].Seconds, 900);

  config.WriteText("kscreenlockerrc", "[Daemon]\nAutolock=false\nTimeout=1\n");
  kde = KdeBlanking(config.Path());
  ASSERT_EQ(kde.size(), 1u);
  EXPECT_EQ(kde[0].Seconds, 420);
}
