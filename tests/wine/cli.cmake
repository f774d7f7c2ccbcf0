# The command line's Wine tests run ienorvane.exe (and plughost, to compare
# the report) against the prefix's real URL cache; build them with the tests.
add_dependencies(wine_tests ienorvane plughost IENorvane)
