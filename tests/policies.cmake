# The Group Policy templates, parsed and held against what both programs read.
add_test(NAME policies.TemplatesMatchThePrograms
  COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/policies/check_templates.py ${PROJECT_SOURCE_DIR}/policies
          ${PROJECT_SOURCE_DIR}/agent/policy.cpp ${PROJECT_SOURCE_DIR}/config/sessionpolicy.cpp)
set_tests_properties(policies.TemplatesMatchThePrograms PROPERTIES LABELS policies)
