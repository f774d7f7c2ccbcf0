# Cross-compiles the 64-bit Windows build with mingw-w64 (posix thread model),
# for 64-bit hosts. SSE2 is part of x86-64, so no flag asks for it.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NV_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
