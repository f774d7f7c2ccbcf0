# IENorvaneStandIn: the plug-in library over a stand-in system platform whose
# URL cache a test writes to a file (NV_STANDIN_CACHE), so that the
# differential test drives the real exports over caches of its choosing.
add_library(IENorvaneStandIn SHARED ${PROJECT_SOURCE_DIR}/plugin/IENorvane.cpp
                                    ${CMAKE_CURRENT_SOURCE_DIR}/standin_plugin/StandInSystemPlatform.cpp)
target_link_options(IENorvaneStandIn PRIVATE
                   -Wl,--version-script=${PROJECT_SOURCE_DIR}/plugin/IENorvane.map)
target_link_libraries(IENorvaneStandIn PRIVATE nv_plugin_calls nv_testsupport)
nv_warnings(IENorvaneStandIn)
add_dependencies(unit_tests IENorvaneStandIn)
target_compile_definitions(unit_tests PRIVATE
                           NV_STANDIN_PLUGIN_SO="$<TARGET_FILE:IENorvaneStandIn>")
