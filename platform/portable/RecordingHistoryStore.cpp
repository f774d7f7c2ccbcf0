#include "RecordingHistoryStore.h"

#include <algorithm>

std::optional<THistoryAnswer> TRecordingHistoryStore::Refusal() const {
  switch (Failure) {
  case TFailure::OleSysError: throw EOleSysError("Class not registered", kClassNotRegistered);
  case TFailure::IntfCastError: throw EIntfCastError("Interface not supported");
  case TFailure::NotImplemented: return THistoryAnswer{kNotImplemented, "Not implemented"};
  case TFailure::None: break;
  }
  return std::nullopt;
}

THistoryAnswer TRecordingHistoryStore::Clear() {
  ++CallCount;
  if (auto refused = Refusal()) return *refused;
  ++ClearCount;
  Urls.clear();
  return {};
}

THistoryAnswer
TRecordingHistoryStore::DeleteUrlsExcept(const std::function<bool(const std::string &)> &keeps) {
  ++WalkCount;
  THistoryAnswer answer;
  if (auto refused = Refusal()) answer = *refused;
  answer.Walked = true;
  if (!answer.Cleared()) return answer;
  const auto gone =
      std::remove_if(Urls.begin(), Urls.end(), [&](const std::string &url) { return !keeps(url); });
  answer.Deleted = static_cast<uint64_t>(Urls.end() - gone);
  Urls.erase(gone, Urls.end());
  answer.Left = Urls.size();
  return answer;
}
