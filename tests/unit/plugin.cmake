# The native shared library exports exactly the five host entry points.
add_test(NAME PluginSo.ExportsExactlyTheFiveEntryPoints
         COMMAND sh -c "nm -D --defined-only \"$1\" | awk '{print $3}' | sort | tr '\\n' ' '"
                 sh $<TARGET_FILE:IENorvane>)
set_tests_properties(PluginSo.ExportsExactlyTheFiveEntryPoints PROPERTIES PASS_REGULAR_EXPRESSION
  "^ExecClearProc GetConfigString GetGUID GetPluginDescription GetPluginName $")
