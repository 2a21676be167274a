# Warnings and sanitizers for every target of the project.
add_library(digitrace_options INTERFACE)
target_compile_options(digitrace_options INTERFACE -Wall -Wextra -Wpedantic)
if(DIGITRACE_SANITIZE)
    target_compile_options(digitrace_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(digitrace_options INTERFACE -fsanitize=address,undefined)
endif()

# add_digitrace_library(name SOURCES ... LIBS ...)
function(add_digitrace_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE digitrace_options)
endfunction()

# add_digitrace_test(name SOURCES ... LIBS ...): one GoogleTest program, registered with CTest.
function(add_digitrace_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main digitrace_options)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
