# orvanta_add_test(<name> SOURCES ... [LIBS ...] [GUI] [TIMEOUT s] [LABELS ...] [LOCKS ...])
#
# LOCKS names what a test shares with others of the same Wine prefix, so CTest never
# runs two holders at once: "profile" for the current user's registry record, working
# folder, Start menu and desktop, "mutex" for the single-instance mutex.
#
# One GoogleTest program = one CTest test. In the Windows build it runs under Wine
# through the crosscompiling emulator (the build's private prefix); GUI tests need a
# display, which scripts/test.sh provides with Xvfb. Tests take their scratch folders
# from tests/support/ScratchDir.h (below the build tree or the private prefix).
function(orvanta_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS;LOCKS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main orvanta_warnings)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  if(WIN32)
    # A console program: the driver-style tests print and read across processes.
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(labels ${T_LABELS})
  if(T_GUI)
    list(APPEND labels gui)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}"
    ENVIRONMENT "ORVANTA_SOURCE_DIR=${CMAKE_SOURCE_DIR};ORVANTA_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
endfunction()
