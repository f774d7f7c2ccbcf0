# The `dist` target of a Windows build: the release archive of IENorvane.dll
# and ienorvane.exe with the users' README, the licence and the checksums
# (scripts/make-dist.sh), in NV_DIST_DIR (`make dist`: build/dist).
set(NV_DIST_DIR ${PROJECT_SOURCE_DIR}/build/dist CACHE PATH "Folder of the release archive")
add_custom_target(dist
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-dist.sh ${PROJECT_BINARY_DIR} ${NV_DIST_DIR}
  COMMENT "Release archive in ${NV_DIST_DIR}" USES_TERMINAL VERBATIM)
add_dependencies(dist IENorvane ienorvane)
