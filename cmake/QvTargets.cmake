# Compile and link settings shared by the suite's own targets: static, Unicode, XP-compatible headers, warnings on.
add_library(qv_settings INTERFACE)
target_compile_definitions(qv_settings INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601 WINVER=0x0601 __USE_MINGW_ANSI_STDIO=0)
target_compile_options(qv_settings INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type>)
target_link_options(qv_settings INTERFACE -static -static-libgcc -static-libstdc++)

# qv_add_program(name GUI|CONSOLE sources...): a wWinMain / wmain program linked statically.
function(qv_add_program name kind)
    add_executable(${name} ${ARGN})
    if(kind STREQUAL "GUI")
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
    endif()
    target_link_options(${name} PRIVATE -municode)
    target_link_libraries(${name} PRIVATE qv_settings)
endfunction()

# qv_add_gtest(name sources... [LIBS libs...] [PROPERTIES prop value...]): a GoogleTest program whose cases
# ctest runs one by one under Wine.
function(qv_add_gtest name)
    cmake_parse_arguments(T "" "" "LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE qv_settings gtest_main gtest ${T_LIBS})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        WORKING_DIRECTORY "$<TARGET_FILE_DIR:${name}>"
        PROPERTIES TIMEOUT 120 ${T_PROPERTIES})
endfunction()

# ctest lock for tests that change machine-wide state (the product's registry keys, shortcuts and service, processes
# named like the client's) or need the display's mouse, keyboard and focus to themselves: they never run side by side.
set(QV_MACHINE_LOCK QuorviaMachine)
