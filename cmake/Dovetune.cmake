# Helpers shared by every folder of the project.

include(GoogleTest)

# Every sub-folder of DIR that holds a CMakeLists.txt is added, so each test,
# benchmark or fuzz folder stands on its own.
function(dovetune_add_child_dirs dir)
  file(GLOB children RELATIVE ${dir} CONFIGURE_DEPENDS ${dir}/*/CMakeLists.txt)
  list(SORT children)
  foreach(child ${children})
    get_filename_component(sub ${child} DIRECTORY)
    add_subdirectory(${dir}/${sub})
  endforeach()
endfunction()

# dovetune_test(NAME name SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s] [ENV ...])
# A GoogleTest executable whose cases are registered with CTest one by one.
# Test executables live in build/tests, away from the program folder.
function(dovetune_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} dovetune_testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${T_ENV}")
  # gtest_discover_tests hands a list-valued property on as separate words, so
  # a test with several labels gets them once its cases are known. A case
  # whose name holds "Corpus" reads the shared corpus beside the repository
  # and also gets the label "corpus".
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_labels.cmake)
  file(WRITE ${labels_file}
    "foreach(t IN LISTS ${T_NAME}_TESTS)\n"
    "  if(t MATCHES \"Corpus\")\n"
    "    set_tests_properties(\${t} PROPERTIES LABELS \"${T_LABELS};corpus\")\n"
    "  else()\n"
    "    set_tests_properties(\${t} PROPERTIES LABELS \"${T_LABELS}\")\n"
    "  endif()\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
endfunction()

# dovetune_fuzz(NAME name SOURCES ... LIBS ...)
function(dovetune_fuzz)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_all ${F_NAME})
endfunction()

# dovetune_bench(NAME name SOURCES ... LIBS ...)
function(dovetune_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()

# dovetune_screen_test(NAME test TARGET program SOURCES ... LIBS ... [ASSETS ...] [SCREEN WxHxD])
# A GoogleTest program of windows on a real X server, run whole as one test
# under xvfb-run with the xcb platform (label "screen"). ASSETS name the
# asset targets it reads from the build's program folder, where they exist.
# libxkbcommon-x11 (under Qt's xcb platform) gives strndup buffers that hold no
# NUL within their length, which AddressSanitizer's strict string checks report
# although the read stays inside the length: these tests run without them.
function(dovetune_screen_test)
  cmake_parse_arguments(S "" "NAME;TARGET;SCREEN" "SOURCES;LIBS;ASSETS" ${ARGN})
  if(NOT S_SCREEN)
    set(S_SCREEN 1024x768x24)
  endif()
  add_executable(${S_TARGET} ${S_SOURCES})
  set_target_properties(${S_TARGET} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${S_TARGET} PRIVATE ${S_LIBS} dovetune_testsupport GTest::gtest)
  target_compile_definitions(${S_TARGET} PRIVATE DOVETUNE_BUILT_PROGRAM_DIR="${DOVETUNE_PROGRAM_DIR}")
  foreach(assets ${S_ASSETS})
    if(TARGET ${assets})
      add_dependencies(${S_TARGET} ${assets})
    endif()
  endforeach()
  # Each screen test looks for a free X display from a number of its own
  # (-n before -a, which starts its search from the number given so far):
  # xvfb-run -a alone starts every search at 99, and two tests started at
  # once by a parallel ctest could then both take the same display, the
  # first to end taking the other's server with it.
  get_property(screen_tests GLOBAL PROPERTY DOVETUNE_SCREEN_TESTS)
  if(NOT screen_tests)
    set(screen_tests 0)
  endif()
  math(EXPR server "100 + 5 * ${screen_tests}")
  math(EXPR screen_tests "${screen_tests} + 1")
  set_property(GLOBAL PROPERTY DOVETUNE_SCREEN_TESTS ${screen_tests})
  add_test(NAME ${S_NAME} COMMAND xvfb-run -n ${server} -a -s "-screen 0 ${S_SCREEN}" $<TARGET_FILE:${S_TARGET}>)
  set_tests_properties(${S_NAME} PROPERTIES
      LABELS screen TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=0")
endfunction()
