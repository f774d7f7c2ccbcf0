# Cross-compiles the 32-bit Windows build with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NV_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${NV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${NV_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# SSE2 for everything built: Windows 8 and later do not install on a
# processor without it, so every processor that runs a supported Windows has
# it. The mask matcher then scans sixteen bytes a step, and floating point
# uses the SSE registers, as on 64-bit builds, instead of the x87 stack.
# With SSE on, GCC realigns the stack in the functions that need 16 bytes
# (-mstackrealign is its default for mingw), so a host that calls with a
# 4-byte aligned stack is served too.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Everything the DLL and the test programs need from the compiler's runtime is
# linked in statically, so that only system DLLs are imported. PE files get
# no link time stamp, so that the same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# Archives with zero time stamps, owners and modes whatever the binutils'
# default (the D modifier).
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
