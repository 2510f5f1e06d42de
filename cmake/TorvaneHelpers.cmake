# Small helpers so that a subsystem library, a plug-in or a test is a few lines of CMake.

# Flags for our own code only; third-party headers come in as system includes.
function(torvane_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual)
  if(TORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Sanitizers apply to every target of the build, ours and the tests alike.
if(TORVANE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(TORVANE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TORVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "Unknown TORVANE_SANITIZE value '${TORVANE_SANITIZE}'")
endif()
# Coverage for libFuzzer in every target; the fuzz targets alone link its main (fuzz/CMakeLists.txt).
if(TORVANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# torvane_add_library(<name> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
# A static subsystem library whose public headers are included as "<folder>/Header.h".
function(torvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  torvane_set_warnings(${name})
endfunction()

# torvane_add_plugin(<name> SOURCES ... [DEPS ...])
# A solver engine: a shared library with hidden symbols (exports are marked explicitly),
# placed in the program folder where the settings file names it.
function(torvane_add_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY "${TORVANE_PROGRAM_DIR}")
  torvane_set_warnings(${name})
endfunction()

# torvane_add_test(<name> LABEL <subsystem> SOURCES ... [DEPS ...] [LABELS ...] [QT])
# A GoogleTest program registered with CTest under the subsystem's label. QT gives it a main that
# runs the tests inside a QApplication (for widgets and windows; needs a display).
function(torvane_add_test name)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(ARG "QT" "LABEL" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    target_sources(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp")
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test view)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  torvane_set_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  # Caches (the solver's tables) go into the build folder, not the user's home.
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABEL};${ARG_LABELS}" TIMEOUT 300
    ENVIRONMENT "XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-cache")
endfunction()
