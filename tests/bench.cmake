# The two baselines that tools/bench.sh sets our programs beside: the
# smallest static Win32 tray program, and the smallest Qt Widgets window built
# with our Qt. Built only for the benchmark.
add_executable(baseline_tray WIN32 EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/bench/baseline_tray.cpp)
target_include_directories(baseline_tray PRIVATE ${VIGILOR_GENERATED_DIR})
target_compile_definitions(baseline_tray PRIVATE UNICODE _UNICODE)
target_compile_options(baseline_tray PRIVATE ${VIGILOR_WARNINGS})
target_link_libraries(baseline_tray PRIVATE user32 shell32)
target_link_options(baseline_tray PRIVATE -municode -static -s)

if(TARGET vigilor_qt_test_runtime)
  qt_add_executable(baseline_window WIN32 EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_SOURCE_DIR}/bench/baseline_window.cpp)
  # With the Qt runtime of the test programs.
  set_target_properties(baseline_window PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${VIGILOR_QT_TEST_BIN_DIR})
  target_compile_options(baseline_window PRIVATE ${VIGILOR_WARNINGS})
  target_link_libraries(baseline_window PRIVATE Qt6::Widgets)
  add_dependencies(baseline_window vigilor_qt_test_runtime)
endif()
