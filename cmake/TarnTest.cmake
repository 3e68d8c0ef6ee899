# tarn_add_test(NAME SOURCES files... [LIBS libs...] [RESOURCE_LOCK lock])
#
# One QtTest executable registered with CTest. Every test gets a store file of
# its own in the build folder and the offscreen platform, so no test ever
# reaches the user's settings or needs a display.
function(tarn_add_test name)
    cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # Tests use the forms through the windows they belong to.
    set_target_properties(${name} PROPERTIES AUTOUIC OFF)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARNSTARTER_REGISTRY=${CMAKE_CURRENT_BINARY_DIR}/${name}.registry.db;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}.config;TARN_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;TARN_TOOLS_DIR=${CMAKE_BINARY_DIR}/tools"
        TIMEOUT 300)
    if(ARG_RESOURCE_LOCK)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
endfunction()
