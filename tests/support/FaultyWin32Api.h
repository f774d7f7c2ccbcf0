#pragma once
// Test-only, Windows only: a call table for the platform layer that forwards
// every call to the system's and fails the calls a test chooses: the Nth call
// of a function, once or for good, with a chosen last-error code or COM
// result. It can also run an action just before a chosen call (to change the
// real cache between two calls of the platform layer), send a chosen
// function's calls to a test's own stand-in instead of the system, and counts
// every call.
//
// Its wrappers are plain functions, so its state is the process's: one
// TFaultyWin32Api may exist at a time. Its calls may come from any thread
// (the dialog reads the cache on one of its own).
#ifdef _WIN32
#include <any>
#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>

#include "Win32Api.h"

// Every member of TWin32Api, in its order (Win32Calls.def).
enum class TWin32Call : size_t {
#define NV_WIN32_CALL(name, function) name,
#include "Win32Calls.def"
  Count
};

// A member of TWin32Api declared outside the list would have no wrapper.
static_assert(sizeof(TWin32Api) == static_cast<size_t>(TWin32Call::Count) * sizeof(void (*)()),
              "every member of TWin32Api comes from Win32Calls.def");

// The call's name ("MoveFileExA"); googletest prints it in test names.
const char *NameOf(TWin32Call call);
inline void PrintTo(TWin32Call call, std::ostream *out) { *out << NameOf(call); }

// How a call fails. A failed call does not reach the system: it sets the
// last-error code to `Error` and returns the function's failure value
// (FALSE, 0, a null handle, INVALID_HANDLE_VALUE for CreateFileA, `Result`
// for COM calls, whose out pointer it nulls; GetLastError returns `Error`).
struct TWin32Fault {
  unsigned Nth = 1;                  // the call that fails, counted from 1 since the fault was set
  bool ForGood = false;              // the calls after it fail too
  DWORD Error = ERROR_ACCESS_DENIED; // the last-error code a failed call leaves
  HRESULT Result = E_FAIL;           // what a failed COM call returns
};

// The stand-in for a member of TWin32Api of type `Fn`: a function of the
// same parameters and result (TFaultyWin32Api::Replace).
template <typename Fn> struct TWin32ReplacementOf;
#ifdef _WIN64
// On x86-64 GCC drops WINAPI's stdcall attribute here, warning that it does.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#endif
template <typename R, typename... A> struct TWin32ReplacementOf<R(WINAPI *)(A...)> {
  using Type = std::function<R(A...)>;
};
#ifdef _WIN64
#pragma GCC diagnostic pop
#endif
template <typename Fn> using TWin32Replacement = typename TWin32ReplacementOf<Fn>::Type;

class TFaultyWin32Api {
public:
  // Forwards to `real`, which must outlive this object.
  explicit TFaultyWin32Api(const TWin32Api &real = TWin32Api::System());
  ~TFaultyWin32Api();
  TFaultyWin32Api(const TFaultyWin32Api &) = delete;
  TFaultyWin32Api &operator=(const TFaultyWin32Api &) = delete;

  // The table to build the platform's services on.
  const TWin32Api &Api() const { return Table; }
  const TWin32Api &Real() const { return RealApi; }

  // Makes calls of `call` fail as `fault` says, replacing an earlier fault
  // of that call; its count of calls starts again.
  void Fail(TWin32Call call, const TWin32Fault &fault);
  // Runs `action` just before the `nth` call of `call` (counted from 1 since
  // this was set), once.
  void Before(TWin32Call call, unsigned nth, std::function<void()> action);
  // Sends the calls of `call` that no fault fails to `replacement` instead
  // of the system, until Heal: a TWin32Replacement of the member's type, e.g.
  // TWin32Replacement<decltype(TWin32Api::EnumUrls)>. It runs outside the
  // table's lock and may call through the table itself.
  void Replace(TWin32Call call, std::any replacement);
  // The replacement of `call`; empty when its calls go to the system.
  std::any Replacement(TWin32Call call) const;
  // No faults, actions or replacements any more.
  void Heal();

  // Calls of `call` made through the table so far, failed ones included.
  unsigned Calls(TWin32Call call) const;
  // Calls of `call` that a fault failed.
  unsigned Failures(TWin32Call call) const;

  // For the wrappers: counts a call of `call`, runs its action when due, and
  // returns the fault that fails it, or null when it goes to the system.
  const TWin32Fault *Enter(TWin32Call call);
  // The one instance, for the wrappers.
  static TFaultyWin32Api &Active();

private:
  struct TSlot {
    unsigned Calls = 0, Failures = 0;
    bool Faulty = false;
    TWin32Fault Fault;
    unsigned FaultCalls = 0; // calls since the fault was set
    std::function<void()> Action;
    unsigned ActionAt = 0, ActionCalls = 0;
    std::any Replacement;
  };
  TSlot &Slot(TWin32Call call) { return Slots[static_cast<size_t>(call)]; }
  const TSlot &Slot(TWin32Call call) const { return Slots[static_cast<size_t>(call)]; }

  const TWin32Api &RealApi;
  TWin32Api Table;
  mutable std::mutex Lock; // guards the slots; an action runs outside it
  std::array<TSlot, static_cast<size_t>(TWin32Call::Count)> Slots;
};
#endif
