#include "screens/PictureSequence.h"

#include <algorithm>

#include <QMetaObject>

namespace vantora {

TPictureLibrary::TPictureLibrary() : FLister(&FContext) {
  FLister.OnBatch = [this](const QStringList& batch) {
    FNames += batch;
    CatchUp();
  };
  FLister.OnDone = [this] {
    FComplete = true;
    CatchUp();
  };
}

TPictureLibrary::~TPictureLibrary() { FLister.Stop(); }

void TPictureLibrary::Join(TPictureSequence* sequence, const QString& folder,
                           const QString& mask, const TPicsSettings& pics,
                           const std::string& stateFolder) {
  const QString source = folder + u'\t' + (pics.Subfolders ? u'1' : u'0') + u'\t' + mask;
  if (FSource.isEmpty() || source != FSource || sequence->FRun == FRun) {
    // A new listing; windows still on the one before keep what they had.
    ++FRun;
    ++FListings;
    FSource = source;
    FNames.clear();
    FComplete = false;
    // A cycle belongs to what it was drawn from: another folder, mask or
    // subfolder choice starts a new one. It is read afresh from its state
    // with every listing, so it never counts on an order of names it did
    // not see from the start.
    FCycle.reset();
    FLister.Start(folder, mask, pics.Subfolders);
  }
  if (pics.NoRepeat && !FCycle) FCycle = std::make_unique<TShuffleCycle>(stateFolder, source);
  sequence->FRun = FRun;
  sequence->FHanded = 0;
  sequence->FToldComplete = false;
  sequence->FNoRepeat = pics.NoRepeat;
  sequence->FSource = source;
  if (std::find(FMembers.begin(), FMembers.end(), sequence) == FMembers.end())
    FMembers.push_back(sequence);
  // What others found before this window joined comes to it as a batch, in
  // its own turn of the event loop, as a listing's first batch would.
  if (!FNames.isEmpty() || FComplete) CatchUpLater();
}

void TPictureLibrary::Leave(TPictureSequence* sequence) {
  std::erase(FMembers, sequence);
  sequence->FRun = 0;
  // The last window of a listing let it go: the rest of it is dropped, and
  // the next window to join lists afresh, as every activation of a single
  // window does.
  const bool held = std::any_of(FMembers.begin(), FMembers.end(),
                                [this](const TPictureSequence* s) { return s->FRun == FRun; });
  if (!held) {
    FLister.Stop();
    FSource.clear();
  }
}

void TPictureLibrary::CatchUpLater() {
  if (std::exchange(FCatchUpDue, true)) return;
  QMetaObject::invokeMethod(
      &FContext,
      [this] {
        FCatchUpDue = false;
        CatchUp();
      },
      Qt::QueuedConnection);
}

void TPictureLibrary::CatchUp() {
  // A handler may stop or start a sequence: walk a copy, checking each
  // member is still there and still on this listing.
  const std::vector<TPictureSequence*> members = FMembers;
  for (TPictureSequence* s : members) {
    if (std::find(FMembers.begin(), FMembers.end(), s) == FMembers.end()) continue;
    const unsigned run = FRun;
    if (s->FRun != run) continue;
    if (s->FHanded < FNames.size()) {
      const QStringList batch = FNames.mid(s->FHanded);
      s->FHanded = FNames.size();
      if (s->OnBatch) s->OnBatch(batch);
    }
    if (FComplete && s->FRun == run && s->FHanded == FNames.size() && !s->FToldComplete) {
      s->FToldComplete = true;
      if (s->OnComplete) s->OnComplete();
    }
  }
}

std::optional<QString> TPictureLibrary::NextUnrepeated(
    const std::function<bool(const QString&)>& exists) {
  if (!FCycle) return std::nullopt;
  return FCycle->Next(FNames, FComplete, exists);
}

TPictureSequence::TPictureSequence(std::shared_ptr<TPictureLibrary> library)
    : FLibrary(library ? std::move(library) : std::make_shared<TPictureLibrary>()) {}

TPictureSequence::~TPictureSequence() { Stop(); }

void TPictureSequence::Start(const QString& folder, const QString& mask,
                             const TPicsSettings& pics, const std::string& stateFolder) {
  FLibrary->Join(this, folder, mask, pics, stateFolder);
}

void TPictureSequence::Stop() { FLibrary->Leave(this); }

void TPictureSequence::Hold() {
  if (FRun != 0 && FRun == FLibrary->FRun) FLibrary->FLister.Hold();
}

void TPictureSequence::GoOn(bool waiting) {
  if (FRun != 0 && FRun == FLibrary->FRun) FLibrary->FLister.GoOn(waiting);
}

bool TPictureSequence::Complete() const {
  return FRun == 0 || FRun != FLibrary->FRun || FToldComplete;
}

std::optional<QString> TPictureSequence::NextUnrepeated(
    const std::function<bool(const QString&)>& exists) {
  // A window left on an earlier listing of the same folder (another window
  // was activated again and lists it afresh) goes on with the cycle they
  // share: waiting for a listing it is no longer part of, its screen would
  // keep its picture until its own next activation.
  if (!NoRepeat() || (FRun != FLibrary->FRun && FSource != FLibrary->FSource))
    return std::nullopt;
  return FLibrary->NextUnrepeated(exists);
}

}  // namespace vantora
