# What `cmake --install` puts where, and the Debian package built from it.

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/InstallWindows.cmake)
    return()
endif()

include(GNUInstallDirs)

set(TARN_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TARN_APP_ID io.github.tarnstarter.TarnStarter)

# The programs link our own libraries statically and Qt and SQLite from the
# system, so an installed copy needs no run path into the build tree.
set_target_properties(tarnstarter tarnded tarnreg tarnctl PROPERTIES INSTALL_RPATH "")
install(TARGETS tarnstarter tarnded tarnreg tarnctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${TARN_PACKAGING_DIR}/tarnstarter.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TARN_PACKAGING_DIR}/${TARN_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(TARN_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${CMAKE_SOURCE_DIR}/src/shell/images/tarnstarter.svg
    DESTINATION ${TARN_ICON_DIR}/scalable/apps)
foreach(size 48 256)
    install(FILES ${TARN_PACKAGING_DIR}/icons/tarnstarter-${size}.png
        DESTINATION ${TARN_ICON_DIR}/${size}x${size}/apps RENAME tarnstarter.png)
endforeach()

# Manual pages go out compressed where gzip is at hand, as Debian expects;
# -n leaves the time stamp out so that the package builds reproducibly.
find_program(TARN_GZIP gzip)
set(TARN_MAN_PAGES tarnstarter tarnreg tarnded tarnctl)
foreach(page ${TARN_MAN_PAGES})
    set(source ${TARN_PACKAGING_DIR}/man/${page}.1)
    if(TARN_GZIP)
        set(compressed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
        add_custom_command(OUTPUT ${compressed}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${TARN_GZIP} -9 -n -c ${source} > ${compressed}
            DEPENDS ${source}
            VERBATIM)
        list(APPEND TARN_MAN_FILES ${compressed})
    else()
        list(APPEND TARN_MAN_FILES ${source})
    endif()
endforeach()
add_custom_target(tarn_man_pages ALL DEPENDS ${TARN_MAN_FILES})
install(FILES ${TARN_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The server unit, installed but not enabled, names tarnctl where this
# installation puts it; the prefix is only known when installing (a package
# installs to its own). The unit is a component of its own so that its test
# installs just the unit.
set(TARN_UNIT tarnstarter-server@.service)
install(CODE "
    file(READ \"${TARN_PACKAGING_DIR}/${TARN_UNIT}\" unit)
    string(REPLACE /usr/bin/tarnctl \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tarnctl\"
        unit \"\${unit}\")
    file(WRITE \"${CMAKE_BINARY_DIR}/systemd/${TARN_UNIT}\" \"\${unit}\")
" COMPONENT systemd)
install(FILES ${CMAKE_BINARY_DIR}/systemd/${TARN_UNIT} DESTINATION lib/systemd/system
    COMPONENT systemd)
# The group the unit's instances run in, made by systemd-sysusers (the
# package's postinst runs it).
install(FILES ${TARN_PACKAGING_DIR}/tarnstarter.sysusers
    DESTINATION lib/sysusers.d RENAME tarnstarter.conf COMPONENT systemd)

set(CPACK_PACKAGE_NAME tarnstarter)
set(CPACK_PACKAGE_VENDOR "The TarnStarter developers")
set(CPACK_PACKAGE_CONTACT "The TarnStarter developers <maintainers@tarnstarter.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher and remote console for a Tarn dedicated server")
set(CPACK_PACKAGE_DESCRIPTION
    "TarnStarter sets up a dedicated server of the game Tarn in one window, writes its\n"
    "configuration and map cycle, starts it, and watches it through a remote console.\n"
    "It comes with tarnreg, a command-line tool for its settings store, tarnctl,\n"
    "which runs and supervises the server without a desktop (with a systemd unit),\n"
    "and tarnded, a stand-in server for trying the launcher without the game.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)

if(EXISTS /usr/bin/dpkg)
    set(CPACK_GENERATOR DEB)
else()
    set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, so no library scan finds them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# A Windows server executable in the game folder is started through wine.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TARN_PACKAGING_DIR}/debian/postinst
    ${TARN_PACKAGING_DIR}/debian/prerm ${TARN_PACKAGING_DIR}/debian/postrm)

include(CPack)
