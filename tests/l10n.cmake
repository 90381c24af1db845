# Both programs in the user's language. The check of the translation files
# runs on the build machine; each language then runs in a Wine session of its
# own, on a copy of the test prefix, whose user language follows LANG.
# lupdate lists the texts of the sources as they are now, so that a new text
# without its translations fails here rather than show in English.
find_package(Python3 COMPONENTS Interpreter)
find_program(VIGILOR_LUPDATE NAMES lupdate lupdate-qt6 HINTS /usr/lib/qt6/bin NO_DEFAULT_PATH)
if(Python3_FOUND AND VIGILOR_LUPDATE)
  add_test(NAME l10n.TranslationFiles
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/l10n/check_translations.py
            --lupdate ${VIGILOR_LUPDATE} ${PROJECT_SOURCE_DIR}/config
            ${PROJECT_SOURCE_DIR}/config/translations/pcvigilor_de.ts
            ${PROJECT_SOURCE_DIR}/config/translations/pcvigilor_fr.ts
            ${PROJECT_SOURCE_DIR}/config/translations/pcvigilor_es.ts
            ${PROJECT_SOURCE_DIR}/agent/resources/VigilorTaskbar.rc
            ${PROJECT_SOURCE_DIR}/cli/resources/vigilor.rc)
  set_tests_properties(l10n.TranslationFiles PROPERTIES LABELS l10n)
endif()

if(Python3_FOUND AND TARGET tst_translations AND TARGET vigilor_probe AND TARGET agent_tests AND TARGET vigilor AND CMAKE_CROSSCOMPILING)
  if(TARGET installer)
    set(setup ${VIGILOR_SETUP_EXE})
  endif()
  # Italian is none of the programs' languages: they speak English then.
  foreach(entry "de;de_DE.UTF-8;LANG_GERMAN" "fr;fr_FR.UTF-8;LANG_FRENCH"
                "es;es_ES.UTF-8;LANG_SPANISH" "it;it_IT.UTF-8;LANG_ENGLISH" "fr-CA;fr_CA.UTF-8;LANG_FRENCH")
    list(GET entry 0 language)
    list(GET entry 1 locale)
    list(GET entry 2 rc_language)
    add_test(NAME l10n.${language}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/l10n/language_test.sh
              ${language} ${locale} ${rc_language} ${PROJECT_SOURCE_DIR}/tools $<TARGET_FILE:tst_translations>
              $<TARGET_FILE:vigilor_probe> $<TARGET_FILE:VigilorTaskbar>
              ${PROJECT_SOURCE_DIR}/agent/resources/VigilorTaskbar.rc
              ${CMAKE_CURRENT_SOURCE_DIR}/l10n/check_translations.py
              ${CMAKE_BINARY_DIR}/screenshots $<TARGET_FILE:agent_tests>
              $<TARGET_FILE:vigilor> ${PROJECT_SOURCE_DIR}/cli/resources/vigilor.rc ${setup})
    # The installer test makes a release, which builds the installer anew in
    # this build tree: the welcome page is opened once it is done.
    set_tests_properties(l10n.${language} PROPERTIES
      ENVIRONMENT "${VIGILOR_TEST_ENV}" LABELS l10n TIMEOUT 300 COST -5
      DEPENDS installer.InstallRunUpgradeUninstall)
  endforeach()
endif()
