# The Windows zip and installer: the programs beside the DLLs they load,
# Qt's plugins in the folders Qt looks for them in, the licences of what is
# shipped, the README, and the demo game folder.

install(TARGETS tarnstarter tarnded tarnreg tarnctl RUNTIME DESTINATION .)

# The DLLs come with their debug information; the package ships stripped
# copies made in the build.
function(tarn_install_stripped destination)
    foreach(dll ${ARGN})
        get_filename_component(name ${dll} NAME)
        set(stripped ${CMAKE_BINARY_DIR}/stripped/${destination}/${name})
        add_custom_command(OUTPUT ${stripped}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/stripped/${destination}
            COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${stripped} ${dll}
            DEPENDS ${dll} VERBATIM)
        list(APPEND TARN_STRIPPED_DLLS ${stripped})
        install(FILES ${stripped} DESTINATION ${destination})
    endforeach()
    set(TARN_STRIPPED_DLLS ${TARN_STRIPPED_DLLS} PARENT_SCOPE)
endfunction()
set(TARN_STRIPPED_DLLS)
set(qtDlls)
foreach(module Core Gui Widgets Network)
    list(APPEND qtDlls ${TARN_QT_BIN_DIR}/Qt6${module}.dll)
endforeach()
tarn_install_stripped(. ${qtDlls} ${TARN_MINGW_RUNTIME_DLLS})
tarn_install_stripped(platforms ${TARN_QT_PLUGIN_DIR}/platforms/qwindows.dll)
# Without it the windows take Qt's own look instead of the system's.
tarn_install_stripped(styles ${TARN_QT_PLUGIN_DIR}/styles/qwindowsvistastyle.dll)
add_custom_target(stripped_dlls ALL DEPENDS ${TARN_STRIPPED_DLLS})

# Qt is shipped under the LGPL (which builds on the GPL); the mingw runtime
# under the GPL with the GCC runtime library exception, and winpthreads and
# the mingw-w64 runtime under their own notices. Debian's copyright files
# of the packages the DLLs come from say which is which.
set(licenses
    /usr/share/common-licenses/LGPL-3 LGPL-3.txt
    /usr/share/common-licenses/GPL-3 GPL-3.txt
    /usr/share/doc/libqt6core6/copyright Qt.txt
    /usr/share/doc/gcc-mingw-w64-base/copyright mingw-w64-gcc-runtime.txt
    /usr/share/doc/mingw-w64-x86-64-dev/copyright mingw-w64-runtime-and-winpthreads.txt)
while(licenses)
    list(POP_FRONT licenses source name)
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "The licence notice ${source} is missing; scripts/windows installs it")
    endif()
    install(FILES ${source} DESTINATION licenses RENAME ${name})
endwhile()

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
# The demo target lays the folder out, tarn.exe included.
install(DIRECTORY ${CMAKE_BINARY_DIR}/demo/tarn DESTINATION demo)

set(CPACK_PACKAGE_NAME tarnstarter)
set(CPACK_PACKAGE_VENDOR "The TarnStarter developers")
set(CPACK_PACKAGE_FILE_NAME tarnstarter-${PROJECT_VERSION}-windows-x64)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)

# The installer: a Start-menu entry for the launcher, an entry in
# "Installed apps" that uninstalls. It asks for no elevation: started as
# administrator it installs for all users (Program Files, HKLM), else for
# the current user alone. Uninstalling leaves the settings in the
# registry, as a re-installation expects to find them.
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Tarn Server Launcher")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "TarnStarter")
set(CPACK_NSIS_DISPLAY_NAME "Tarn Server Launcher ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "Tarn Server Launcher")
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/packaging/windows/tarnstarter.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/packaging/windows/tarnstarter.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME tarnstarter.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES tarnstarter "Tarn Server Launcher")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/packaging/windows/licence.txt)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer for 64-bit programs: it sees the system as they do
# (Program Files, the registry's 64-bit view) and runs under a 64-bit Wine.
set(CPACK_NSIS_DEFINES "Target amd64-unicode\nRequestExecutionLevel user")
include(CPack)
