# Every icon of the programs and the installer, read as Windows reads it.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME icons.WindowsCanReadEveryImage COMMAND ${Python3_EXECUTABLE}
    ${PROJECT_SOURCE_DIR}/tools/check-icons.py ${PROJECT_SOURCE_DIR}/agent/resources/VigilorTaskbar.rc
    ${PROJECT_SOURCE_DIR}/config/PCVigilor.rc ${PROJECT_SOURCE_DIR}/config/resources/PCVigilor.ico)
  set_tests_properties(icons.WindowsCanReadEveryImage PROPERTIES LABELS "agent;config")
endif()
