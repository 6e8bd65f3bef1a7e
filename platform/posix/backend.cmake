# The POSIX backend: the Win32 calls and class-library services over POSIX,
# the window lookup over X11 (libxcb).
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)

add_library(aftersetup_platform STATIC
    ${PROJECT_SOURCE_DIR}/platform/afx_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/error_mode.cpp
    ${CMAKE_CURRENT_LIST_DIR}/afx_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/afx_find.cpp
    ${CMAKE_CURRENT_LIST_DIR}/directory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/process.cpp
    ${CMAKE_CURRENT_LIST_DIR}/runtime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sleep.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_properties.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_sigpipe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_stderr.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_tree.cpp)
target_include_directories(aftersetup_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(aftersetup_platform PUBLIC PkgConfig::XCB
    PRIVATE aftersetup_warnings)

# main() lives with the backend: it hands over to the tool's WinMain.
set(AFTERSETUP_ENTRY_SOURCES ${CMAKE_CURRENT_LIST_DIR}/entry.cpp)
