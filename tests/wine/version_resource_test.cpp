// The version resource of the shipped binaries, read back under Wine the way
// a file's Properties page reads it: GetFileVersionInfoA, then VerQueryValueA
// for the fixed part, the translation and each string.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "NvVersion.h"

namespace {

// The folder of the shipped files: NV_SHIPPED_DIR when set (the other
// architecture's build, whose programs may not run on this machine), else
// the folder of this test program, where the build puts the binaries too.
std::string ShippedFolder() {
  if (const char *folder = std::getenv("NV_SHIPPED_DIR"); folder && *folder)
    return std::string(folder) + "\\";
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// One file's version resource.
class TVersionInfo {
public:
  explicit TVersionInfo(const std::string &path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    Data.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, Data.data())) Data.clear();
  }

  bool Present() const { return !Data.empty(); }

  const VS_FIXEDFILEINFO *Fixed() const {
    return static_cast<const VS_FIXEDFILEINFO *>(Query("\\").first);
  }

  // The first translation: language in the low word, code page in the high.
  uint32_t Translation() const {
    const auto [value, size] = Query("\\VarFileInfo\\Translation");
    if (!value || size < sizeof(uint32_t)) return 0;
    return *static_cast<const uint32_t *>(value);
  }

  // The string `key` of the block of the first translation; empty if absent.
  std::string String(const char *key) const {
    const uint32_t translation = Translation();
    char block[80];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\%s",
                  static_cast<unsigned>(translation & 0xFFFF),
                  static_cast<unsigned>(translation >> 16), key);
    const auto [value, size] = Query(block);
    if (!value || size == 0) return {};
    return std::string(static_cast<const char *>(value));
  }

private:
  std::pair<const void *, UINT> Query(const char *path) const {
    void *value = nullptr;
    UINT size = 0;
    if (!Present() || !VerQueryValueA(Data.data(), path, &value, &size)) return {nullptr, 0};
    return {value, size};
  }

  std::vector<char> Data;
};

struct TShippedFile {
  const char *Name;
  const char *Description;
  DWORD FileType;
};

const TShippedFile kShippedFiles[] = {
    {NV_PLUGIN_DLL, "IE Norvane plug-in for Norvane", VFT_DLL},
    {NV_CLI_EXE, "IE Norvane command line", VFT_APP},
};

TEST(VersionResource, HeaderCarriesTheBuildsVersion) {
  EXPECT_STREQ(NV_VERSION_STRING, NV_EXPECTED_VERSION);
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%d.%d.%d", NV_VERSION_MAJOR, NV_VERSION_MINOR,
                NV_VERSION_PATCH);
  EXPECT_STREQ(numbers, NV_EXPECTED_VERSION);
}

TEST(VersionResource, EachShippedFileNamesTheRelease) {
  for (const TShippedFile &file : kShippedFiles) {
    SCOPED_TRACE(file.Name);
    const TVersionInfo info(ShippedFolder() + file.Name);
    ASSERT_TRUE(info.Present()) << "no version resource, error " << GetLastError();
    EXPECT_EQ(info.Translation(), 0x04B00409u) << "U.S. English, Unicode";
    EXPECT_EQ(info.String("ProductName"), "IE Norvane");
    EXPECT_EQ(info.String("FileDescription"), file.Description);
    EXPECT_EQ(info.String("FileVersion"), NV_EXPECTED_VERSION);
    EXPECT_EQ(info.String("ProductVersion"), NV_EXPECTED_VERSION);
    EXPECT_EQ(info.String("LegalCopyright"), "Copyright (C) 2026 IE Norvane developers");
    EXPECT_EQ(info.String("OriginalFilename"), file.Name);
  }
}

TEST(VersionResource, FixedPartCarriesTheSameNumbers) {
  const DWORD high = MAKELONG(NV_VERSION_MINOR, NV_VERSION_MAJOR);
  const DWORD low = MAKELONG(0, NV_VERSION_PATCH);
  for (const TShippedFile &file : kShippedFiles) {
    SCOPED_TRACE(file.Name);
    const TVersionInfo info(ShippedFolder() + file.Name);
    const VS_FIXEDFILEINFO *fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, file.FileType);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug or pre-release flag";
  }
}

} // namespace
