#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Daemon.h"
#include "platform/IdleSource.h"

using namespace vantora;

namespace {

using TLines = std::vector<std::string>;

// An idle source the test drives by hand.
class FakeSource : public TIdleSource {
 public:
  std::string Name() const override { return "fake"; }
  void Watch(int timeoutMs) override { Watches.push_back(timeoutMs); }
  void Idle() { DoIdle(); }
  void Active() { DoActive(); }
  void Lose() { DoLost("gone"); }
  std::vector<int> Watches;
};

class FakeShow : public TShowProcess {
 public:
  bool Start(std::string& why) override {
    if (!Startable) {
      why = "cannot";
      return false;
    }
    ++Starts;
    Running = true;
    return true;
  }
  void Stop() override { ++Stops; }
  // The process ends (after Stop, or by itself).
  void End(bool normal = true, int status = 0) {
    Running = false;
    OnEnded(normal, status);
  }
  bool Startable = true;
  bool Running = false;
  int Starts = 0;
  int Stops = 0;
};

class Daemon : public ::testing::Test {
 protected:
  void SetUp() override {
    D.WaitSeconds = [this] { return Wait; };
    D.WhyNoShow = [this] { return NoShow; };
    D.OnLog = [this](const std::string& line) { Log.push_back(line); };
    D.OnFinished = [this](int status) { Finished.push_back(status); };
    D.OnError = [this](const std::string& text) { Errors.push_back(text); };
    D.Begin();
  }
  // The log since the last call.
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    lines.swap(Log);
    return lines;
  }

  FakeSource Source;
  FakeShow Show;
  TDaemon D{Source, Show};
  int Wait = 3;
  std::string NoShow;
  std::vector<std::string> Log;
  std::vector<int> Finished;
  std::vector<std::string> Errors;
};

}  // namespace

TEST_F(Daemon, ShowsWhenIdleEndsOnActivityAndWaitsAgainWithTheNewWait) {
  EXPECT_EQ(Lines(), (TLines{"idle source: fake", "waiting for 3 s without input"}));
  EXPECT_EQ(Source.Watches, (std::vector<int>{3000}));

  Source.Idle();
  EXPECT_EQ(Show.Starts, 1);
  EXPECT_EQ(D.State(), TDaemon::dsShowing);
  EXPECT_EQ(Lines(), (TLines{"show started"}));

  Wait = 7;  // the setting changed while the show ran
  Source.Active();
  EXPECT_EQ(Show.Stops, 1);
  EXPECT_EQ(D.State(), TDaemon::dsEnding);
  Source.Idle();  // a stale idle while the show ends starts nothing
  EXPECT_EQ(Show.Starts, 1);
  Show.End();
  EXPECT_EQ(Lines(), (TLines{"show ended: activity", "waiting for 7 s without input"}));
  EXPECT_EQ(Source.Watches, (std::vector<int>{3000, 7000}));

  Source.Idle();
  EXPECT_EQ(Show.Starts, 2);
  EXPECT_TRUE(Finished.empty());
}

TEST_F(Daemon, AShowThatEndsByItselfIsNotRestartedBeforeTheUserIsBackAndIdleAgain) {
  Source.Idle();
  Show.End(true, 0);  // a key reached the show
  EXPECT_EQ(D.State(), TDaemon::dsIdle);
  Source.Idle();
  EXPECT_EQ(Show.Starts, 1);
  Source.Active();
  EXPECT_EQ(D.State(), TDaemon::dsWaiting);
  Source.Idle();
  EXPECT_EQ(Show.Starts, 2);
  Show.End(false, 15);  // crashed
  EXPECT_EQ(Lines(), (TLines{"idle source: fake", "waiting for 3 s without input", "show started",
                            "show ended: input", "waiting for 3 s without input", "show started",
                            "show ended: error (status 15)"}));
  EXPECT_EQ(D.State(), TDaemon::dsIdle);
}

TEST_F(Daemon, NoShowWhileTheSessionSaysNo) {
  for (const char* why : {"session locked", "idle inhibited", "xscreensaver runs"}) {
    NoShow = why;
    Source.Idle();
    EXPECT_EQ(Show.Starts, 0) << why;
    EXPECT_EQ(Lines().back(), std::string("no show: ") + why);
    Source.Active();
    EXPECT_EQ(D.State(), TDaemon::dsWaiting);
  }
  NoShow.clear();
  EXPECT_TRUE(Errors.empty()) << "held back is no error";
  Show.Startable = false;
  Source.Idle();
  EXPECT_EQ(Lines().back(), "no show: cannot");
  EXPECT_EQ(Errors, (TLines{"cannot"}));
  EXPECT_EQ(D.State(), TDaemon::dsIdle);
}

