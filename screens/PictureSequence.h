#pragma once
// Where the show's pictures come from and, in random order without repeats,
// which comes next: the listing of the picture folder (or tree), taken on a
// thread of its own and handed over in batches as it grows, and the shuffled
// cycle that the next run resumes.
//
// The show keeps the picture list itself (Memo1); this unit tells it what to
// add and whether the list is complete. In list order the show may go on as
// soon as the first names are there, since later batches only add names
// behind them; a draw Random(PicCount) needs the whole list, and so does a
// new shuffled cycle.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/FolderLister.h"
#include "screens/ShuffleCycle.h"
#include "settings/PicsSettings.h"

namespace vantora {

class TPictureSequence {
 public:
  explicit TPictureSequence(QObject* context);

  // Starts listing folder with mask, with the options of "pics" (subfolders,
  // norepeat); stateFolder is where the shuffled cycle is kept. A listing
  // under way is dropped.
  void Start(const QString& folder, const QString& mask, const TPicsSettings& pics,
             const std::string& stateFolder);
  // Drops the listing under way.
  void Stop();

  // Names found, in their final order, in the thread of the context.
  std::function<void(const QStringList& batch)> OnBatch;
  // The listing is complete (also when it found nothing).
  std::function<void()> OnComplete;

  bool Complete() const { return !FLister.Listing(); }
  bool NoRepeat() const { return FCycle != nullptr; }

  // With norepeat: the next name of the cycle whose file exists, or
  // nothing while a new cycle must wait for the whole list; an empty name
  // when there are no pictures.
  std::optional<QString> NextUnrepeated(const QStringList& names,
                                        const std::function<bool(const QString&)>& exists);

 private:
  TFolderLister FLister;
  std::unique_ptr<TShuffleCycle> FCycle;
};

}  // namespace vantora
