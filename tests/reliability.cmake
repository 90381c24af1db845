# Reliability of the real programs under load, faults and bad input.
if(NOT TARGET VigilorTaskbar OR NOT TARGET vigilor_program_support)
  return()
endif()

set(vigilor_reliability_dir ${CMAKE_CURRENT_SOURCE_DIR}/reliability)

add_library(vigilor_reliability_support STATIC
  ${vigilor_reliability_dir}/agent_driver.cpp
)
target_include_directories(vigilor_reliability_support PUBLIC ${vigilor_reliability_dir})
target_compile_options(vigilor_reliability_support PRIVATE ${VIGILOR_WARNINGS})
target_compile_definitions(vigilor_reliability_support PRIVATE
  VIGILOR_AGENT_EXE="$<TARGET_FILE:VigilorTaskbar>"
  VIGILOR_STAND_IN_CONFIG_EXE="$<TARGET_FILE:stand_in_config>")
target_link_libraries(vigilor_reliability_support PUBLIC vigilor_program_support)

add_executable(reliability_tests
  ${vigilor_reliability_dir}/reliability_main.cpp
  ${vigilor_reliability_dir}/storm_test.cpp
  ${vigilor_reliability_dir}/bad_settings_test.cpp
  ${vigilor_reliability_dir}/faults_test.cpp
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

# The storm takes a few minutes under Wine, in a Wine session and X server
# of its own, beside the tests of the shared session.
add_test(NAME reliability.MessageStorm
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/own-wine-session.sh
          bash ${vigilor_on_desktop} $<TARGET_FILE:reliability_tests>
          --gtest_filter=MessageStorm.*)
set_tests_properties(reliability.MessageStorm PROPERTIES
  ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS "reliability;slow" TIMEOUT 900 COST -1)

# 88 starts of the real agent, one after another: the longest test of the
# shared session's chain, so in a session of its own beside it.
add_test(NAME reliability.BadSettings.EveryOptionAtEveryAwkwardValue
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/own-wine-session.sh
          bash ${vigilor_on_desktop} $<TARGET_FILE:reliability_tests>
          --gtest_filter=BadSettings.EveryOptionAtEveryAwkwardValue)
set_tests_properties(reliability.BadSettings.EveryOptionAtEveryAwkwardValue PROPERTIES
  ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS reliability TIMEOUT 600 COST -2)

# The notification area shows tray icons as windows only on the bare X
# server.
add_test(NAME reliability.FaultsOnTheRootDesktop
  COMMAND bash ${vigilor_on_desktop} --root $<TARGET_FILE:reliability_tests>
          --gtest_filter=FaultsOnTheRootDesktop.*)
set_tests_properties(reliability.FaultsOnTheRootDesktop PROPERTIES
  ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS reliability TIMEOUT 120
  RESOURCE_LOCK vigilor_desktop)

gtest_discover_tests(reliability_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  TEST_PREFIX "reliability."
  TEST_FILTER "-MessageStorm.*:FaultsOnTheRootDesktop.*:BadSettings.EveryOptionAtEveryAwkwardValue"
  PROPERTIES LABELS reliability TIMEOUT 300 RESOURCE_LOCK vigilor_desktop
)

# The configuration application over the same kind of settings, in-process
# with its real form and main window, and as the real PCVigilor.exe.
if(TARGET PCVigilor AND TARGET standin_agent_program)
  qt_add_executable(tst_config_badsettings
    ${vigilor_reliability_dir}/tst_config_badsettings.cpp)
  # With the other Qt test programs, where the Qt runtime is.
  set_target_properties(tst_config_badsettings PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${VIGILOR_QT_TEST_BIN_DIR} AUTOMOC ON)
  target_compile_options(tst_config_badsettings PRIVATE ${VIGILOR_WARNINGS})
  target_link_libraries(tst_config_badsettings PRIVATE vigilor_config vigilor_config_testsupport)
  target_compile_definitions(tst_config_badsettings PRIVATE
    VIGILOR_STANDIN_AGENT_EXE="$<TARGET_FILE:standin_agent_program>"
    VIGILOR_CONFIG_PROGRAM="$<TARGET_FILE:PCVigilor>")
  add_dependencies(tst_config_badsettings PCVigilor standin_agent_program
    vigilor_qt_test_runtime)
  add_test(NAME reliability.tst_config_badsettings
    COMMAND tst_config_badsettings -o tst_config_badsettings.txt,txt -o -,txt)
  set_tests_properties(reliability.tst_config_badsettings PROPERTIES
    ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS reliability TIMEOUT 300
    RESOURCE_LOCK vigilor_desktop)

  qt_add_executable(tst_config_faults ${vigilor_reliability_dir}/tst_config_faults.cpp)
  set_target_properties(tst_config_faults PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${VIGILOR_QT_TEST_BIN_DIR} AUTOMOC ON)
  target_compile_options(tst_config_faults PRIVATE ${VIGILOR_WARNINGS})
  target_link_libraries(tst_config_faults PRIVATE vigilor_config vigilor_config_testsupport)
  add_dependencies(tst_config_faults PCVigilor vigilor_qt_test_runtime)
  add_test(NAME reliability.tst_config_faults
    COMMAND tst_config_faults -o tst_config_faults.txt,txt -o -,txt)
  set_tests_properties(reliability.tst_config_faults PROPERTIES
    ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS reliability TIMEOUT 300
    RESOURCE_LOCK vigilor_desktop)

  # The real PCVigilor.exe, clicked through the X server, then killed.
  add_test(NAME reliability.ConfigKilledWhileLauncherWaits
    COMMAND bash ${vigilor_reliability_dir}/config_killed_test.sh
            $<TARGET_FILE:PCVigilor> $<TARGET_FILE:vigilor_probe>)
  set_tests_properties(reliability.ConfigKilledWhileLauncherWaits PROPERTIES
    ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS reliability TIMEOUT 180
    RESOURCE_LOCK vigilor_desktop)
endif()
