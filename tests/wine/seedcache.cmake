# seedcache's command line is tested under Wine by wine_tests.
add_dependencies(wine_tests seedcache)
