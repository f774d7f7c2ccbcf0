# The command line's modules are linked into the unit tests, which run its
# commands over the stand-in cache and the portable INI store.
target_link_libraries(unit_tests PRIVATE nv_cli)
