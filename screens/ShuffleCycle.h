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
//
// A new cycle does not wait for a large library to be listed: it is drawn
// from the names found so far, and names found later join it among the
// pictures not yet shown (those are shuffled again with them), so the cycle
// still holds every picture once. It is written again once the listing is
// complete; a run that ends before leaves the cycle as far as it grew, and
// the pictures it missed join the next one.
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
  // cycle from names when this one is used up. names is the listing so far,
  // in the order it was found (later calls pass it grown, never reordered);
  // listingDone tells whether it is complete. The answer is nothing while
  // there is no name to give yet: no names found so far, or a cycle drawn
  // from an incomplete listing whose names are all shown and which waits for
  // more. An empty complete listing, or one whose files have all gone,
  // answers an empty name.
  std::optional<QString> Next(const QStringList& names, bool listingDone,
                              const std::function<bool(const QString&)>& exists);

  // The names of the cycle under way and how many are taken (tests).
  const QStringList& Order();
  int Position() const { return FPosition; }

 private:
  void Load();
  void Draw(const QStringList& names, bool listingDone);
  // Names the listing found since the cycle was drawn join its rest.
  void Grow(const QStringList& names, bool listingDone);
  void KeepLastOutOfTheFront();
  // The cycle's names: as read from its state, or FOrder once it changed.
  int Count() const;
  QString NameAt(int i);
  void Unpack();  // the stored names into FOrder
  void SaveOrder();
  void SavePosition();

  std::string FFolder;
  QString FSource;
  QStringList FOrder;
  // A cycle read from its state keeps its names as stored (FStoredCount
  // escaped lines of FStoredText) until it changes; FOrder is empty
  // meanwhile. Names are read in order: FStoredAt is where line
  // FStoredLine starts.
  std::string FStoredText;
  int FStoredCount = 0;
  int FStoredLine = 0;
  std::size_t FStoredAt = 0;
  int FPosition = 0;
  std::uint64_t FId = 0;  // the cycle's number, tying a position to its order
  QString FLast;  // the name shown last, not to open the next cycle
  // The cycle was drawn from an incomplete listing: names[FTaken..] of the
  // listing are not in it yet.
  bool FGrowing = false;
  qsizetype FTaken = 0;
  std::mt19937_64 FRandom;
};

}  // namespace vantora
