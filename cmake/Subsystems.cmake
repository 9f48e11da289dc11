# Each subsystem folder src/<name>/ holds logic files (*.cpp, standard library only) that form
# the library tobu_<name>, and window files in src/<name>/qt/ that form tobu_<name>_qt.
# A file named main.cpp is an executable's entry and belongs to no library.
# A subsystem exists once its folder does: without src/<name>/ it is not declared, and other
# subsystems leave it out of their dependencies.
set(TOBU_SUBSYSTEMS "")

function(tobu_subsystem name)
    if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/src/${name})
        return()
    endif()
    cmake_parse_arguments(A "" "" "DEPS;QTDEPS;LIBS;QTLIBS" ${ARGN})
    foreach(list A_DEPS A_QTDEPS)
        set(present "")
        foreach(d ${${list}})
            if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/src/${d})
                list(APPEND present ${d})
            endif()
        endforeach()
        set(${list} ${present})
    endforeach()
    file(GLOB logic CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp)
    list(FILTER logic EXCLUDE REGEX "/main\\.cpp$")
    add_library(tobu_${name} STATIC ${CMAKE_SOURCE_DIR}/cmake/empty.cpp ${logic})
    target_include_directories(tobu_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    set_target_properties(tobu_${name} PROPERTIES AUTOMOC OFF)
    foreach(d ${A_DEPS})
        target_link_libraries(tobu_${name} PUBLIC tobu_${d})
    endforeach()
    if(A_LIBS)
        target_link_libraries(tobu_${name} PUBLIC ${A_LIBS})
    endif()

    file(GLOB qtsrc CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/qt/*.cpp
                                      ${CMAKE_SOURCE_DIR}/src/${name}/qt/*.h)
    add_library(tobu_${name}_qt STATIC ${CMAKE_SOURCE_DIR}/cmake/empty.cpp ${qtsrc})
    target_link_libraries(tobu_${name}_qt PUBLIC tobu_${name} Qt6::Widgets)
    if(NOT name STREQUAL "base" AND NOT name STREQUAL "platform")
        target_link_libraries(tobu_${name}_qt PUBLIC tobu_platform_qt)
    endif()
    foreach(d ${A_QTDEPS})
        target_link_libraries(tobu_${name}_qt PUBLIC tobu_${d}_qt)
    endforeach()
    if(A_QTLIBS)
        target_link_libraries(tobu_${name}_qt PUBLIC ${A_QTLIBS})
    endif()
    set(TOBU_SUBSYSTEMS ${TOBU_SUBSYSTEMS} ${name} PARENT_SCOPE)
endfunction()

# tests/<name>/*_test.cpp run without a display; tests/<name>/qt/*_test.cpp are widget tests
# run on the offscreen platform. tests/support holds shared fixtures.
function(tobu_tests)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
    list(FILTER support EXCLUDE REGEX "(qt_|fuzz_replay)")
    # Tests find the source tree and the staged program folder through these, or through
    # $TOBU_SOURCE_DIR and $TOBU_STAGE when set.
    add_library(tobu_test_support STATIC ${CMAKE_SOURCE_DIR}/cmake/empty.cpp ${support})
    target_include_directories(tobu_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(tobu_test_support PUBLIC TOBU_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_link_libraries(tobu_test_support PUBLIC tobu_base GTest::gmock)
    set_target_properties(tobu_test_support PROPERTIES AUTOMOC OFF)

    foreach(name ${TOBU_SUBSYSTEMS})
        file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/*_test.cpp)
        if(tests)
            add_executable(test_${name} ${tests})
            target_link_libraries(test_${name} PRIVATE tobu_${name} tobu_test_support GTest::gmock_main)
            set_target_properties(test_${name} PROPERTIES AUTOMOC OFF)
            gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60
                                 PROPERTIES ENVIRONMENT "TOBU_POWEROFF_COMMAND=")
        endif()
        file(GLOB qtests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/qt/*_test.cpp)
        if(qtests)
            add_executable(qtest_${name} ${qtests} ${CMAKE_SOURCE_DIR}/tests/support/qt_main.cpp)
            target_link_libraries(qtest_${name} PRIVATE tobu_${name}_qt tobu_test_support GTest::gmock)
            gtest_discover_tests(qtest_${name} DISCOVERY_TIMEOUT 60
                                 PROPERTIES ENVIRONMENT "TOBU_POWEROFF_COMMAND=")
        endif()
    endforeach()

    # End-to-end tests start the staged program on a private Xvfb display.
    file(GLOB e2e CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_e2e.sh)
    foreach(script ${e2e})
        get_filename_component(tname ${script} NAME_WE)
        add_test(NAME e2e.${tname} COMMAND bash ${script})
        # A script that cannot set up its case here (no mounting, no second user) exits 77.
        set_tests_properties(e2e.${tname} PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE
            SKIP_RETURN_CODE 77
            ENVIRONMENT "TOBU_SOURCE_DIR=${CMAKE_SOURCE_DIR};TOBU_STAGE=${TOBU_STAGE};TOBU_POWEROFF_COMMAND=")
    endforeach()
endfunction()
