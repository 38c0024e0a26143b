# Win32 build: the self-extracting stub and the end-to-end test robot.
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os")
add_compile_options(-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                    -fno-threadsafe-statics -ffunction-sections -fdata-sections)

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
else()
  # The x86-64 test vehicle: x86-64 symbols carry no underscore, no x86-64 Windows has CRTDLL,
  # and the first of them was version 5.2.
  set(OMBRIX_STUB_ENTRY StubEntry)
  set(OMBRIX_C_RUNTIME msvcrt)
  set(OMBRIX_WINDOWS_MAJOR 5)
  set(OMBRIX_WINDOWS_MINOR 2)
endif()

# The stub takes the command tail itself and ends with exit(), so the mingw start-up files,
# which cost more than the whole program, stay out; so do the default libraries, which would
# bring MSVCRT back into the i686 image.
add_executable(ombrix-sfx WIN32 ${OMBRIX_CORE_SOURCES} ${OMBRIX_WIN32_SOURCES} ${OMBRIX_RESOURCES})
target_include_directories(ombrix-sfx PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(ombrix-sfx PRIVATE ${OMBRIX_WARNINGS})
target_link_options(ombrix-sfx PRIVATE
  -nostartfiles -nodefaultlibs -Wl,-e,${OMBRIX_STUB_ENTRY} -s -Wl,--gc-sections
  -Wl,--subsystem,windows:${OMBRIX_WINDOWS_MAJOR}.${OMBRIX_WINDOWS_MINOR}
  -Wl,--major-os-version,${OMBRIX_WINDOWS_MAJOR} -Wl,--minor-os-version,${OMBRIX_WINDOWS_MINOR}
  -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
target_link_libraries(ombrix-sfx PRIVATE
  kernel32 user32 gdi32 comdlg32 advapi32 shell32 ${OMBRIX_C_RUNTIME} gcc)

include(cmake/image_layout.cmake OPTIONAL)

file(GLOB OMBRIX_ROBOT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/robot/*.cpp)
if(OMBRIX_ROBOT_SOURCES)
  add_executable(robot ${OMBRIX_ROBOT_SOURCES})
  target_compile_options(robot PRIVATE ${OMBRIX_WARNINGS})
  target_link_options(robot PRIVATE -municode -static-libgcc -static-libstdc++ -s)
  target_link_libraries(robot PRIVATE user32 gdi32)
endif()
