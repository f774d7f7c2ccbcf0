# The Windows build's binaries depend on the sources alone, not on where or
# when they were built: the source and build folders are mapped to fixed
# names wherever the compiler would write a path (__FILE__, debug
# information). The toolchain file leaves out the link time stamps and makes
# archives without dates. Natively the paths stay real, for the debugger.
if(WIN32)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/)
endif()

# A 32-bit build folder configured before the toolchain file asked for SSE2
# keeps the flags it cached then; say so rather than ship a build without
# them. (x86-64 has SSE2 by its architecture.)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT CMAKE_CXX_FLAGS MATCHES "-msse2")
  message(WARNING "CMAKE_CXX_FLAGS lacks the toolchain's -msse2 (this folder was configured "
                  "before it was added, or the flags were overridden): reconfigure with "
                  "cmake --fresh --preset win")
endif()
