# The manual page renders without a single warning: through man(1) as a
# user reads it, the way lintian checks it, and through groff with every
# warning on. lexgrog must find its NAME line, or whatis and apropos will
# not know the page.
foreach(tool MAN GROFF LEXGROG)
    if(NOT ${tool} OR NOT EXISTS "${${tool}}")
        message(FATAL_ERROR "${tool} not found (${${tool}}): install man-db and groff-base")
    endif()
endforeach()

set(ENV{LC_ALL} C.UTF-8)
set(ENV{MANWIDTH} 80)
set(ENV{MANROFFSEQ} "")

set(failures "")
function(check_clean label)
    execute_process(COMMAND ${ARGN}
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0 OR NOT err STREQUAL "")
        string(APPEND failures "\n${label}: exit ${result}\n${err}")
    endif()
    if(out STREQUAL "" AND NOT label MATCHES "^groff")
        string(APPEND failures "\n${label}: rendered nothing")
    endif()
    set(failures "${failures}" PARENT_SCOPE)
    set(last_output "${out}" PARENT_SCOPE)
endfunction()

check_clean("man --warnings" "${MAN}" --warnings -l "${PAGE}")
check_clean("man as lintian runs it" "${MAN}" --warnings -E UTF-8 -l -Tutf8 -Z "${PAGE}")
check_clean("groff -ww" "${GROFF}" -man -ww -z "${PAGE}")
check_clean("groff -ww -Tutf8" "${GROFF}" -man -ww -z -Tutf8 "${PAGE}")
check_clean("lexgrog" "${LEXGROG}" "${PAGE}")
if(NOT last_output MATCHES ": \"aftersetup - [^\"]+\"")
    string(APPEND failures "\nlexgrog found no NAME line: ${last_output}")
endif()

if(NOT failures STREQUAL "")
    message(FATAL_ERROR "${PAGE} does not render cleanly:${failures}")
endif()
