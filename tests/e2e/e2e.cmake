# End-to-end tests (README.md): each case of each case file once per flavour, on the flavour's
# display and Wine prefix, which its session tests set up and take down around the cases.
set(OMBRIX_E2E_TIME_SCALE 1 CACHE STRING "Factor on every wait of the end-to-end tests")
math(EXPR timeout "300 * ${OMBRIX_E2E_TIME_SCALE}")  # a new prefix takes up to 240 s of it
file(GLOB case_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cases/*.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${case_files})  # their case names
set(flavours i686 x86-64)
set(trees ${OMBRIX_WIN32_DIR} ${OMBRIX_WIN64_DIR})
foreach(flavour tree IN ZIP_LISTS flavours trees)
  set(prefix e2e.${flavour})
  add_test(NAME ${prefix}.session.start COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/harness.py start)
  add_test(NAME ${prefix}.session.stop COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/harness.py stop)
  set_tests_properties(${prefix}.session.start PROPERTIES FIXTURES_SETUP ${prefix})
  set_tests_properties(${prefix}.session.stop PROPERTIES FIXTURES_CLEANUP ${prefix})
  set(tests ${prefix}.session.start ${prefix}.session.stop)
  foreach(file IN LISTS case_files)
    get_filename_component(suite ${file} NAME_WE)
    execute_process(COMMAND python3 ${file} --list OUTPUT_VARIABLE cases
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    foreach(case IN LISTS cases)
      add_test(NAME ${prefix}.${suite}.${case} COMMAND python3 ${file} ${case})
      # One case at a time on a display: the dialogs of two would lie on top of each other.
      set_tests_properties(${prefix}.${suite}.${case} PROPERTIES FIXTURES_REQUIRED ${prefix}
                           RESOURCE_LOCK display_${flavour})
      list(APPEND tests ${prefix}.${suite}.${case})
    endforeach()
  endforeach()
  set_tests_properties(${tests} PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT ${timeout}
    ENVIRONMENT "OMBRIX_STUB_FLAVOUR=${flavour};OMBRIX_E2E_TIME_SCALE=${OMBRIX_E2E_TIME_SCALE};OMBRIX_E2E_DIR=${CMAKE_CURRENT_BINARY_DIR}/e2e/${flavour};OMBRIX_STUB=${tree}/ombrix-sfx.exe;OMBRIX_ROBOT=${tree}/robot.exe;OMBRIX_TOOL=$<TARGET_FILE:ombrix>;PYTHONDONTWRITEBYTECODE=1")
endforeach()
