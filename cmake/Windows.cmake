# What a Windows build needs beside the compiler: where the DLLs its programs
# load live, and Wine to run them when it is cross-compiled.

# Qt's DLLs sit in the bin folder beside its CMake files' lib folder.
get_filename_component(TARN_QT_BIN_DIR ${Qt6_DIR}/../../../bin ABSOLUTE)
get_filename_component(TARN_QT_PLUGIN_DIR ${Qt6_DIR}/../../../plugins ABSOLUTE)

# The mingw runtime: the compiler knows where its own DLLs are.
set(TARN_MINGW_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "The mingw runtime's ${dll} was not found")
    endif()
    list(APPEND TARN_MINGW_RUNTIME_DLLS ${path})
endforeach()

if(CMAKE_CROSSCOMPILING)
    set(TARN_WINE_DLL_DIRS ${TARN_QT_BIN_DIR})
    foreach(dll ${TARN_MINGW_RUNTIME_DLLS})
        get_filename_component(dir ${dll} DIRECTORY)
        get_filename_component(dir ${dir} REALPATH)
        list(APPEND TARN_WINE_DLL_DIRS ${dir})
    endforeach()
    list(REMOVE_DUPLICATES TARN_WINE_DLL_DIRS)
    # Wine's PATH is a Windows one: Z: is the Unix root.
    list(TRANSFORM TARN_WINE_DLL_DIRS PREPEND "Z:")
    string(JOIN ";" TARN_WINE_PATH ${TARN_WINE_DLL_DIRS})
    set(TARN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
        @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
        WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

# Every program carries the program icon, a manifest and its version, as
# Explorer shows them.
enable_language(RC)
function(tarn_windows_resources target description)
    set(TARN_PROGRAM ${target})
    set(TARN_DESCRIPTION ${description})
    set(folder ${CMAKE_BINARY_DIR}/resources/${target})
    set(TARN_MANIFEST ${folder}/${target}.manifest)
    set(TARN_ICON ${CMAKE_SOURCE_DIR}/packaging/windows/tarnstarter.ico)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/program.manifest ${TARN_MANIFEST} @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/program.rc.in ${folder}/${target}.rc
        @ONLY)
    target_sources(${target} PRIVATE ${folder}/${target}.rc)
endfunction()
