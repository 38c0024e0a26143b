# The stub's image (OMBRIX_WIN32_DIR) and the image writer, built here with the sanitizers, on a
# fixture linked unstripped and with a build id: it has the symbol table and debug directory that
# the stub lacks, which must move with the sections (image_checks.py).
find_program(OMBRIX_MINGW_CC i686-w64-mingw32-gcc REQUIRED)
set(fixture ${CMAKE_CURRENT_BINARY_DIR}/pe_fixture.exe)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/pe_fixture.c "int counter = 1;\nint Start(void) { return counter; }\n")
add_custom_command(OUTPUT ${fixture} COMMAND ${OMBRIX_MINGW_CC} -Os -nostdlib -Wl,-e,_Start
  -Wl,--build-id ${CMAKE_CURRENT_BINARY_DIR}/pe_fixture.c -o ${fixture} VERBATIM)
file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/imagewriter/*.cpp)
add_executable(imagewriter ${sources} ${CMAKE_SOURCE_DIR}/tools/ombrix/whole_file.cpp ${fixture})
target_include_directories(imagewriter PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools)
target_compile_options(imagewriter PRIVATE ${OMBRIX_WARNINGS})
foreach(case IN ITEMS stub_layout stub_resources dos_program image_writer)
  add_test(NAME image.${case} COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/image_checks.py ${case})
  set_tests_properties(image.${case} PROPERTIES LABELS image SKIP_RETURN_CODE 77 TIMEOUT 60
    ENVIRONMENT "OMBRIX_STUB=${OMBRIX_WIN32_DIR}/ombrix-sfx.exe;OMBRIX_IMAGEWRITER=$<TARGET_FILE:imagewriter>;OMBRIX_PE_FIXTURE=${fixture};OMBRIX_DOS_MESSAGE=${CMAKE_SOURCE_DIR}/src/resources/dos_stub_message.txt;PYTHONDONTWRITEBYTECODE=1")
endforeach()
