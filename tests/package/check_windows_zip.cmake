# The Windows package: cpack zips aftersetup.exe with the license and the
# read-me, nothing else, and the text files have CR LF line ends.
file(REMOVE_RECURSE "${OUTPUT_DIR}")
execute_process(COMMAND "${CPACK_COMMAND}" --config "${BUILD_DIR}/CPackConfig.cmake"
    -G ZIP -B "${OUTPUT_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack -G ZIP failed: ${result}")
endif()

set(top "aftersetup-${VERSION}-win32")
set(zip "${OUTPUT_DIR}/${top}.zip")
if(NOT EXISTS "${zip}")
    message(FATAL_ERROR "${zip} was not made")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${zip}"
    RESULT_VARIABLE result OUTPUT_VARIABLE listing)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listing "${listing}")
list(FILTER listing EXCLUDE REGEX "/$")
list(SORT listing)
set(expected "${top}/LICENSE.txt;${top}/README.txt;${top}/aftersetup.exe")
if(NOT listing STREQUAL expected)
    message(FATAL_ERROR "the ZIP holds\n  ${listing}\ninstead of\n  ${expected}")
endif()

set(unpacked "${OUTPUT_DIR}/unpacked")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${zip}"
    WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${zip}")
endif()

file(READ "${unpacked}/${top}/aftersetup.exe" magic LIMIT 2 HEX)
if(NOT magic STREQUAL "4d5a")
    message(FATAL_ERROR "aftersetup.exe is not a Windows program")
endif()

# file(READ) drops carriage returns, so the shipped bytes are compared with
# the sources written out with CR LF line ends.
set(expected_dir "${OUTPUT_DIR}/expected")
foreach(pair "LICENSE|LICENSE.txt" "packaging/README-windows.txt|README.txt")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 shipped)
    set(PROJECT_VERSION "${VERSION}")
    configure_file("${SOURCE_DIR}/${source}" "${expected_dir}/${shipped}"
        @ONLY NEWLINE_STYLE CRLF)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
        "${expected_dir}/${shipped}" "${unpacked}/${top}/${shipped}"
        RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${shipped} is not ${source} with CR LF line ends")
    endif()
endforeach()

file(STRINGS "${unpacked}/${top}/README.txt" title LIMIT_COUNT 1)
if(NOT title MATCHES "^aftersetup ${VERSION} for Windows")
    message(FATAL_ERROR "README.txt does not name version ${VERSION}: ${title}")
endif()
