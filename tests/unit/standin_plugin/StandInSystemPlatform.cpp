// The system platform of the plug-in library that the differential test
// loads: a stand-in platform whose URL cache is read from the file that
// NV_STANDIN_CACHE names (its history store holding the URLs of the cache's
// visited entries), and whose aftermath is written to "<file>.after"
// when the working call frees it. A test thus drives the five exports over a
// cache of its choosing, as a host drives the DLL over the real cache.
#include <cstdlib>
#include <string>
#include <utility>

#include "StandInCache.h"
#include "StandInPlatform.h"
#include "TempDir.h"

namespace {

class TFileCachePlatform : public TStandInPlatform {
public:
  TFileCachePlatform(std::string path, const TStandInCache &cache)
      : TStandInPlatform(cache.Listing), Path(std::move(path)) {
    cache.SeedInto(Cache);
    HistoryStore.Urls = cache.HistoryUrls();
  }
  TFileCachePlatform(const TFileCachePlatform &) = delete;
  TFileCachePlatform &operator=(const TFileCachePlatform &) = delete;
  // Nothing may leave a destructor: a file that cannot be written shows as
  // a missing aftermath.
  ~TFileCachePlatform() override {
    try {
      const TStandInAftermath after{Cache.Urls(), HistoryStore.Calls(), HistoryStore.Walks(),
                                    HistoryStore.Urls};
      WriteFileBytes(Path + ".after", after.Text());
    } catch (...) {
    }
  }

private:
  const std::string Path;
};

} // namespace

std::unique_ptr<IPlatform> CreateSystemPlatform() {
  const char *path = std::getenv(kStandInCacheVariable);
  if (!path) return std::make_unique<TStandInPlatform>();
  return std::make_unique<TFileCachePlatform>(path, TStandInCache::Parse(ReadFileBytes(path)));
}
