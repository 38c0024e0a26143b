# Win32 build: the self-extracting stub and the end-to-end test robot.
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os")
# Every byte of the stub is paid for by every distributable: whole-program optimisation across the
# core, no jump tables, data aligned only as the ABI needs, no compiler identification strings,
# and zero-filled statics that take no room in the file.
add_compile_options(-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                    -fno-threadsafe-statics -ffunction-sections -fno-ident -flto
                    -fno-jump-tables -malign-data=abi)
add_link_options(-flto -Os)
add_compile_definitions(OMBRIX_COMPACT)

file(GLOB OMBRIX_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/startup/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/src/setup/win32/*.cpp)
file(GLOB OMBRIX_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The product. CRTDLL is the C runtime that every 32-bit Windows has, Win32s included; MSVCRT
  # is missing on the oldest systems the stub must start on.
  set(OMBRIX_STUB_ENTRY _StubEntry)
  set(OMBRIX_C_RUNTIME crtdll)
  set(OMBRIX_WINDOWS_MAJOR 4)
  set(OMBRIX_WINDOWS_MINOR 0)
  # Nothing in the stub needs the stack aligned beyond the ABI's 4 bytes.
  add_compile_options(-mpreferred-stack-boundary=2)
else()
  # The x86-64 test vehicle: x86-64 symbols carry no underscore, no x86-64 Windows has CRTDLL,
  # and the first of them was version 5.2.
  set(OMBRIX_STUB_ENTRY StubEntry)
  set(OMBRIX_C_RUNTIME msvcrt)
  set(OMBRIX_WINDOWS_MAJOR 5)
  set(OMBRIX_WINDOWS_MINOR 2)
endif()

# The icon is drawn as text; the resource compiler takes the .ico made from it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(OMBRIX_ICON ${CMAKE_BINARY_DIR}/ombrix.ico)
add_custom_command(
  OUTPUT ${OMBRIX_ICON}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_icon.py
          ${CMAKE_SOURCE_DIR}/src/resources/icon.txt ${OMBRIX_ICON}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${CMAKE_SOURCE_DIR}/src/resources/icon.txt
  VERBATIM)
set_source_files_properties(${OMBRIX_RESOURCES} PROPERTIES OBJECT_DEPENDS ${OMBRIX_ICON})

# The chooser's hook is exported under its plain name, as the common dialog's hooks traditionally
# are (see exports.S).
enable_language(ASM)
add_library(ombrix_stub_objects OBJECT ${OMBRIX_CORE_SOURCES} ${OMBRIX_WIN32_SOURCES}
                                       ${OMBRIX_RESOURCES} ${CMAKE_SOURCE_DIR}/src/ui/exports.S)
target_include_directories(ombrix_stub_objects PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR})
target_compile_options(ombrix_stub_objects PRIVATE ${OMBRIX_WARNINGS})

# The stub takes the command tail itself and ends with exit(), so the mingw start-up files,
# which cost more than the whole program, stay out; so do the default libraries, which would
# bring MSVCRT back into the i686 image. Nothing refers to the export table, so the section
# collector is told to keep it. The linker leaves the relocations out (it fails on them with
# link-time optimisation); the image writer adds them.
function(ombrix_add_stub target)
  add_executable(${target} WIN32 $<TARGET_OBJECTS:ombrix_stub_objects>)
  target_link_options(${target} PRIVATE
    -nostartfiles -nodefaultlibs -Wl,-e,${OMBRIX_STUB_ENTRY} -s -Wl,--gc-sections
    -Wl,--subsystem,windows:${OMBRIX_WINDOWS_MAJOR}.${OMBRIX_WINDOWS_MINOR}
    -Wl,--major-os-version,${OMBRIX_WINDOWS_MAJOR} -Wl,--minor-os-version,${OMBRIX_WINDOWS_MINOR}
    -Wl,--disable-dynamicbase -Wl,--disable-reloc-section -Wl,--undefined=stub_exports
    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/stub.ld ${ARGN})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/stub.ld)
  target_link_libraries(${target} PRIVATE
    kernel32 user32 gdi32 comdlg32 advapi32 shell32 ${OMBRIX_C_RUNTIME} gcc)
endfunction()
ombrix_add_stub(ombrix-sfx)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Win32s runs every program in one address space and loads none without relocations. The same
  # link at a base 16 MiB higher shows every place that holds an address.
  ombrix_add_stub(ombrix-sfx-rebased -Wl,--image-base,0x1400000)
  set(OMBRIX_REBASED $<TARGET_FILE:ombrix-sfx-rebased>)
  add_dependencies(ombrix-sfx ombrix-sfx-rebased)
endif()

include(cmake/image_layout.cmake)

# The end-to-end tests' programs, one from each source: the robot, and the witness, which stands
# at the other end of the stub's setup actions (a GUI program: the stub starts it).
file(GLOB OMBRIX_ROBOT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/robot/*.cpp)
foreach(source IN LISTS OMBRIX_ROBOT_SOURCES)
  get_filename_component(program ${source} NAME_WE)
  add_executable(${program} ${source})
  target_compile_options(${program} PRIVATE ${OMBRIX_WARNINGS})
  target_link_options(${program} PRIVATE -municode -static-libgcc -static-libstdc++ -s)
  target_link_libraries(${program} PRIVATE user32 gdi32)
endforeach()
if(TARGET witness)
  set_target_properties(witness PROPERTIES WIN32_EXECUTABLE ON)
endif()
