# Cross-compiles the 32-bit Windows build with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NV_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# SSE2 for everything built: Windows 8 and later do not install on a
# processor without it, so every processor that runs a supported Windows has
# it. The mask matcher then scans sixteen bytes a step, and floating point
# uses the SSE registers, as on 64-bit builds, instead of the x87 stack.
# With SSE on, GCC realigns the stack in the functions that need 16 bytes
# (-mstackrealign is its default for mingw), so a host that calls with a
# 4-byte aligned stack is served too.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
