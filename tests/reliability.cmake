# Reliability of the real programs under load, faults and bad input, and the
# probe that the benchmark script (tools/bench.sh) measures them with.
if(NOT TARGET VigilorTaskbar OR NOT TARGET vigilor_program_support)
  return()
endif()

set(vigilor_reliability_dir ${CMAKE_CURRENT_SOURCE_DIR}/reliability)

add_library(vigilor_reliability_support STATIC
  ${vigilor_reliability_dir}/process_watch.cpp
  ${vigilor_reliability_dir}/agent_driver.cpp
)
target_include_directories(vigilor_reliability_support PUBLIC ${vigilor_reliability_dir})
target_compile_options(vigilor_reliability_support PRIVATE ${VIGILOR_WARNINGS})
target_compile_definitions(vigilor_reliability_support PRIVATE
  VIGILOR_AGENT_EXE="$<TARGET_FILE:VigilorTaskbar>"
  VIGILOR_STAND_IN_CONFIG_EXE="$<TARGET_FILE:stand_in_config>")
target_link_libraries(vigilor_reliability_support PUBLIC vigilor_program_support psapi)

add_executable(reliability_tests
  ${vigilor_reliability_dir}/reliability_main.cpp
  ${vigilor_reliability_dir}/storm_test.cpp
  ${vigilor_reliability_dir}/bad_settings_test.cpp
)
target_compile_options(reliability_tests PRIVATE ${VIGILOR_WARNINGS})
target_link_libraries(reliability_tests PRIVATE vigilor_reliability_support gtest)
target_link_options(reliability_tests PRIVATE -static)
add_dependencies(reliability_tests VigilorTaskbar stand_in_config)

# Every test runs on a Wine desktop of its own (see on_wine_desktop.sh); the
# Wine prefix comes from tools/test.sh.
set(vigilor_on_desktop ${vigilor_reliability_dir}/on_wine_desktop.sh)
if(CMAKE_CROSSCOMPILING)
  set_target_properties(reliability_tests PROPERTIES
    CROSSCOMPILING_EMULATOR "bash;${vigilor_on_desktop}")
endif()

# The storm takes a few minutes under Wine.
add_test(NAME reliability.MessageStorm
  COMMAND bash ${vigilor_on_desktop} $<TARGET_FILE:reliability_tests>
          --gtest_filter=MessageStorm.*)
set_tests_properties(reliability.MessageStorm PROPERTIES
  ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS "reliability;slow" TIMEOUT 900
  RESOURCE_LOCK vigilor_desktop)

gtest_discover_tests(reliability_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  TEST_PREFIX "reliability."
  TEST_FILTER "-MessageStorm.*"
  PROPERTIES LABELS reliability TIMEOUT 300 RESOURCE_LOCK vigilor_desktop
)
