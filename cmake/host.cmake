# Host build: the core on the posix platform, the `ombrix` tool, unit and end-to-end tests.
option(OMBRIX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(OMBRIX_TESTS "Build the tests" ON)
set(OMBRIX_WIN32_DIR "${CMAKE_SOURCE_DIR}/build/win32" CACHE PATH
    "Build tree of the win32 preset, whose stub the image tests check and the end-to-end tests run")
set(OMBRIX_WIN64_DIR "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH
    "Build tree of the win64 preset, whose stub and robot the x86-64 end-to-end tests run")

if(OMBRIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(ombrix_core STATIC ${OMBRIX_CORE_SOURCES})
target_include_directories(ombrix_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(ombrix_core PRIVATE ${OMBRIX_WARNINGS})

# The posix platform, as objects that every program links whole, so that where it stands among the
# libraries does not matter. The operations that tests wrap reach it through the tool's own seam
# (OMBRIX_POSIX_SEAM), or through the tests' double (tests/support/platform_double.cpp).
set(OMBRIX_POSIX_SEAM ${CMAKE_SOURCE_DIR}/src/platform/posix/posix_seam.cpp)
file(GLOB OMBRIX_POSIX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/posix/*.cpp)
list(REMOVE_ITEM OMBRIX_POSIX_SOURCES ${OMBRIX_POSIX_SEAM})
set(OMBRIX_PLATFORM_DOUBLE ${CMAKE_SOURCE_DIR}/tests/support/platform_double.cpp)
add_library(ombrix_posix OBJECT ${OMBRIX_POSIX_SOURCES})
target_include_directories(ombrix_posix PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(ombrix_posix PRIVATE ${OMBRIX_WARNINGS})

# The encoder the packer compresses members with; the stub only ever decodes.
file(GLOB LZH_ENCODER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/lzh_encoder/*.cpp)
add_library(lzh_encoder STATIC ${LZH_ENCODER_SOURCES})
target_include_directories(lzh_encoder PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(lzh_encoder PUBLIC ombrix_core)
target_compile_options(lzh_encoder PRIVATE ${OMBRIX_WARNINGS})

# The decoders of older archivers' methods, which only the host tool reads.
file(GLOB OLDER_METHODS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/older_methods/*.cpp)
add_library(older_methods STATIC ${OLDER_METHODS_SOURCES})
target_include_directories(older_methods PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(older_methods PUBLIC ombrix_core)
target_compile_options(older_methods PRIVATE ${OMBRIX_WARNINGS})

find_package(CLI11 CONFIG REQUIRED)
# Project files are TOML, read with toml++.
find_package(tomlplusplus CONFIG REQUIRED)
# info --json writes with nlohmann's JSON.
find_package(nlohmann_json 3 CONFIG REQUIRED)
# Reads the signatures that signing appends to distributables.
find_package(OpenSSL REQUIRED)
# The host tool's commands live in a library so that the tests can build archives with the
# same writer that packs distributables.
file(GLOB OMBRIX_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/ombrix/*.cpp)
list(REMOVE_ITEM OMBRIX_TOOL_SOURCES ${CMAKE_SOURCE_DIR}/tools/ombrix/main.cpp)
# The stub of the win32 tree, built into the tool; regenerated at every build and rewritten only
# when the stub has changed.
set(OMBRIX_EMBEDDED_STUB ${CMAKE_BINARY_DIR}/generated/embedded_stub.cpp)
add_custom_target(embedded_stub_source
  COMMAND ${CMAKE_COMMAND} -DSTUB=${OMBRIX_WIN32_DIR}/ombrix-sfx.exe
          -DOUTPUT=${OMBRIX_EMBEDDED_STUB} -P ${CMAKE_SOURCE_DIR}/cmake/embed_stub.cmake
  BYPRODUCTS ${OMBRIX_EMBEDDED_STUB}
  COMMENT "Embedding the stub of ${OMBRIX_WIN32_DIR}")
add_library(ombrix_tool STATIC ${OMBRIX_TOOL_SOURCES} ${OMBRIX_EMBEDDED_STUB})
add_dependencies(ombrix_tool embedded_stub_source)
target_include_directories(ombrix_tool PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(ombrix_tool PUBLIC ombrix_core lzh_encoder older_methods CLI11::CLI11
                                         tomlplusplus::tomlplusplus nlohmann_json::nlohmann_json
                                         OpenSSL::Crypto)
target_compile_options(ombrix_tool PRIVATE ${OMBRIX_WARNINGS})

add_executable(ombrix ${CMAKE_SOURCE_DIR}/tools/ombrix/main.cpp ${OMBRIX_POSIX_SEAM})
target_link_libraries(ombrix PRIVATE ombrix_tool ombrix_posix)
target_compile_options(ombrix PRIVATE ${OMBRIX_WARNINGS})

if(OMBRIX_TESTS)
  enable_testing()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-layers.py
                               ${CMAKE_SOURCE_DIR})
  add_subdirectory(tests)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
