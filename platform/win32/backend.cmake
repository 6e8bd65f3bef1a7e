# The Win32 backend: the class-library services over the system's own
# Win32 calls (from MinGW's headers); the Win32 calls themselves need no
# code of ours.
add_library(aftersetup_platform STATIC
    ${PROJECT_SOURCE_DIR}/platform/afx_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/error_mode.cpp
    ${CMAKE_CURRENT_LIST_DIR}/afx_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/afx_find.cpp
    ${CMAKE_CURRENT_LIST_DIR}/runtime.cpp)
target_include_directories(aftersetup_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(aftersetup_platform PRIVATE aftersetup_warnings)

# How the program is linked, handed on to it through this library: a GUI
# program (no console window) marked for Windows 4.0, with the C++ runtime
# linked in so that it needs no DLL beyond the system's own.
# WinMain sits in a library, and the start-up code that calls it comes after
# the libraries on the link line: the linker has to be told to take it.
target_link_options(aftersetup_platform INTERFACE
    -mwindows
    -static
    -Wl,--subsystem,windows:4.0
    -Wl,--major-os-version,4
    -Wl,--minor-os-version,0
    -Wl,--undefined=_WinMain@16)

# MinGW's GUI start-up code calls the tool's WinMain itself; the program's
# own sources are its resources.
enable_language(RC)
set(AFTERSETUP_ENTRY_SOURCES ${CMAKE_CURRENT_LIST_DIR}/resources.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
    ${PROJECT_BINARY_DIR}/platform/win32/version.h @ONLY)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/resources.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/aftersetup.manifest;${PROJECT_BINARY_DIR}/platform/win32/version.h"
    INCLUDE_DIRECTORIES ${PROJECT_BINARY_DIR}/platform/win32)
