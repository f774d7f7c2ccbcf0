# The release's own checks of the shipped files: their version resources read
# under Wine (version_resource_test.cpp), their PE headers read with objdump.
add_dependencies(wine_tests IENorvane ienorvane)
target_link_libraries(wine_tests PRIVATE nv_version version gdi32)
target_compile_definitions(wine_tests PRIVATE NV_CLI_EXE="$<TARGET_FILE_NAME:ienorvane>"
                                              NV_EXPECTED_VERSION="${PROJECT_VERSION}")

nv_file_check(Release.PeHeaders
              ${CMAKE_CURRENT_SOURCE_DIR}/check_pe_release.sh ${PROJECT_VERSION}
              $<TARGET_FILE:IENorvane> $<TARGET_FILE:ienorvane>)

# A fresh build of the two shipped files at another path and time gives the
# bytes of this build's. It builds with both cores, so it runs alone.
nv_file_check(Release.Reproducible
              ${CMAKE_CURRENT_SOURCE_DIR}/check_reproducible.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
set_tests_properties(Release.Reproducible PROPERTIES TIMEOUT 900 PROCESSORS 2)

# The shipped DLL's matcher scans sixteen bytes a step (SSE2).
nv_file_check(Release.Sse2Matcher
              ${CMAKE_CURRENT_SOURCE_DIR}/check_sse2_matcher.sh $<TARGET_FILE:IENorvane>
              "$<TARGET_OBJECTS:nv_core>")

# The release archive (make dist) holds what a user needs and verifies. It
# takes the command line's --help text from a build that runs here.
nv_file_check(Release.Dist
              ${CMAKE_CURRENT_SOURCE_DIR}/check_dist.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
set_tests_properties(Release.Dist PROPERTIES FIXTURES_REQUIRED gui_display TIMEOUT 300)
