# What `cmake --install` puts where, and the packages cpack makes from it:
# on Linux the program, its manual page and the copyright file in the
# usual Debian places, packed as a .deb; on Windows the program beside its
# license and a read-me, packed as a ZIP.
include(GNUInstallDirs)

set(AFTERSETUP_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

set(CPACK_PACKAGE_NAME aftersetup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The aftersetup developers")
set(CPACK_PACKAGE_CONTACT "The aftersetup developers <aftersetup@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "removes a setup's leftover directory once the setup has ended")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # One flat folder. The text files get CR LF line ends so that every
    # Windows editor, back to Windows 4.0's Notepad, shows them as lines.
    configure_file(${PROJECT_SOURCE_DIR}/LICENSE
        ${AFTERSETUP_PACKAGING_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/README-windows.txt
        ${AFTERSETUP_PACKAGING_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
    install(TARGETS aftersetup RUNTIME DESTINATION .)
    install(FILES ${AFTERSETUP_PACKAGING_DIR}/LICENSE.txt
        ${AFTERSETUP_PACKAGING_DIR}/README.txt DESTINATION .)

    set(CPACK_GENERATOR ZIP)
else()
    # The manual page and the changelog are installed compressed, by
    # `cmake --install` as in the .deb, so both give the same tree. gzip -n
    # leaves name and time out of the header and -9 is what Debian expects:
    # the same text always gives the same bytes.
    find_program(AFTERSETUP_GZIP gzip REQUIRED)
    set(manpage ${AFTERSETUP_PACKAGING_DIR}/aftersetup.1)
    set(changelog ${AFTERSETUP_PACKAGING_DIR}/changelog)
    foreach(pair "man/aftersetup.1|${manpage}" "packaging/changelog|${changelog}")
        string(REPLACE "|" ";" pair "${pair}")
        list(GET pair 0 source)
        list(GET pair 1 copy)
        add_custom_command(OUTPUT ${copy}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
            COMMAND ${AFTERSETUP_GZIP} -9 -n -f ${copy}
            DEPENDS ${PROJECT_SOURCE_DIR}/${source}
            COMMENT "Compressing ${source}"
            VERBATIM)
    endforeach()
    add_custom_target(aftersetup_compressed_docs ALL DEPENDS ${manpage}.gz ${changelog}.gz)

    install(TARGETS aftersetup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${manpage}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright)
    install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # dpkg-shlibdeps works out Depends from the libraries the program
    # links (libc6, libstdc++6, libgcc-s1, libxcb1).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    # The summary above becomes the first line of the Description field.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"aftersetup is the last step of a setup or an uninstaller. It waits until
the setup engine's window (class TarnwellForge_Win, with a given title)
has closed, runs the follow-up programs it was given one after another,
deletes every file in the setup's leftover directory, making read-only
files writable first, and removes that directory and then its parent,
each only if it is empty.
.
It never descends into a subdirectory, never follows a symbolic link and
changes nothing outside the directory it was given. It writes one line on
standard error for each thing it cannot remove.")
endif()

include(CPack)
