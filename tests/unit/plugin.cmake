# The native shared library exports exactly the five host entry points.
add_test(NAME PluginSo.ExportsExactlyTheFiveEntryPoints
         COMMAND sh -c "names=$(nm -D --defined-only \"$1\" | awk '{print $3}' | sort | tr '\\n' ' ')
                        echo \"exports: $names\"
                        test \"$names\" = 'ExecClearProc GetConfigString GetGUID GetPluginDescription GetPluginName '"
                 sh $<TARGET_FILE:IENorvane>)
