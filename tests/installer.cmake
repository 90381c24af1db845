# A signed release made by tools/release.sh, and its installer and portable
# zip under Wine: silent install, the installed programs started through
# "Path", an upgrade while they run, silent uninstall, and the zip's programs
# started from where it was unpacked.
if(TARGET installer AND TARGET vigilor_probe AND CMAKE_CROSSCOMPILING)
  # A Wine prefix and X server of its own: the test installs into the user's
  # profile and closes whatever agent runs in its session.
  add_test(NAME installer.InstallRunUpgradeUninstall
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/installer/installer_test.sh
            ${CMAKE_BINARY_DIR} ${VIGILOR_SETUP_STAGE} $<TARGET_FILE:vigilor_probe> ${PROJECT_VERSION}
            ${CMAKE_BINARY_DIR}/wineprefix-installer ${PROJECT_SOURCE_DIR}/tools
            ${CMAKE_BINARY_DIR}/screenshots)
  set_tests_properties(installer.InstallRunUpgradeUninstall PROPERTIES
    LABELS installer TIMEOUT 600 COST 100)
endif()
