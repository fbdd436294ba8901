# Helpers shared by the libraries, their tests and the benchmarks.

# Keeps those of the given targets that exist (a library without sources yet has none).
function(lumora_existing_targets out)
    set(found)
    foreach(target ${ARGN})
        if(TARGET ${target})
            list(APPEND found ${target})
        endif()
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# A static library of ours, from the sources in its folder. Sources are globbed so that each
# library's folder is the only place that lists what it holds. DEPENDS names our own libraries
# below it, SYSTEM the platform libraries it calls.
function(lumora_add_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;SYSTEM" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        return()
    endif()
    lumora_existing_targets(deps ${ARG_DEPENDS})
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${deps} ${ARG_SYSTEM})
endfunction()

# Tests run under Wine in a private prefix inside the build folder, with the null graphics driver
# so that windows can be created without a display. One wineserver serves the whole ctest run:
# the "wine" fixture starts it and shuts it down at the end.
set(LUMORA_TEST_PREFIX ${PROJECT_BINARY_DIR}/wine-test)
set(LUMORA_WINE_PREFIX_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh)
set(LUMORA_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)

if(NOT TEST wine-start)
    add_test(NAME wine-start COMMAND ${LUMORA_WINE_PREFIX_SCRIPT} start ${LUMORA_TEST_PREFIX} null)
    add_test(NAME wine-stop COMMAND ${LUMORA_WINE_PREFIX_SCRIPT} stop ${LUMORA_TEST_PREFIX})
    set_tests_properties(wine-start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
    set_tests_properties(wine-stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# Seconds each test program may run before ctest stops it and reports it by name: several times
# what it needs on a busy machine, so that only a hang reaches the limit and it costs little.
set(LUMORA_TEST_TIMEOUT 120)
set(LUMORA_TEST_TIMEOUT_base 60)
set(LUMORA_TEST_TIMEOUT_ui 90)
set(LUMORA_TEST_TIMEOUT_shellctl 90)
set(LUMORA_TEST_TIMEOUT_shell 180)
set(LUMORA_TEST_TIMEOUT_app 180)

# Runs a Windows program of ours as one ctest entry under the test prefix.
function(lumora_add_wine_test name target)
    set(timeout ${LUMORA_TEST_TIMEOUT})
    if(DEFINED LUMORA_TEST_TIMEOUT_${name})
        set(timeout ${LUMORA_TEST_TIMEOUT_${name}})
    endif()
    add_test(NAME ${name} COMMAND ${LUMORA_WINE_RUN} $<TARGET_FILE:${target}>)
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT ${timeout}
        # Items the tests delete go to the recycle bin, which Wine keeps in the XDG trash: keep
        # it inside the build folder instead of the user's own.
        ENVIRONMENT "WINEPREFIX=${LUMORA_TEST_PREFIX};XDG_DATA_HOME=${PROJECT_BINARY_DIR}/xdg-data")
endfunction()

# One GoogleTest executable per library: tests/<lib> builds <lib>_tests.
function(lumora_add_test_executable lib)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources OR NOT TARGET ${lib})
        return()
    endif()
    add_executable(${lib}_tests ${sources} $<TARGET_OBJECTS:lumora_manifest>
                               $<TARGET_OBJECTS:lumora_resources>)
    target_link_libraries(${lib}_tests PRIVATE ${lib} lumora_testsupport)
    lumora_add_wine_test(${lib} ${lib}_tests)
endfunction()
