#pragma once
// Where the show's pictures come from and, in random order without repeats,
// which comes next: the listing of the picture folder (or tree), taken on a
// thread of its own and handed over in batches as it grows, and the shuffled
// cycle that the next run resumes.
//
// The show keeps the picture list itself (Memo1); this unit tells it what to
// add and whether the list is complete. In list order the show may go on as
// soon as the first names are there, since later batches only add names
// behind them; a draw Random(PicCount) needs the whole list. A shuffled
// cycle starts on the names found so far and takes the later ones in.
//
// The show windows of several screens share one TPictureLibrary: the tree
// is listed once for all of them, and they take their pictures from one
// cycle, so no screen shows a picture another has shown before all are
// shown, and only one of them keeps the cycle's state. Each window holds a
// TPictureSequence on it, which hands it the names as they come.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/FolderLister.h"
#include "screens/ShuffleCycle.h"
#include "settings/PicsSettings.h"

namespace vantora {

class TPictureSequence;

// The listing and the shuffled cycle, shared by the sequences of the show
// windows that take pictures from one folder. Window thread only.
class TPictureLibrary {
 public:
  TPictureLibrary();
  ~TPictureLibrary();
  TPictureLibrary(const TPictureLibrary&) = delete;
  TPictureLibrary& operator=(const TPictureLibrary&) = delete;

  // Listings started so far (tests: several windows list once).
  int Listings() const { return FListings; }

 private:
  friend class TPictureSequence;

  // sequence takes part in the listing of folder with mask and the "pics"
  // options: it joins the one under way for the same source, unless it has
  // had that one already (a new activation wants a new listing); otherwise
  // a new listing starts.
  void Join(TPictureSequence* sequence, const QString& folder, const QString& mask,
            const TPicsSettings& pics, const std::string& stateFolder);
  void Leave(TPictureSequence* sequence);
  // Hands each sequence of the current listing the names it has not had yet,
  // and the end of the listing once it has them all.
  void CatchUp();
  void CatchUpLater();
  std::optional<QString> NextUnrepeated(const std::function<bool(const QString&)>& exists);

  QObject FContext;  // the thread the batches are handed over in
  TFolderLister FLister;
  QString FSource;  // folder, subfolders and mask of the current listing
  unsigned FRun = 0;  // number of the current listing; 0: none
  QStringList FNames;  // found so far, in their final order
  bool FComplete = false;
  int FListings = 0;
  std::unique_ptr<TShuffleCycle> FCycle;
  std::vector<TPictureSequence*> FMembers;
  bool FCatchUpDue = false;
};

// One window's part in a library: the names handed to it and whether its
// listing is complete.
class TPictureSequence {
 public:
  // library: shared with other windows; null: one of its own.
  explicit TPictureSequence(std::shared_ptr<TPictureLibrary> library = nullptr);
  ~TPictureSequence();
  TPictureSequence(const TPictureSequence&) = delete;
  TPictureSequence& operator=(const TPictureSequence&) = delete;

  // Starts listing folder with mask, with the options of "pics" (subfolders,
  // norepeat); stateFolder is where the shuffled cycle is kept. The window
  // is handed every name of the listing from the first on, also when it
  // joins a listing that another window started.
  void Start(const QString& folder, const QString& mask, const TPicsSettings& pics,
             const std::string& stateFolder);
  // This window wants no more names.
  void Stop();
  // While the window's first picture is decoded and its transition
  // prepared, the walk of a large tree holds, so it takes nothing from
  // them: the window lets it go on once that picture is on screen, or at
  // once when it waits for more names (waiting), in which case the walk
  // runs at full speed.
  void Hold();
  void GoOn(bool waiting);

  // Names found, in their final order, in the window's thread.
  std::function<void(const QStringList& batch)> OnBatch;
  // The listing is complete (also when it found nothing).
  std::function<void()> OnComplete;

  // Whether the window has every name of its listing (or wants no more).
  bool Complete() const;
  bool NoRepeat() const { return FNoRepeat && FRun != 0; }

  // With norepeat: the next name of the cycle whose file exists, or
  // nothing while no name can be given yet (none found so far, or every
  // name found so far shown in a cycle that is still growing); an empty
  // name when there are no pictures.
  std::optional<QString> NextUnrepeated(const std::function<bool(const QString&)>& exists);

 private:
  friend class TPictureLibrary;
  std::shared_ptr<TPictureLibrary> FLibrary;
  unsigned FRun = 0;  // the listing joined; 0: none
  qsizetype FHanded = 0;  // names of it handed to the window so far
  bool FToldComplete = false;
  bool FNoRepeat = false;
  QString FSource;  // what the listing joined was taken from
};

}  // namespace vantora
