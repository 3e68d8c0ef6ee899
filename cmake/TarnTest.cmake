# Under TARN_SANITIZE every process a test starts (the test itself, tarnded,
# tarnreg) writes its AddressSanitizer findings, leaks included, into one
# folder of the build; a test run first empties it and last fails when
# anything is in it, so a finding in a child process, whose stderr is often
# /dev/null, still fails the run. UndefinedBehaviorSanitizer ignores log_path
# next to AddressSanitizer: its findings go to stderr and abort the process.
if(TARN_SANITIZE)
    set(TARN_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)
    set(TARN_SANITIZER_ENV
        "ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:log_path=${TARN_SANITIZER_REPORTS}/asan"
        "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
        "UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1"
        "TARN_TIME_SCALE=4")
    set(reportScript ${CMAKE_SOURCE_DIR}/tests/sanitizers/reports.cmake)
    add_test(NAME sanitizer_reports_clear
        COMMAND ${CMAKE_COMMAND} -DACTION=clear -DREPORTS=${TARN_SANITIZER_REPORTS}
            -P ${reportScript})
    add_test(NAME sanitizer_reports_check
        COMMAND ${CMAKE_COMMAND} -DACTION=check -DREPORTS=${TARN_SANITIZER_REPORTS}
            -P ${reportScript})
    set_tests_properties(sanitizer_reports_clear PROPERTIES FIXTURES_SETUP sanitizer_reports)
    set_tests_properties(sanitizer_reports_check PROPERTIES FIXTURES_CLEANUP sanitizer_reports)
endif()

# tarn_add_test(NAME SOURCES files... [LIBS libs...] [RESOURCE_LOCK lock] [DESKTOP])
#
# One QtTest executable registered with CTest. Every test gets a store file of
# its own in the build folder and the offscreen platform, so no test ever
# reaches the user's settings or needs a display. A DESKTOP test runs instead
# in an X session of its own with a notification area.
function(tarn_add_test name)
    cmake_parse_arguments(ARG "DESKTOP" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # Tests that copy one of our programs need its file name in full.
    target_compile_definitions(${name} PRIVATE
        TARN_EXECUTABLE_SUFFIX="${CMAKE_EXECUTABLE_SUFFIX}")
    # Tests use the forms through the windows they belong to.
    set_target_properties(${name} PROPERTIES AUTOUIC OFF)
    if(ARG_DESKTOP)
        add_test(NAME ${name}
            COMMAND ${CMAKE_SOURCE_DIR}/tests/desktop/run-in-desktop.sh $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARNSTARTER_REGISTRY=${CMAKE_CURRENT_BINARY_DIR}/${name}.registry.db;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}.config;TARN_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;TARN_TOOLS_DIR=${CMAKE_BINARY_DIR}/tools"
        TIMEOUT 300)
    if(TARN_SANITIZE)
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${TARN_SANITIZER_ENV})
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED sanitizer_reports)
    endif()
    if(ARG_RESOURCE_LOCK)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
endfunction()
