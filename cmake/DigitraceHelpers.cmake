# Warnings and sanitizers for every target of the project.
add_library(digitrace_options INTERFACE)
target_compile_options(digitrace_options INTERFACE -Wall -Wextra -Wpedantic)
if(DIGITRACE_SANITIZE)
    target_compile_options(digitrace_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(digitrace_options INTERFACE -fsanitize=address,undefined)
endif()

# add_digitrace_library(name SOURCES ... LIBS ...)
# A library of the program exposes its own folder only: a folder of its own under the build tree
# holds a link to it, so that "model/trace_model.h" is found by whoever links digitrace_model and
# by nobody else. Test, benchmark, fuzz and tool folders are leaves and see the whole tree.
function(add_digitrace_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    if(folder MATCHES "^(tests|bench|fuzz|tools)(/|$)")
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    else()
        set(root ${PROJECT_BINARY_DIR}/include/${name})
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
        target_include_directories(${name} PUBLIC ${root})
    endif()
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE digitrace_options)
endfunction()

# add_digitrace_test(name MAIN gtest|core|widgets SOURCES ... LIBS ...): one GoogleTest program,
# registered with CTest. MAIN picks its main(): GoogleTest's own, one with a QCoreApplication (for
# ports, timers and processes) or one with a QApplication on an offscreen screen.
function(add_digitrace_test name)
    cmake_parse_arguments(ARG "" "MAIN" "SOURCES;LIBS" ${ARGN})
    if(ARG_MAIN STREQUAL "gtest")
        set(main GTest::gtest_main)
    elseif(ARG_MAIN STREQUAL "core" OR ARG_MAIN STREQUAL "widgets")
        set(main digitrace_test_main_${ARG_MAIN})
    else()
        message(FATAL_ERROR "add_digitrace_test(${name}): MAIN must be gtest, core or widgets")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} digitrace_test_support ${main}
                                          digitrace_options)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
