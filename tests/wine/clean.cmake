# The clean's Wine tests run plughost against the DLL; build both with them.
add_dependencies(wine_tests plughost IENorvane)
