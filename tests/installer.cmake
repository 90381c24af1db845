# A signed release made by tools/release.sh, and its installer and portable
# zip under Wine: silent install, the installed programs started through
# "Path", an upgrade while they run, Setup elevated by another user, silent
# uninstall, and the zip's programs started from where it was unpacked.
if(TARGET installer AND TARGET vigilor_probe AND CMAKE_CROSSCOMPILING)
  # Plays a Windows session that belongs to another user than Setup's.
  add_library(stand_in_wtsapi32 SHARED ${CMAKE_CURRENT_SOURCE_DIR}/installer/stand_in_wtsapi32.cpp)
  set_target_properties(stand_in_wtsapi32 PROPERTIES OUTPUT_NAME wtsapi32 PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/stand-in-wtsapi32
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/stand-in-wtsapi32)
  target_compile_definitions(stand_in_wtsapi32 PRIVATE UNICODE _UNICODE)
  target_compile_options(stand_in_wtsapi32 PRIVATE ${VIGILOR_WARNINGS})
  target_link_options(stand_in_wtsapi32 PRIVATE -static)

  # A Wine session and X server of its own, on a copy of the test prefix:
  # the test installs into the user's profile and closes whatever agent runs
  # in its session.
  add_test(NAME installer.InstallRunUpgradeUninstall
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/installer/installer_test.sh
            ${CMAKE_BINARY_DIR} ${VIGILOR_SETUP_STAGE} $<TARGET_FILE:vigilor_probe> ${PROJECT_VERSION}
            ${PROJECT_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/screenshots
            $<TARGET_FILE:stand_in_wtsapi32>)
  set_tests_properties(installer.InstallRunUpgradeUninstall PROPERTIES
    ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS installer TIMEOUT 600 COST -2)
endif()
