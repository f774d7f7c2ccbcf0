# The layers depend one way, the include graph has no cycle and no shipped
# part builds with test code: checked on the repository's sources, and the
# check itself shown to fail where it must.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME Layers.Repository
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/check-layers.py
                 ${PROJECT_SOURCE_DIR})
add_test(NAME Layers.CheckFailsOnUpwardIncludesAndCycles
         COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-layers-selftest.sh)
