#include "screens/ShuffleCycle.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantora {
namespace {

QStringList Names(int count) {
  QStringList names;
  for (int i = 0; i < count; ++i) names << QStringLiteral("p%1.jpg").arg(i);
  return names;
}

class ShuffleCycleTest : public ::testing::Test {
 protected:
  std::string State() const { return FDir.path().toStdString(); }
  // n picks from cycle, every name existing unless gone says otherwise.
  static QStringList Take(TShuffleCycle& cycle, const QStringList& names, int n,
                          const QSet<QString>& gone = {}) {
    QStringList taken;
    for (int i = 0; i < n; ++i) {
      const std::optional<QString> next =
          cycle.Next(names, true, [&](const QString& name) { return !gone.contains(name); });
      EXPECT_TRUE(next.has_value());
      if (next) taken << *next;
    }
    return taken;
  }
  QTemporaryDir FDir;
};

TEST_F(ShuffleCycleTest, EveryPictureOnceBeforeAnyAgainAndNoRepeatAcrossTheSeam) {
  const QStringList names = Names(7);
  TShuffleCycle cycle(State(), "pics");
  QStringList previous;
  for (int round = 0; round < 8; ++round) {
    const QStringList taken = Take(cycle, names, 7);
    QStringList sorted = taken;
    sorted.sort();
    QStringList all = names;
    all.sort();
    ASSERT_EQ(sorted, all) << "cycle " << round;
    // The last of one cycle does not open the next.
    if (!previous.isEmpty()) {
      EXPECT_NE(taken.front(), previous.back());
    }
    previous = taken;
  }
}

TEST_F(ShuffleCycleTest, TheNextRunGoesOnWhereTheLastStopped) {
  const QStringList names = Names(6);
  QStringList order, first;
  {
    TShuffleCycle run(State(), "pics");
    first = Take(run, names, 4);
    order = run.Order();
  }
  TShuffleCycle next(State(), "pics");
  // The listing need not be complete to go on with a cycle under way.
  const std::optional<QString> fifth = next.Next({}, false, [](const QString&) { return true; });
  ASSERT_TRUE(fifth.has_value());
  EXPECT_EQ(*fifth, order[4]);
  EXPECT_EQ(Take(next, names, 1), QStringList{order[5]});
  EXPECT_EQ(first, order.mid(0, 4));
  EXPECT_EQ(Take(next, names, 6).size(), 6);
}

TEST_F(ShuffleCycleTest, ANewCycleStartsOnTheFirstNamesAndTakesTheLaterOnesIn) {
  const QStringList all = Names(30);
  const auto any = [](const QString&) { return true; };
  TShuffleCycle cycle(State(), "pics");
  // Nothing found yet: nothing to give, and no empty name either.
  EXPECT_FALSE(cycle.Next({}, false, any).has_value());
  QStringList taken;
  // Three names found: all three come, then the cycle waits for more
  // instead of starting another.
  for (int i = 0; i < 3; ++i) taken << cycle.Next(all.mid(0, 3), false, any).value_or("none");
  EXPECT_FALSE(cycle.Next(all.mid(0, 3), false, any).has_value());
  // The listing grows in two more batches while pictures are taken.
  for (int i = 0; i < 10; ++i) taken << cycle.Next(all.mid(0, 20), false, any).value_or("none");
  for (int i = 0; i < 17; ++i) taken << cycle.Next(all, true, any).value_or("none");
  QStringList sorted = taken, expected = all;
  sorted.sort();
  expected.sort();
  EXPECT_EQ(sorted, expected);  // each once, none left out
  EXPECT_EQ(QSet<QString>(taken.begin(), taken.begin() + 3), QSet<QString>(all.begin(), all.begin() + 3));
  // The cycle as kept holds every name: the next run resumes it whole.
  {
    TShuffleCycle resumed(State(), "pics");
    EXPECT_EQ(resumed.Order(), taken);
    EXPECT_EQ(resumed.Position(), 30);
  }
  // Used up, with the listing complete: a new cycle of all thirty.
  QStringList next = Take(cycle, all, 30);
  next.sort();
  EXPECT_EQ(next, expected);
}

TEST_F(ShuffleCycleTest, ARunThatEndsWhileItsCycleGrowsLeavesNoRepeatsToTheNext) {
  const QStringList all = Names(12);
  const auto any = [](const QString&) { return true; };
  QStringList shown;
  {
    TShuffleCycle run(State(), "pics");
    for (int i = 0; i < 2; ++i) shown << *run.Next(all.mid(0, 4), false, any);
    shown << *run.Next(all.mid(0, 8), false, any);
  }
  // The next run resumes the cycle as far as it had grown: the five of the
  // eight names found then not yet shown, before any picture comes again.
  TShuffleCycle next(State(), "pics");
  QStringList rest;
  for (int i = 0; i < 5; ++i) rest << *next.Next(all, true, any);
  QStringList together = shown + rest, eight = all.mid(0, 8);
  together.sort();
  eight.sort();
  EXPECT_EQ(together, eight);
  // The four it never had come in the cycle after.
  const QStringList after = Take(next, all, 12);
  for (const QString& name : all.mid(8)) EXPECT_TRUE(after.contains(name)) << name.toStdString();
}

TEST_F(ShuffleCycleTest, TwoFreshStartsDoNotBeginAlike) {
  const QStringList names = Names(40);
  TShuffleCycle a(State() + "/a", "pics"), b(State() + "/b", "pics");
  EXPECT_NE(Take(a, names, 5), Take(b, names, 5));
}

TEST_F(ShuffleCycleTest, AddedPicturesJoinTheNextCycleAndRemovedOnesAreSkipped) {
  QStringList names = Names(5);
  TShuffleCycle cycle(State(), "pics");
  const QStringList firstTwo = Take(cycle, names, 2);
  const QString removed = cycle.Order()[3];
  names << "new.jpg";
  const QStringList rest = Take(cycle, names, 2, {removed});
  EXPECT_FALSE(rest.contains(removed));
  EXPECT_FALSE(rest.contains("new.jpg"));
  const QStringList five = Names(5);
  EXPECT_EQ(QSet<QString>(firstTwo.begin(), firstTwo.end()) + QSet<QString>(rest.begin(), rest.end()),
            QSet<QString>(five.begin(), five.end()) - QSet<QString>{removed});
  // The next cycle holds the added picture.
  const QStringList next = Take(cycle, names, 6);
  EXPECT_TRUE(next.contains("new.jpg"));
}

TEST_F(ShuffleCycleTest, AnotherSourceDamagedStateOrNoPicturesStartAfresh) {
  const QStringList names = Names(6);
  {
    TShuffleCycle run(State(), "pics");
    Take(run, names, 2);
  }
  TShuffleCycle other(State(), "elsewhere");
  EXPECT_TRUE(other.Order().isEmpty());

  QFile position(FDir.filePath("shuffle-position"));
  ASSERT_TRUE(position.open(QIODevice::WriteOnly));
  position.write("not a position");
  position.close();
  TShuffleCycle damaged(State(), "pics");
  EXPECT_TRUE(damaged.Order().isEmpty());

  // No pictures at all: an empty name, as an empty list gives in random order.
  TShuffleCycle none(State() + "/none", "pics");
  EXPECT_EQ(none.Next({}, true, [](const QString&) { return true; }), QString());
  // Every file gone: no endless search, and no picture.
  TShuffleCycle gone(State() + "/gone", "pics");
  EXPECT_EQ(gone.Next(names, true, [](const QString&) { return false; }), QString());
}

TEST_F(ShuffleCycleTest, OddNamesSurviveTheStateFile) {
  const QStringList names = {"line\nbreak.jpg", "back\\slash.jpg", "日本/写真.jpg", "plain.jpg"};
  QStringList order;
  {
    TShuffleCycle run(State(), "pics");
    Take(run, names, 1);
    order = run.Order();
  }
  TShuffleCycle next(State(), "pics");
  EXPECT_EQ(next.Order(), order);
  EXPECT_EQ(next.Position(), 1);
}

TEST_F(ShuffleCycleTest, StateThatCannotBeWrittenKeepsTheRunGoing) {
  TShuffleCycle cycle("/proc/no-such-folder", "pics");
  EXPECT_EQ(Take(cycle, Names(3), 3).size(), 3);
}

}  // namespace
}  // namespace vantora
