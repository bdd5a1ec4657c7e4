# The Debian package (`cmake --build build --target package`): the programs and everything that
# `cmake --install` puts beside them, with the dependencies dpkg-shlibdeps finds in the programs.

# The software centre's name of the program and the day of the release of the project's VERSION:
# move the day on with the version.
set(TESSAPRINT_APPSTREAM_ID org.zelmor.tessaprint)
set(TESSAPRINT_RELEASE_DATE 2026-12-09)
set(TESSAPRINT_HOMEPAGE https://zelmor.org/tessaprint)

if(UNIX AND NOT APPLE)
    set(metainfo ${PROJECT_BINARY_DIR}/${TESSAPRINT_APPSTREAM_ID}.metainfo.xml)
    configure_file(${PROJECT_SOURCE_DIR}/resources/tessaprint.metainfo.xml.in ${metainfo} @ONLY)
    install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # Manual pages with the version and day filled in, compressed as Debian keeps them;
    # tests/man_pages_test.sh holds them to --help.
    find_program(TESSAPRINT_GZIP gzip)
    foreach(page tessaprint.1 tessaprint-cli.1 tessaprint-sim.1)
        set(filled ${PROJECT_BINARY_DIR}/man/${page})
        configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page} ${filled} @ONLY)
        if(TESSAPRINT_GZIP)
            add_custom_command(OUTPUT ${filled}.gz COMMAND ${TESSAPRINT_GZIP} -9 -n -c ${filled} > ${filled}.gz
                               DEPENDS ${filled} VERBATIM)
            list(APPEND man_files ${filled}.gz)
        else()
            list(APPEND man_files ${filled})
        endif()
    endforeach()
    add_custom_target(tessaprint_man_pages ALL DEPENDS ${man_files})
    install(FILES ${man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

    install(FILES ${PROJECT_SOURCE_DIR}/resources/tessaprint-cli.bash-completion
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tessaprint-cli)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/copyright ${PROJECT_SOURCE_DIR}/LICENSE
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaprint)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaprint)
set(CPACK_PACKAGE_VENDOR "Zelmor Corporation")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zelmor Corporation <tessaprint@zelmor.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "capture an analyzer's printed test results and make test records")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaprint makes a portable electrical safety, defibrillator or pacemaker
analyzer print its stored results over a serial line, groups the lines into
records by equipment ID, shows them, judges the readings against a
standard's limits, writes test record documents (.docx) and keeps a test
history (SQLite or PostgreSQL). tessaprint-cli does the same without a
window; tessaprint-sim is a simulated instrument.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TESSAPRINT_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the programs load at run time rather than link: Qt's platform plugins (the window), the SQLite
# driver of the test history's own file and the SVG plugins that draw the icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6svg6")
# PDF copies need LibreOffice Writer, a shared history PostgreSQL's driver; psql reaches such a server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql-client")
include(CPack)
