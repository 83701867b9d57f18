# tervix_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>]
#                 [LABEL unit|integration])
#
# Builds one Qt Test executable and registers it with CTest. Widget tests run
# on the offscreen platform; every test gets a discovery port of its own so
# that tests running at the same time never hear each other, and discovery
# stays on loopback so that no test ever puts a packet on a real network.
# A test that links the device simulator is an integration test unless it
# says otherwise; `ctest -L unit` runs the quick ones.
set(TERVIX_NEXT_TEST_PORT 37100 CACHE INTERNAL "")
set(TERVIX_TEST_ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;TERVIX_DISCOVERY_INTERFACES=lo;TERVIX_BIN_DIR=${TERVIX_OUTPUT_DIR}")
function(tervix_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT;LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test tervix_build_flags ${ARG_LIBS})
    if(NOT ARG_LABEL)
        if(devsim IN_LIST ARG_LIBS)
            set(ARG_LABEL integration)
        else()
            set(ARG_LABEL unit)
        endif()
    endif()
    tervix_register_test(${name} TIMEOUT "${ARG_TIMEOUT}" LABEL ${ARG_LABEL})
endfunction()

# tervix_register_test(<target> [TIMEOUT <seconds>] [LABEL unit|integration])
#
# Registers an executable built elsewhere with CTest, in the same place and
# environment as the Qt Test suites.
function(tervix_register_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT;LABEL" "" ${ARGN})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${TERVIX_OUTPUT_DIR})
    set(port ${TERVIX_NEXT_TEST_PORT})
    math(EXPR next "${port} + 1")
    set(TERVIX_NEXT_TEST_PORT ${next} CACHE INTERNAL "")
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    if(NOT ARG_LABEL)
        set(ARG_LABEL unit)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS ${ARG_LABEL}
        ENVIRONMENT "${TERVIX_TEST_ENVIRONMENT};TERVIX_DISCOVERY_PORT=${port}")
endfunction()
