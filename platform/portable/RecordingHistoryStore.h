#pragma once
// The portable history store: there is no browser history here, so it only
// records how often it was cleared, and can be told to fail the way the COM
// store does.
#include <cstdint>

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

  // IHistoryStore
  THistoryAnswer Clear() override;

private:
  TFailure Failure = TFailure::None;
  uint32_t CallCount = 0;
  uint32_t ClearCount = 0;
};
