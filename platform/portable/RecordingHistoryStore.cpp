#include "RecordingHistoryStore.h"

THistoryAnswer TRecordingHistoryStore::Clear() {
  ++CallCount;
  switch (Failure) {
  case TFailure::OleSysError: throw EOleSysError("Class not registered", kClassNotRegistered);
  case TFailure::IntfCastError: throw EIntfCastError("Interface not supported");
  case TFailure::NotImplemented: return {kNotImplemented, "Not implemented"};
  case TFailure::None: break;
  }
  ++ClearCount;
  return {};
}
