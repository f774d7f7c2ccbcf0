# keep_sites_alloc_tests: that matching an entry against the keep list
# allocates nothing, counted by a replaced global operator new. A program of
# its own, so that the replacement touches no other test.
add_executable(keep_sites_alloc_tests
               ${CMAKE_CURRENT_SOURCE_DIR}/keep_sites_alloc/keep_sites_alloc_test.cpp)
target_link_libraries(keep_sites_alloc_tests PRIVATE nv_core GTest::gtest_main)
nv_warnings(keep_sites_alloc_tests)
gtest_discover_tests(keep_sites_alloc_tests DISCOVERY_TIMEOUT 60)
