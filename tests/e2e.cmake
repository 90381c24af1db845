# Both programs together under Wine: the real tray agent as a separate
# program, and the configuration application either in-process (its real main
# window and form) or as the real PCVigilor.exe.
if(TARGET PCVigilor AND TARGET VigilorTaskbar)
  qt_add_executable(tst_endtoend ${CMAKE_CURRENT_SOURCE_DIR}/e2e/tst_endtoend.cpp)
  # With the other Qt test programs, where the Qt runtime is.
  set_target_properties(tst_endtoend PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${VIGILOR_QT_TEST_BIN_DIR} AUTOMOC ON)
  target_compile_options(tst_endtoend PRIVATE ${VIGILOR_WARNINGS})
  target_link_libraries(tst_endtoend PRIVATE vigilor_config vigilor_config_testsupport version)
  target_include_directories(tst_endtoend PRIVATE ${VIGILOR_GENERATED_DIR})
  target_compile_definitions(tst_endtoend PRIVATE
    VIGILOR_AGENT_DIR="$<TARGET_FILE_DIR:VigilorTaskbar>"
    VIGILOR_CONFIG_PROGRAM="$<TARGET_FILE:PCVigilor>")
  add_dependencies(tst_endtoend VigilorTaskbar PCVigilor vigilor_qt_test_runtime)
  add_test(NAME e2e.tst_endtoend COMMAND tst_endtoend -o tst_endtoend.txt,txt -o -,txt)
  set_tests_properties(e2e.tst_endtoend PROPERTIES ENVIRONMENT "${VIGILOR_TEST_ENV}"
    LABELS e2e TIMEOUT 600 RESOURCE_LOCK vigilor_desktop)
endif()
