#include "platform/IdleSource.h"

namespace vantora {

std::string TIdleSourceChoice::FailureText() const {
  std::string text;
  for (const auto& [name, why] : Failures) text += (text.empty() ? "" : "; ") + name + ": " + why;
  return text;
}

TIdleSourceChoice ChooseIdleSource(const std::vector<TIdleSourceCandidate>& candidates) {
  TIdleSourceChoice choice;
  for (const TIdleSourceCandidate& candidate : candidates) {
    std::string why;
    std::unique_ptr<TIdleSource> source = candidate.Open ? candidate.Open(why) : nullptr;
    if (source) {
      choice.Source = std::move(source);
      return choice;
    }
    choice.Failures.emplace_back(candidate.Name, why.empty() ? "not offered" : why);
  }
  return choice;
}

}  // namespace vantora
