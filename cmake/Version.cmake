# The release's version comes from project(... VERSION ...) alone:
#   nv_version               INTERFACE library whose include folder holds the
#                            generated NvVersion.h (the version as text and
#                            numbers), for programs that print it
#   nv_version_resource(target DESCRIPTION text)
#                            on Windows, a VERSIONINFO resource in `target`
#                            (product name, description, version, copyright,
#                            original file name), from VersionInfo.rc.in
set(NV_COPYRIGHT "Copyright (C) 2026 IE Norvane developers")
set(NV_PRODUCT_NAME "IE Norvane")

configure_file(${CMAKE_CURRENT_LIST_DIR}/NvVersion.h.in
               ${PROJECT_BINARY_DIR}/version/NvVersion.h @ONLY)
add_library(nv_version INTERFACE)
target_include_directories(nv_version INTERFACE ${PROJECT_BINARY_DIR}/version)

function(nv_version_resource target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION" "")
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  if(type STREQUAL "SHARED_LIBRARY")
    set(NV_RC_FILE_TYPE VFT_DLL)
    set(NV_RC_ORIGINAL_FILENAME ${name}.dll)
  else()
    set(NV_RC_FILE_TYPE VFT_APP)
    set(NV_RC_ORIGINAL_FILENAME ${name}.exe)
  endif()
  set(NV_RC_DESCRIPTION "${arg_DESCRIPTION}")
  set(rc ${PROJECT_BINARY_DIR}/version/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # The image version of the PE header says the same, major.minor. CMake
  # links every Windows target with an image version of its own (from the
  # VERSION property, which would also rename executables); a flag among the
  # libraries comes after that one, and the last one counts.
  target_link_libraries(${target} PRIVATE
    "-Wl,--major-image-version,${PROJECT_VERSION_MAJOR},--minor-image-version,${PROJECT_VERSION_MINOR}")
endfunction()
