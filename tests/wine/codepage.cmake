# The clean under a double-byte code page (932), in a prefix of its own with a
# Japanese locale: entries of a Japanese user name go like any other.
if(NV_WINE_TESTS)
  add_test(NAME CodePage932.CleansEntriesOfAJapaneseUserName
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check_codepage932.sh ${PROJECT_SOURCE_DIR}
                   ${PROJECT_BINARY_DIR}
           WORKING_DIRECTORY $<TARGET_FILE_DIR:IENorvane>)
  set_tests_properties(CodePage932.CleansEntriesOfAJapaneseUserName PROPERTIES
                       TIMEOUT 300 FIXTURES_REQUIRED gui_display)
endif()
