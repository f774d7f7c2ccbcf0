# The command line's Wine tests run ienorvane.exe (and plughost, to compare
# the report) against the prefix's real URL cache; build them with the tests.
add_dependencies(wine_tests ienorvane plughost IENorvane)
# The wipe's tests run the command line's clean in the test process, over a
# platform on the fault-injecting call table.
target_link_libraries(wine_tests PRIVATE nv_cli)
