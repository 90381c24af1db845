# Every icon of the programs and the installer, read as Windows reads it.
add_test(NAME icons.WindowsCanReadEveryImage COMMAND python3
  ${PROJECT_SOURCE_DIR}/tools/check-icons.py ${PROJECT_SOURCE_DIR}/agent/resources/VigilorTaskbar.rc
  ${PROJECT_SOURCE_DIR}/config/PCVigilor.rc ${PROJECT_SOURCE_DIR}/config/resources/PCVigilor.ico)
set_tests_properties(icons.WindowsCanReadEveryImage PROPERTIES LABELS "agent;config")
