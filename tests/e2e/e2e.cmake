# End-to-end tests: the stub and robot of the win32 build tree (OMBRIX_WIN32_DIR) run under Wine
# on a virtual display. One display, Wine prefix and wineserver serve the whole run; the
# e2e.session tests set them up and take them down around every test that needs them.
find_program(OMBRIX_E2E_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(OMBRIX_E2E_PYTHON python3)
if(NOT OMBRIX_E2E_PYTHON)
  message(WARNING "python3 not found: the end-to-end tests are left out")
  return()
endif()

set(OMBRIX_E2E_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
set(OMBRIX_E2E_ENVIRONMENT
  OMBRIX_E2E_DIR=${CMAKE_CURRENT_BINARY_DIR}/e2e
  OMBRIX_STUB=${OMBRIX_WIN32_DIR}/ombrix-sfx.exe
  OMBRIX_ROBOT=${OMBRIX_WIN32_DIR}/robot.exe
  OMBRIX_TOOL=$<TARGET_FILE:ombrix>
  PYTHONPATH=${OMBRIX_E2E_SOURCE}
  PYTHONDONTWRITEBYTECODE=1)

add_test(NAME e2e.session.start COMMAND ${OMBRIX_E2E_PYTHON} ${OMBRIX_E2E_SOURCE}/wine_session.py start)
add_test(NAME e2e.session.stop COMMAND ${OMBRIX_E2E_PYTHON} ${OMBRIX_E2E_SOURCE}/wine_session.py stop)
set_tests_properties(e2e.session.start PROPERTIES FIXTURES_SETUP e2e_session TIMEOUT 300)
set_tests_properties(e2e.session.stop PROPERTIES FIXTURES_CLEANUP e2e_session TIMEOUT 60)
set_tests_properties(e2e.session.start e2e.session.stop PROPERTIES
  LABELS e2e ENVIRONMENT "${OMBRIX_E2E_ENVIRONMENT}")

# Every case of every case file is a test of its own; the case files name their cases.
file(GLOB OMBRIX_E2E_CASE_FILES CONFIGURE_DEPENDS ${OMBRIX_E2E_SOURCE}/cases/*.py)
foreach(case_file IN LISTS OMBRIX_E2E_CASE_FILES)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${case_file})
  get_filename_component(suite ${case_file} NAME_WE)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${OMBRIX_E2E_SOURCE} PYTHONDONTWRITEBYTECODE=1
            ${OMBRIX_E2E_PYTHON} ${case_file} --list
    OUTPUT_VARIABLE case_names OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  foreach(case IN LISTS case_names)
    add_test(NAME e2e.${suite}.${case} COMMAND ${OMBRIX_E2E_PYTHON} ${case_file} ${case})
    # One case at a time on the display: the robot reads icons from the screen, where another
    # case's window could lie over, or just have left its pixels under, the one it reads.
    set_tests_properties(e2e.${suite}.${case} PROPERTIES
      FIXTURES_REQUIRED e2e_session RESOURCE_LOCK e2e_display LABELS e2e TIMEOUT 120
      ENVIRONMENT "${OMBRIX_E2E_ENVIRONMENT}")
  endforeach()
endforeach()
