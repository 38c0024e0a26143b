# End-to-end tests: the stub and robot of a Windows build tree run under Wine on a virtual
# display, once per flavour: the i686 stub of OMBRIX_WIN32_DIR on 32-bit Wine and the x86-64
# build of OMBRIX_WIN64_DIR on 64-bit Wine. Each flavour has its own display, Wine prefix and
# wineserver, which its e2e.<flavour>.session tests set up and take down around every test that
# needs them. At run time the harness skips a flavour this host cannot run or
# OMBRIX_E2E_FLAVOUR leaves out (harness/flavour.py).
find_program(OMBRIX_E2E_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(OMBRIX_E2E_PYTHON python3)
if(NOT OMBRIX_E2E_PYTHON)
  message(WARNING "python3 not found: the end-to-end tests are left out")
  return()
endif()

set(OMBRIX_E2E_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
set(OMBRIX_E2E_TIME_SCALE 1 CACHE STRING
    "Factor on every wait of the end-to-end tests, for 32-bit Wine under emulation")
math(EXPR OMBRIX_E2E_SESSION_TIMEOUT "300 * ${OMBRIX_E2E_TIME_SCALE}")
math(EXPR OMBRIX_E2E_CASE_TIMEOUT "120 * ${OMBRIX_E2E_TIME_SCALE}")

# Every case of every case file is a test of its own, once per flavour; the case files name
# their cases.
file(GLOB OMBRIX_E2E_CASE_FILES CONFIGURE_DEPENDS ${OMBRIX_E2E_SOURCE}/cases/*.py)
set(OMBRIX_E2E_SUITES "")
foreach(case_file IN LISTS OMBRIX_E2E_CASE_FILES)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${case_file})
  get_filename_component(suite ${case_file} NAME_WE)
  list(APPEND OMBRIX_E2E_SUITES ${suite})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${OMBRIX_E2E_SOURCE} PYTHONDONTWRITEBYTECODE=1
            ${OMBRIX_E2E_PYTHON} ${case_file} --list
    OUTPUT_VARIABLE OMBRIX_E2E_CASES_${suite} OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()

set(OMBRIX_E2E_FLAVOURS i686 x86-64)
set(OMBRIX_E2E_TREES ${OMBRIX_WIN32_DIR} ${OMBRIX_WIN64_DIR})
foreach(flavour tree IN ZIP_LISTS OMBRIX_E2E_FLAVOURS OMBRIX_E2E_TREES)
  set(environment
    OMBRIX_STUB_FLAVOUR=${flavour}
    OMBRIX_E2E_TIME_SCALE=${OMBRIX_E2E_TIME_SCALE}
    OMBRIX_E2E_DIR=${CMAKE_CURRENT_BINARY_DIR}/e2e/${flavour}
    OMBRIX_STUB=${tree}/ombrix-sfx.exe
    OMBRIX_ROBOT=${tree}/robot.exe
    OMBRIX_TOOL=$<TARGET_FILE:ombrix>
    PYTHONPATH=${OMBRIX_E2E_SOURCE}
    PYTHONDONTWRITEBYTECODE=1)
  set(prefix e2e.${flavour})

  add_test(NAME ${prefix}.session.start
           COMMAND ${OMBRIX_E2E_PYTHON} ${OMBRIX_E2E_SOURCE}/wine_session.py start)
  add_test(NAME ${prefix}.session.stop
           COMMAND ${OMBRIX_E2E_PYTHON} ${OMBRIX_E2E_SOURCE}/wine_session.py stop)
  set_tests_properties(${prefix}.session.start PROPERTIES
    FIXTURES_SETUP e2e_session_${flavour} TIMEOUT ${OMBRIX_E2E_SESSION_TIMEOUT})
  set_tests_properties(${prefix}.session.stop PROPERTIES
    FIXTURES_CLEANUP e2e_session_${flavour} TIMEOUT 60)
  # 77 is the harness's SKIPPED_EXIT_CODE.
  set_tests_properties(${prefix}.session.start ${prefix}.session.stop PROPERTIES
    LABELS e2e SKIP_RETURN_CODE 77 ENVIRONMENT "${environment}")

  foreach(suite IN LISTS OMBRIX_E2E_SUITES)
    foreach(case IN LISTS OMBRIX_E2E_CASES_${suite})
      set(test ${prefix}.${suite}.${case})
      add_test(NAME ${test}
               COMMAND ${OMBRIX_E2E_PYTHON} ${OMBRIX_E2E_SOURCE}/cases/${suite}.py ${case})
      # One case at a time on a flavour's display: the robot reads icons from the screen, where
      # another case's window could lie over, or just have left its pixels under, the one it
      # reads. Each flavour has a display of its own, so their cases may run side by side.
      set_tests_properties(${test} PROPERTIES
        FIXTURES_REQUIRED e2e_session_${flavour} RESOURCE_LOCK e2e_display_${flavour}
        LABELS e2e TIMEOUT ${OMBRIX_E2E_CASE_TIMEOUT} SKIP_RETURN_CODE 77
        ENVIRONMENT "${environment}")
    endforeach()
  endforeach()
endforeach()
