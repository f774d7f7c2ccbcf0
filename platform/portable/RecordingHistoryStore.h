#pragma once
// The portable history store: there is no browser history here, so it
// holds the URLs it is given, records how often it was cleared or walked,
// and can be told to fail the way the COM store does.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HistoryStore.h"

class TRecordingHistoryStore : public IHistoryStore {
public:
  // How the next clears fail.
  enum class TFailure {
    None,           // clears succeed
    OleSysError,    // EOleSysError, as when the history object cannot be created
    IntfCastError,  // EIntfCastError, as when it lacks IUrlHistoryStg2
    NotImplemented, // the store answers E_NOTIMPL, as Wine's does
  };

  // The result code a NotImplemented answer carries (E_NOTIMPL).
  static constexpr int32_t kNotImplemented = static_cast<int32_t>(0x80004001u);

  // The result code an OleSysError failure carries (REGDB_E_CLASSNOTREG).
  static constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154u);

  // Every later Clear fails as `failure` says (None: succeeds again).
  void FailWith(TFailure failure) { Failure = failure; }

  // Clear calls made, failed ones included.
  uint32_t Calls() const { return CallCount; }
  // Clear calls that emptied the store (answered 0).
  uint32_t Clears() const { return ClearCount; }

  // DeleteUrlsExcept calls made, failed ones included.
  uint32_t Walks() const { return WalkCount; }

  // The URLs the store holds: a clear empties them, a walk deletes those
  // not kept.
  std::vector<std::string> Urls;

  // IHistoryStore
  THistoryAnswer Clear() override;
  THistoryAnswer DeleteUrlsExcept(const std::function<bool(const std::string &)> &keeps) override;

private:
  // Raises or answers as `Failure` says; none when the call goes ahead.
  std::optional<THistoryAnswer> Refusal() const;

  TFailure Failure = TFailure::None;
  uint32_t CallCount = 0;
  uint32_t ClearCount = 0;
  uint32_t WalkCount = 0;
};
