# Host tests of the stub's program image: layout, imports and the DOS program (under DOSBox) of
# the stub in OMBRIX_WIN32_DIR, and the image writer itself on a fixture image linked here.
file(GLOB OMBRIX_IMAGE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
file(GLOB OMBRIX_IMAGEWRITER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/imagewriter/*.cpp)
list(REMOVE_ITEM OMBRIX_IMAGEWRITER_SOURCES ${CMAKE_SOURCE_DIR}/tools/imagewriter/main.cpp)

# Unstripped and with a build id, so that the writer has a symbol table and a debug directory
# to move; the stub has neither.
find_program(OMBRIX_MINGW_CC i686-w64-mingw32-gcc)
set(OMBRIX_PE_FIXTURE ${CMAKE_CURRENT_BINARY_DIR}/pe_fixture.exe)
if(OMBRIX_MINGW_CC)
  add_custom_command(
    OUTPUT ${OMBRIX_PE_FIXTURE}
    COMMAND ${OMBRIX_MINGW_CC} -Os -nostdlib -nostartfiles -Wl,-e,_Start -Wl,--build-id
            ${CMAKE_CURRENT_LIST_DIR}/pe_fixture.c -o ${OMBRIX_PE_FIXTURE}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pe_fixture.c
    COMMENT "Linking the PE fixture for the image writer's tests"
    VERBATIM)
  add_custom_target(pe_fixture DEPENDS ${OMBRIX_PE_FIXTURE})
endif()

add_executable(image_tests ${OMBRIX_IMAGE_TEST_SOURCES} ${OMBRIX_IMAGEWRITER_SOURCES})
target_include_directories(image_tests PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(image_tests PRIVATE GTest::gtest_main)
target_compile_options(image_tests PRIVATE ${OMBRIX_WARNINGS})
target_compile_definitions(image_tests PRIVATE
  OMBRIX_STUB_PATH="${OMBRIX_WIN32_DIR}/ombrix-sfx.exe"
  OMBRIX_DOS_MESSAGE_PATH="${CMAKE_SOURCE_DIR}/src/resources/dos_stub_message.txt"
  OMBRIX_PE_FIXTURE_PATH="${OMBRIX_PE_FIXTURE}")
if(TARGET pe_fixture)
  add_dependencies(image_tests pe_fixture)
endif()
gtest_discover_tests(image_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 60 LABELS image)
