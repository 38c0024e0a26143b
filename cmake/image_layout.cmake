# Post-link step of the stub: the image writer, a host program, puts our MZ header, the zero
# settings range and the DOS program in front and moves the PE headers and sections behind
# them. It runs inside the cross build, so it is compiled here with the host compiler, and with the
# sanitizers: the host tree's image tests run this same program (tests/image/image.cmake), and a
# fault of its own stops the stub's build rather than leave a damaged image.
find_program(OMBRIX_HOST_CXX NAMES g++ c++ clang++ REQUIRED)

set(OMBRIX_IMAGEWRITER_DIR ${CMAKE_SOURCE_DIR}/tools/imagewriter)
# It reads its files as the host tool does.
file(GLOB OMBRIX_IMAGEWRITER_SOURCES CONFIGURE_DEPENDS ${OMBRIX_IMAGEWRITER_DIR}/*.cpp
     ${CMAKE_SOURCE_DIR}/tools/ombrix/whole_file.cpp)
file(GLOB OMBRIX_IMAGEWRITER_HEADERS CONFIGURE_DEPENDS ${OMBRIX_IMAGEWRITER_DIR}/*.h
     ${CMAKE_SOURCE_DIR}/tools/ombrix/whole_file.h)
set(OMBRIX_IMAGEWRITER ${CMAKE_BINARY_DIR}/imagewriter)
set(OMBRIX_DOS_MESSAGE ${CMAKE_SOURCE_DIR}/src/resources/dos_stub_message.txt)

add_custom_command(
  OUTPUT ${OMBRIX_IMAGEWRITER}
  COMMAND ${OMBRIX_HOST_CXX} -std=c++20 -O2 ${OMBRIX_WARNINGS} -fsanitize=address,undefined
          -fno-sanitize-recover=undefined
          -I${CMAKE_SOURCE_DIR}/src -I${CMAKE_SOURCE_DIR}/tools
          ${OMBRIX_IMAGEWRITER_SOURCES} -o ${OMBRIX_IMAGEWRITER}
  DEPENDS ${OMBRIX_IMAGEWRITER_SOURCES} ${OMBRIX_IMAGEWRITER_HEADERS}
          ${CMAKE_SOURCE_DIR}/src/base/settings_block.h
  COMMENT "Building the image writer with the host compiler"
  VERBATIM)
add_custom_target(ombrix_imagewriter DEPENDS ${OMBRIX_IMAGEWRITER})
add_dependencies(ombrix-sfx ombrix_imagewriter)

# The rewrite only happens after a link, so a new writer or message must relink the stub.
set_property(TARGET ombrix-sfx APPEND PROPERTY LINK_DEPENDS ${OMBRIX_IMAGEWRITER} ${OMBRIX_DOS_MESSAGE})
set(OMBRIX_IMAGEWRITER_OPTIONS --exports)
if(OMBRIX_REBASED)
  list(APPEND OMBRIX_IMAGEWRITER_OPTIONS --rebased ${OMBRIX_REBASED})
endif()
add_custom_command(
  TARGET ombrix-sfx POST_BUILD
  COMMAND ${OMBRIX_IMAGEWRITER} $<TARGET_FILE:ombrix-sfx> ${OMBRIX_DOS_MESSAGE}
          ${OMBRIX_IMAGEWRITER_OPTIONS}
  VERBATIM)
