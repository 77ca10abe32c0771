#include "screens/PictureSequence.h"

namespace vantora {

TPictureSequence::TPictureSequence(QObject* context) : FLister(context) {
  FLister.OnBatch = [this](const QStringList& batch) {
    if (OnBatch) OnBatch(batch);
  };
  FLister.OnDone = [this] {
    if (OnComplete) OnComplete();
  };
}

void TPictureSequence::Start(const QString& folder, const QString& mask,
                             const TPicsSettings& pics, const std::string& stateFolder) {
  FCycle.reset();
  if (pics.NoRepeat) {
    // A cycle belongs to what it was drawn from: another folder, mask or
    // subfolder choice starts a new one.
    const QString source = folder + u'\t' + (pics.Subfolders ? u'1' : u'0') + u'\t' + mask;
    FCycle = std::make_unique<TShuffleCycle>(stateFolder, source);
  }
  FLister.Start(folder, mask, pics.Subfolders);
}

void TPictureSequence::Stop() { FLister.Stop(); }

std::optional<QString> TPictureSequence::NextUnrepeated(
    const QStringList& names, const std::function<bool(const QString&)>& exists) {
  if (!FCycle) return std::nullopt;
  return FCycle->Next(names, Complete(), exists);
}

}  // namespace vantora
