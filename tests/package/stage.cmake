# Makes, in a directory of its own and from scratch, what the package tests
# look at: MODE=install runs `cmake --install BUILD_DIR --prefix OUTPUT_DIR`,
# MODE=deb has cpack build the Debian package into OUTPUT_DIR.
file(REMOVE_RECURSE "${OUTPUT_DIR}")

if(MODE STREQUAL "install")
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${OUTPUT_DIR}"
        RESULT_VARIABLE result)
elseif(MODE STREQUAL "deb")
    execute_process(COMMAND "${CPACK_COMMAND}" --config "${BUILD_DIR}/CPackConfig.cmake"
        -G DEB -B "${OUTPUT_DIR}"
        RESULT_VARIABLE result)
    # Only the package is kept: a test that finds one .deb finds this one.
    # A failed run keeps cpack's logs.
    if(result EQUAL 0)
        file(REMOVE_RECURSE "${OUTPUT_DIR}/_CPack_Packages")
    endif()
else()
    message(FATAL_ERROR "MODE must be install or deb, not '${MODE}'")
endif()

if(NOT result EQUAL 0)
    message(FATAL_ERROR "${MODE} failed: ${result}")
endif()
