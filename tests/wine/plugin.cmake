# The DLL's export and import tables, read with objdump.
nv_file_check(PluginDll.ExportAndImportTables
              ${CMAKE_CURRENT_SOURCE_DIR}/check_dll_tables.sh $<TARGET_FILE:IENorvane>)

if(NOT NV_WINE_TESTS)
  return()
endif()
# plughost under Wine prints the three identity texts exactly.
add_test(NAME PluginDll.PlughostInfo
         COMMAND plughost info $<TARGET_FILE_NAME:IENorvane>
         WORKING_DIRECTORY $<TARGET_FILE_DIR:IENorvane>)
set_tests_properties(PluginDll.PlughostInfo PROPERTIES FIXTURES_REQUIRED gui_display
  PASS_REGULAR_EXPRESSION
  "GUID: {5B1E09C4-7A3D-4F62-8C15-2E9047D3A6B8}\r?\nName: IE Norvane\r?\nDescription: \\[Interner explorer cache, cookies and Norvane plugin for Norvane\\. \\]")
