#pragma once
// Reading the URL cache off the dialog's thread: a worker reads every
// category into snapshots and hands the ones that changed to the dialog's
// thread, so that the dialog never waits on the platform's enumeration.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CacheSnapshot.h"
#include "UrlCache.h"

// The thread that runs the dialog's message loop, as other threads see it.
class IDialogThread {
public:
  virtual ~IDialogThread() = default;
  // Runs `work` on the dialog's thread soon, after the work posted before
  // it. Callable from any thread. Work not yet run when the dialog goes is
  // dropped.
  virtual void Post(std::function<void()> work) = 0;
};

// What a reader tells the dialog; called on the dialog's thread only.
class ICacheReadSink {
public:
  virtual ~ICacheReadSink() = default;
  // `category`'s entries as a read met them, when they differ from those
  // handed over before (always, the first time). `entries` holds that
  // category only and is never changed again.
  virtual void CategoryRead(TCategory category, std::shared_ptr<const TCacheSnapshot> entries) = 0;
  // The read that served requests up to `request` has ended: every category
  // that changed has been handed over.
  virtual void ReadEnded(uint64_t request) = 0;
  // A read failed with `message` (out of memory); it ends as well.
  virtual void ReadFailed(const std::string &message) = 0;
};

class ICacheReader {
public:
  virtual ~ICacheReader() = default;
  // Asks for every category to be read again; returns the request's number,
  // counting from 1. Never two reads at once: a request made during a read
  // is served by one more read after it, together with any other request
  // made meanwhile.
  virtual uint64_t Request() = 0;
  // The dialog handles the user's input from Hold until Release (they nest):
  // a read under way waits between two entries meanwhile, leaving the
  // processor and the platform to the dialog.
  virtual void Hold() = 0;
  virtual void Release() = 0;
};

// How long requests must pause before a read after the first starts: a
// burst of keystrokes is served by one read once it ends, and no read takes
// the platform's time from the dialog while the user types.
constexpr std::chrono::milliseconds kTypingPause{300};

// A reader with a worker thread of its own. Reads nothing until asked; the
// first request is served at once, later ones once requests have paused for
// `pause`.
class TBackgroundReader : public ICacheReader {
public:
  // `cache` is read on the worker only; what is read reaches `sink` through
  // `dialogThread`. All three must outlive the reader.
  TBackgroundReader(IUrlCache &cache, IDialogThread &dialogThread, ICacheReadSink &sink,
                    std::chrono::milliseconds pause = kTypingPause);
  // Stops the reader.
  ~TBackgroundReader() override;
  TBackgroundReader(const TBackgroundReader &) = delete;
  TBackgroundReader &operator=(const TBackgroundReader &) = delete;

  uint64_t Request() override;
  void Hold() override { ++Holds; }
  void Release() override { --Holds; }

  // Cancels the read in progress (between two entries), drops the requests
  // not yet served and joins the worker. Nothing is posted after it returns.
  void Stop();

private:
  void Work() noexcept;
  // Waits, holding `guard`, until requests have paused; false when stopped.
  bool AwaitPause(std::unique_lock<std::mutex> &guard);
  // One read of every category; false when it was cancelled.
  bool ReadAll(uint64_t request);
  // Asked between two entries: waits while the dialog holds the read, and
  // says whether the read is cancelled.
  bool HeldOrCancelled();
  // Hands over `entries`, which holds `category` alone, when it differs
  // from what was handed over last.
  void DeliverChanged(TCategory category, TCacheSnapshot entries);
  void Deliver(TCategory category, std::shared_ptr<const TCacheSnapshot> entries);

  IUrlCache &Cache;
  IDialogThread &DialogThread;
  ICacheReadSink &Sink;
  const std::chrono::milliseconds Pause;

  std::mutex Lock;
  std::condition_variable Wake;
  uint64_t Requested = 0; // guarded by Lock
  bool Stopping = false;  // guarded by Lock
  std::atomic<bool> Cancelled{false};
  std::atomic<int> Holds{0};

  // What the worker handed over last, per category (worker only).
  TCategorySnapshots Delivered;

  std::thread Worker; // last: starts once everything above exists
};
