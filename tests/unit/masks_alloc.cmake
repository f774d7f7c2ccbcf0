# masks_alloc_tests: what compiling and matching a mask allocate, counted by a
# replaced global operator new. A program of its own, so that the replacement
# touches no other test.
add_executable(masks_alloc_tests ${CMAKE_CURRENT_SOURCE_DIR}/masks_alloc/masks_alloc_test.cpp)
target_link_libraries(masks_alloc_tests PRIVATE nv_core GTest::gtest_main)
nv_warnings(masks_alloc_tests)
gtest_discover_tests(masks_alloc_tests DISCOVERY_TIMEOUT 60)
