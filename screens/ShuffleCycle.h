#pragma once
// Random order without repeats: the pictures in a shuffled cycle, each shown
// once before any comes again, and a cycle that the next run of the show
// resumes where this one stopped.
//
// The cycle is drawn from a random source of its own, seeded afresh at every
// start, so two runs do not begin alike and the program-wide generator stays
// with the effects. It is kept in a folder of its own (the user's state
// folder) as two files, each replaced whole and atomically:
//   "shuffle-order"     written once per cycle: the source it was drawn from
//                       (folder, subfolders, mask) and the names in order;
//   "shuffle-position"  written after every picture: the cycle's number and
//                       how many of its names have been taken.
// A cycle drawn from another source is dropped. A picture added since the
// cycle was drawn joins the next one; a name whose file has gone is skipped.
// State that cannot be read starts a new cycle and state that cannot be
// written is only kept for this run: the show goes on either way.

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

namespace vantora {

class TShuffleCycle {
 public:
  // stateFolder: where the two files live (empty: nothing is kept).
  // source: what the listing was taken from, in one line.
  TShuffleCycle(std::string stateFolder, QString source);

  // The next name of the cycle for which exists(name) holds, drawing a new
  // cycle from names when this one is used up; a new cycle is drawn only
  // from a complete listing (listingDone), and until then the answer is
  // nothing. An empty listing, or one whose files have all gone, answers an
  // empty name.
  std::optional<QString> Next(const QStringList& names, bool listingDone,
                              const std::function<bool(const QString&)>& exists);

  // The names of the cycle under way and how many are taken (tests).
  const QStringList& Order() const { return FOrder; }
  int Position() const { return FPosition; }

 private:
  void Load();
  void Draw(const QStringList& names);
  void SaveOrder();
  void SavePosition();

  std::string FFolder;
  QString FSource;
  QStringList FOrder;
  int FPosition = 0;
  std::uint64_t FId = 0;  // the cycle's number, tying a position to its order
  QString FLast;  // the name shown last, not to open the next cycle
  std::mt19937_64 FRandom;
};

}  // namespace vantora
