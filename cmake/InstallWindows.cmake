# The Windows zip: the programs beside the DLLs they load, Qt's plugins in
# the folders Qt looks for them in, the README, and the demo game folder.

install(TARGETS tarnstarter tarnded tarnreg tarnctl RUNTIME DESTINATION .)
foreach(module Core Gui Widgets Network)
    install(FILES ${TARN_QT_BIN_DIR}/Qt6${module}.dll DESTINATION .)
endforeach()
install(FILES ${TARN_QT_PLUGIN_DIR}/platforms/qwindows.dll DESTINATION platforms)
# Without it the windows take Qt's own look instead of the system's.
install(FILES ${TARN_QT_PLUGIN_DIR}/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${TARN_MINGW_RUNTIME_DLLS} DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
# The demo target lays the folder out, tarn.exe included.
install(DIRECTORY ${CMAKE_BINARY_DIR}/demo/tarn DESTINATION demo)

set(CPACK_PACKAGE_NAME tarnstarter)
set(CPACK_PACKAGE_VENDOR "The TarnStarter developers")
set(CPACK_PACKAGE_FILE_NAME tarnstarter-${PROJECT_VERSION}-windows-x64)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
include(CPack)
