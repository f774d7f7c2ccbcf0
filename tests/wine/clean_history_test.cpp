// The COM history store under Wine: it clears, leaves the calling thread's
// COM state as it found it, and words its errors as the system does.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "Win32HistoryStore.h"

namespace {

// Runs `body` on a new thread, as a host's calling thread would be.
template <typename F> void OnFreshThread(F body) { std::thread(body).join(); }

} // namespace

TEST(CleanHistoryStore, ClearLeavesAnUninitialisedThreadUninitialised) {
  OnFreshThread([] {
    EXPECT_NO_THROW(TWin32HistoryStore().Clear());
    // Had COM stayed initialised as a single-threaded apartment, the thread
    // could not enter the multi-threaded one.
    const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(again, S_OK);
    if (SUCCEEDED(again)) CoUninitialize();
  });
}

TEST(CleanHistoryStore, ClearKeepsTheThreadsOwnApartment) {
  OnFreshThread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    try {
      TWin32HistoryStore().Clear();
    } catch (const EOleSysError &) {
      // Whether the object can be made here is the platform's; the apartment
      // must survive either way.
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  });
}

TEST(CleanHistoryStore, ClearOnAnApartmentThreadBalancesItsInitialisation) {
  OnFreshThread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_NO_THROW(TWin32HistoryStore().Clear());
    CoUninitialize();
    // One uninitialise undid the test's own: the thread is free again.
    const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(again, S_OK);
    if (SUCCEEDED(again)) CoUninitialize();
  });
}

TEST(CleanHistoryStore, OleErrorMessages) {
  // The system's texts, with their trailing full stop and line break cut;
  // codes it has no text for are written in eight upper-case hex digits.
  const struct {
    uint32_t Code;
    const char *Message;
  } cases[] = {
      {0x80070005u, "Access denied"}, // E_ACCESSDENIED: "Access denied.\r\n"
      {0x80004005u, "Call failed"},   // E_FAIL
      {0x8FFFABCDu, "OLE error 8FFFABCD"},
      {0x0000ABCDu, "OLE error 0000ABCD"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(TWin32HistoryStore().OleErrorMessage(static_cast<int32_t>(c.Code)), c.Message)
        << std::hex << c.Code;
}
