#ifdef _WIN32
#include "FaultyWin32Api.h"

#include <stdexcept>
#include <tuple>
#include <type_traits>

namespace {

TFaultyWin32Api *Instance = nullptr;

// What a failed call of `Id` returns; it also leaves the fault's error code.
template <TWin32Call Id, typename R, typename... A>
R FailedCall(const TFaultyWin32Api &self, const TWin32Fault &fault, A... args) {
  if constexpr (Id == TWin32Call::CoCreateInstance || Id == TWin32Call::QueryInterface ||
                Id == TWin32Call::EnumUrls) {
    // COM's rule: a failing call leaves its out pointer null.
    auto out = std::get<sizeof...(A) - 1>(std::tie(args...));
    if (out) *out = nullptr;
  }
  if constexpr (Id == TWin32Call::GetLastError) {
    return fault.Error;
  } else {
    if constexpr (Id != TWin32Call::SetLastError) self.Real().SetLastError(fault.Error);
    if constexpr (std::is_void_v<R>) {
      return;
    } else if constexpr (std::is_same_v<R, HRESULT>) {
      return fault.Result;
    } else if constexpr (Id == TWin32Call::CreateFileA) {
      return INVALID_HANDLE_VALUE;
    } else {
      return R{};
    }
  }
}

template <TWin32Call Id, auto Member, typename Fn> struct TWrapper;

template <TWin32Call Id, auto Member, typename R, typename... A>
struct TWrapper<Id, Member, R(WINAPI *)(A...)> {
  static R WINAPI Call(A... args) {
    TFaultyWin32Api &self = TFaultyWin32Api::Active();
    if (const TWin32Fault *fault = self.Enter(Id)) return FailedCall<Id, R>(self, *fault, args...);
    if (const std::any replacement = self.Replacement(Id); replacement.has_value())
      return std::any_cast<const std::function<R(A...)> &>(replacement)(args...);
    return (self.Real().*Member)(args...);
  }
};

// On x86-64 there is one calling convention and GCC drops WINAPI's stdcall
// attribute from the function types, warning that it does so where they are
// template arguments; on i686 the attribute is part of the type and kept.
#ifdef _WIN64
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#endif
template <TWin32Call Id, auto Member> constexpr auto Wrapped() {
  using TFunction = std::remove_cvref_t<decltype(std::declval<TWin32Api>().*Member)>;
  return &TWrapper<Id, Member, TFunction>::Call;
}
#ifdef _WIN64
#pragma GCC diagnostic pop
#endif

} // namespace

const char *NameOf(TWin32Call call) {
  static const char *const names[] = {
#define NV_WIN32_CALL(name, function) #name,
#include "Win32Calls.def"
  };
  return call < TWin32Call::Count ? names[static_cast<size_t>(call)] : "?";
}

TFaultyWin32Api::TFaultyWin32Api(const TWin32Api &real)
    : RealApi(real), Table{
#define NV_WIN32_CALL(name, function) .name = Wrapped<TWin32Call::name, &TWin32Api::name>(),
#include "Win32Calls.def"
                     } {
  if (Instance) throw std::logic_error("one TFaultyWin32Api at a time");
  Instance = this;
}

TFaultyWin32Api::~TFaultyWin32Api() { Instance = nullptr; }

TFaultyWin32Api &TFaultyWin32Api::Active() { return *Instance; }

unsigned TFaultyWin32Api::Calls(TWin32Call call) const {
  const std::lock_guard guard(Lock);
  return Slot(call).Calls;
}

unsigned TFaultyWin32Api::Failures(TWin32Call call) const {
  const std::lock_guard guard(Lock);
  return Slot(call).Failures;
}

void TFaultyWin32Api::Fail(TWin32Call call, const TWin32Fault &fault) {
  const std::lock_guard guard(Lock);
  TSlot &slot = Slot(call);
  slot.Faulty = true;
  slot.Fault = fault;
  slot.FaultCalls = 0;
}

void TFaultyWin32Api::Before(TWin32Call call, unsigned nth, std::function<void()> action) {
  const std::lock_guard guard(Lock);
  TSlot &slot = Slot(call);
  slot.Action = std::move(action);
  slot.ActionAt = nth;
  slot.ActionCalls = 0;
}

void TFaultyWin32Api::Replace(TWin32Call call, std::any replacement) {
  const std::lock_guard guard(Lock);
  Slot(call).Replacement = std::move(replacement);
}

std::any TFaultyWin32Api::Replacement(TWin32Call call) const {
  const std::lock_guard guard(Lock);
  return Slot(call).Replacement;
}

void TFaultyWin32Api::Heal() {
  const std::lock_guard guard(Lock);
  for (TSlot &slot : Slots) {
    slot.Faulty = false;
    slot.Action = nullptr;
    slot.Replacement.reset();
  }
}

const TWin32Fault *TFaultyWin32Api::Enter(TWin32Call call) {
  std::function<void()> action;
  {
    const std::lock_guard guard(Lock);
    TSlot &slot = Slot(call);
    ++slot.Calls;
    if (slot.Action && ++slot.ActionCalls == slot.ActionAt) action = std::move(slot.Action);
    if (action) slot.Action = nullptr;
  }
  // Outside the lock: the action may call through the table itself.
  if (action) action();
  const std::lock_guard guard(Lock);
  TSlot &slot = Slot(call);
  if (!slot.Faulty) return nullptr;
  const unsigned nth = ++slot.FaultCalls;
  if (nth < slot.Fault.Nth || (nth > slot.Fault.Nth && !slot.Fault.ForGood)) return nullptr;
  ++slot.Failures;
  return &slot.Fault;
}
#endif