TEST_F(Daemon, LockingOrSwitchingAwayEndsTheShowAndTheNextInputStartsANewWait) {
  D.SessionLeft("locked");  // no show: nothing to end
  EXPECT_EQ(Show.Stops, 0);
  Source.Idle();
  Lines();
  D.SessionLeft("locked");
  EXPECT_EQ(Show.Stops, 1);
  Show.End();
  EXPECT_EQ(Lines(), (TLines{"show ended: locked"}));
  EXPECT_EQ(D.State(), TDaemon::dsIdle);
  Source.Active();  // the password typed into the locker
  EXPECT_EQ(D.State(), TDaemon::dsWaiting);
}

TEST_F(Daemon, ASignalEndsTheShowFirstThenTheDaemon) {
  Source.Idle();
  Lines();
  D.Quit("signal");
  EXPECT_EQ(Show.Stops, 1);
  EXPECT_TRUE(Finished.empty()) << "not before the show is gone";
  Source.Active();  // the show's end does not start a new wait
  Show.End(false, 15);
  EXPECT_EQ(Lines(), (TLines{"show ended: signal"}));
  EXPECT_EQ(Finished, (std::vector<int>{0}));
  EXPECT_EQ(Source.Watches.size(), 1u);
}

TEST_F(Daemon, ASignalWhileWaitingOrWhileTheShowEndsFinishes) {
  D.Quit("signal");
  EXPECT_EQ(Finished, (std::vector<int>{0}));
  EXPECT_EQ(Show.Stops, 0);
}

TEST_F(Daemon, ASignalWhileTheShowIsEndingWaitsForIt) {
  Source.Idle();
  Source.Active();
  D.Quit("signal");
  EXPECT_EQ(Show.Stops, 1) << "asked once";
  EXPECT_TRUE(Finished.empty());
  Show.End();
  EXPECT_EQ(Finished, (std::vector<int>{0}));
  EXPECT_EQ(Lines().back(), "show ended: signal");
}

TEST_F(Daemon, ALostSourceEndsTheShowAndTheDaemonWithStatus1) {
  Source.Idle();
  Source.Lose();
  EXPECT_EQ(Errors, (TLines{"idle source lost: gone"}));
  EXPECT_EQ(Show.Stops, 1);
  Show.End();
  EXPECT_EQ(Finished, (std::vector<int>{1}));
}

TEST(IdleSourceChoice, TheFirstThatOpensWinsAndEveryEarlierFailureIsKept) {
  int opened = 0;
  const auto fails = [&opened](const std::string& reason) {
    return [&opened, reason](std::string& why) -> std::unique_ptr<TIdleSource> {
      ++opened;
      why = reason;
      return nullptr;
    };
  };
  const auto works = [&opened](std::string&) -> std::unique_ptr<TIdleSource> {
    ++opened;
    return std::make_unique<FakeSource>();
  };
  TIdleSourceChoice choice = ChooseIdleSource(
      {{"a", fails("no a")}, {"b", fails("")}, {"c", works}, {"d", works}});
  ASSERT_NE(choice.Source, nullptr);
  EXPECT_EQ(opened, 3) << "d is never opened";
  EXPECT_EQ(choice.FailureText(), "a: no a; b: not offered");

  choice = ChooseIdleSource({{"a", fails("no a")}, {"b", fails("no b")}});
  EXPECT_EQ(choice.Source, nullptr);
  EXPECT_EQ(choice.FailureText(), "a: no a; b: no b");
}

TEST_F(Daemon, AHeldBackShowStartsWhenTheSessionAllowsItAgainWithoutInput) {
  // The daemon's retry timer follows Held() on each line written.
  std::vector<bool> heldAtLine;
  D.OnLog = [&](const std::string&) { heldAtLine.push_back(D.Held()); };
  NoShow = "idle inhibited";
  Source.Idle();
  EXPECT_TRUE(D.Held());
  EXPECT_EQ(heldAtLine, (std::vector<bool>{true}));
  D.Retry();  // the film still runs
  EXPECT_EQ(Show.Starts, 0);
  EXPECT_TRUE(D.Held());
  NoShow.clear();
  D.Retry();
  EXPECT_EQ(Show.Starts, 1);
  EXPECT_FALSE(D.Held());

  // A show that ended by itself is not held back: the user is there.
  Show.End();
  EXPECT_FALSE(D.Held());
  D.Retry();
  EXPECT_EQ(Show.Starts, 1);
}
