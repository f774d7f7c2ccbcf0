#include "CacheReader.h"

#include <exception>
#include <utility>

TBackgroundReader::TBackgroundReader(IUrlCache &cache, IDialogThread &dialogThread,
                                     ICacheReadSink &sink, std::chrono::milliseconds pause)
    : Cache(cache), DialogThread(dialogThread), Sink(sink), Pause(pause),
      Worker([this] { Work(); }) {}

TBackgroundReader::~TBackgroundReader() { Stop(); }

uint64_t TBackgroundReader::Request() {
  uint64_t request;
  {
    const std::lock_guard guard(Lock);
    request = ++Requested;
  }
  Wake.notify_one();
  return request;
}

void TBackgroundReader::Stop() {
  {
    const std::lock_guard guard(Lock);
    Stopping = true;
  }
  Cancelled = true;
  Wake.notify_one();
  if (Worker.joinable()) Worker.join();
}

// The worker: waits for a request, reads, and goes on until stopped. Nothing
// may leave a thread's function, so a failure is reported to the dialog and
// the worker waits for the next request.
void TBackgroundReader::Work() noexcept {
  uint64_t served = 0;
  for (;;) {
    uint64_t request;
    {
      std::unique_lock guard(Lock);
      Wake.wait(guard, [&] { return Stopping || Requested > served; });
      if (served > 0 && !AwaitPause(guard)) return;
      if (Stopping) return;
      request = Requested;
    }
    try {
      if (!ReadAll(request)) return;
    } catch (const std::exception &failure) {
      try {
        DialogThread.Post([&sink = Sink, message = std::string(failure.what()), request] {
          sink.ReadFailed(message);
          sink.ReadEnded(request);
        });
      } catch (...) {
        return; // not even the report can be posted: no more reads
      }
    }
    served = request;
  }
}

bool TBackgroundReader::AwaitPause(std::unique_lock<std::mutex> &guard) {
  for (;;) {
    const uint64_t seen = Requested;
    const bool interrupted =
        Wake.wait_for(guard, Pause, [&] { return Stopping || Requested != seen; });
    if (Stopping) return false;
    if (!interrupted) return true;
  }
}

bool TBackgroundReader::ReadAll(uint64_t request) {
  const TCacheSnapshot::TCancelled cancelled = [this] { return HeldOrCancelled(); };
  // The small lists fill as soon as the content's enumeration has passed
  // their entries. What was handed over before lends its texts to the
  // entries met again, so that a read of an unchanged cache copies none.
  const TCategoryRead deliver = [this](TCategory category, TCacheSnapshot entries) {
    DeliverChanged(category, std::move(entries));
  };
  if (!ReadCategories(Cache, {kReadOrder.begin(), kReadOrder.end()}, deliver, cancelled, deliver,
                      &Delivered))
    return false;
  DialogThread.Post([&sink = Sink, request] { sink.ReadEnded(request); });
  return true;
}

bool TBackgroundReader::HeldOrCancelled() {
  // The dialog's input takes a few milliseconds: waiting a millisecond at a
  // time costs the read little and the dialog nothing.
  while (Holds.load() > 0 && !Cancelled.load())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return Cancelled.load();
}

void TBackgroundReader::DeliverChanged(TCategory category, TCacheSnapshot entries) {
  std::shared_ptr<const TCacheSnapshot> &last = Delivered[static_cast<size_t>(category)];
  if (last && last->SameAs(entries, category)) return;
  last = std::make_shared<const TCacheSnapshot>(std::move(entries));
  Deliver(category, last);
}

void TBackgroundReader::Deliver(TCategory category, std::shared_ptr<const TCacheSnapshot> entries) {
  DialogThread.Post([&sink = Sink, category, entries = std::move(entries)] {
    sink.CategoryRead(category, entries);
  });
}
