# libFuzzer targets for every parser of the core and for the decoder, and the program that writes
# their seed corpora. Built when OMBRIX_FUZZ is on (the `fuzz` preset) and the compiler is clang;
# scripts/fuzz.sh builds and runs them.
option(OMBRIX_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(NOT OMBRIX_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "OMBRIX_FUZZ needs clang++ with libFuzzer, not ${CMAKE_CXX_COMPILER_ID}")
endif()

set(OMBRIX_FUZZ_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz)
set(OMBRIX_FUZZ_INCLUDES ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools ${OMBRIX_FUZZ_DIR}
                         ${CMAKE_SOURCE_DIR}/tests/support)

# The core once more, with the coverage feedback that guides the fuzzer; ombrix_core stays as the
# tool and the tests have it. The targets run the posix platform under the tests' double.
add_library(ombrix_fuzz_core STATIC ${OMBRIX_CORE_SOURCES})
target_include_directories(ombrix_fuzz_core PUBLIC ${OMBRIX_FUZZ_INCLUDES})
target_compile_options(ombrix_fuzz_core PRIVATE ${OMBRIX_WARNINGS})
target_compile_options(ombrix_fuzz_core PUBLIC -fsanitize=fuzzer-no-link)
add_library(ombrix_fuzz_platform OBJECT ${OMBRIX_POSIX_SOURCES} ${OMBRIX_PLATFORM_DOUBLE})
target_link_libraries(ombrix_fuzz_platform PUBLIC ombrix_fuzz_core)
target_compile_options(ombrix_fuzz_platform PRIVATE ${OMBRIX_WARNINGS})

# The host tool over that core, with the same feedback, for the target of its `pack`.
add_library(ombrix_fuzz_tool STATIC ${OMBRIX_TOOL_SOURCES} ${LZH_ENCODER_SOURCES} ${OLDER_METHODS_SOURCES}
                                    ${OMBRIX_EMBEDDED_STUB})
add_dependencies(ombrix_fuzz_tool embedded_stub_source)
target_link_libraries(ombrix_fuzz_tool PUBLIC ombrix_fuzz_core CLI11::CLI11 OpenSSL::Crypto
                                              tomlplusplus::tomlplusplus nlohmann_json::nlohmann_json)
target_compile_options(ombrix_fuzz_tool PRIVATE ${OMBRIX_WARNINGS})

# One target per tests/fuzz/<name>_fuzzer.cpp, named fuzz_<name>.
file(GLOB OMBRIX_FUZZ_TARGET_SOURCES CONFIGURE_DEPENDS ${OMBRIX_FUZZ_DIR}/*_fuzzer.cpp)
foreach(source IN LISTS OMBRIX_FUZZ_TARGET_SOURCES)
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_fuzzer$" "" name ${name})
  add_executable(fuzz_${name} ${source})
  target_link_libraries(fuzz_${name} PRIVATE ombrix_fuzz_tool ombrix_fuzz_platform)
  target_compile_options(fuzz_${name} PRIVATE ${OMBRIX_WARNINGS} -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()

# Seeds come from the tests' archive builder and block encoder.
add_executable(fuzz_seed_writer ${OMBRIX_FUZZ_DIR}/seed_writer.cpp
                                ${CMAKE_SOURCE_DIR}/tests/support/archive_builder.cpp
                                ${CMAKE_SOURCE_DIR}/tests/support/lzh_block_writer.cpp
                                ${OMBRIX_POSIX_SEAM})
target_link_libraries(fuzz_seed_writer PRIVATE ombrix_tool ombrix_posix)
target_include_directories(fuzz_seed_writer PRIVATE ${OMBRIX_FUZZ_INCLUDES})
target_compile_options(fuzz_seed_writer PRIVATE ${OMBRIX_WARNINGS})
target_compile_definitions(fuzz_seed_writer
                           PRIVATE OMBRIX_ARCHIVERS_DIR="${CMAKE_SOURCE_DIR}/tests/data/lzh-corpus")

set(OMBRIX_FUZZ_SEEDS ${CMAKE_BINARY_DIR}/fuzz-seeds)
add_custom_command(
  OUTPUT ${OMBRIX_FUZZ_SEEDS}/written
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${OMBRIX_FUZZ_SEEDS}
  COMMAND fuzz_seed_writer ${OMBRIX_FUZZ_SEEDS}
  COMMAND ${CMAKE_COMMAND} -E touch ${OMBRIX_FUZZ_SEEDS}/written
  DEPENDS fuzz_seed_writer
  COMMENT "Writing the fuzz seed corpora"
  VERBATIM)
add_custom_target(fuzz_seeds ALL DEPENDS ${OMBRIX_FUZZ_SEEDS}/written)
