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

file(READ "${SOURCE_DIR}/LICENSE" license)
string(REPLACE "\n" "\r\n" license "${license}")
file(READ "${unpacked}/${top}/LICENSE.txt" shipped)
if(NOT shipped STREQUAL license)
    message(FATAL_ERROR "LICENSE.txt is not the license with CR LF line ends")
endif()

file(READ "${unpacked}/${top}/README.txt" readme)
string(REPLACE "\r\n" "" bare "${readme}")
if(bare MATCHES "\n" OR NOT readme MATCHES "aftersetup ${VERSION} for Windows\r\n")
    message(FATAL_ERROR "README.txt lacks CR LF line ends or its version line")
endif()
