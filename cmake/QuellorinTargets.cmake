# Helpers that give every target of the project the same flags and layout.

include(GoogleTest)

set(QUELLORIN_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)

function(quellorin_target_defaults target)
  target_compile_options(${target} PRIVATE ${QUELLORIN_WARNINGS})
  if(QUELLORIN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(QUELLORIN_SANITIZE STREQUAL "thread")
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  elseif(QUELLORIN_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                           -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# quellorin_layer(<name> [SOURCE_DIR <folder>] [EXCLUDE <folders...>] [DEPS <targets...>]
#                 [PRIVATE_DEPS <targets...>])
# One library per layer folder, made of every source in that folder (the calling one unless
# SOURCE_DIR names another), except those under the EXCLUDE folders (relative to it), which
# are libraries of their own. Headers are included as "<Folder>/<Type>.h" from the
# repository root. DEPS are linked PUBLIC: the layer's public headers include them, so its
# users need them too. PRIVATE_DEPS are what only its sources use.
function(quellorin_layer name)
  cmake_parse_arguments(ARG "" "SOURCE_DIR" "DEPS;EXCLUDE;PRIVATE_DEPS" ${ARGN})
  if(NOT ARG_SOURCE_DIR)
    set(ARG_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${ARG_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${ARG_SOURCE_DIR}/${excluded}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    quellorin_target_defaults(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# quellorin_test_suite(<name> DEPS <targets...>)
# One GoogleTest executable made of every source in the calling folder. Each of its test cases
# is a CTest test of its own, "<name>.<Suite>.<Test>", run in a process of its own (so one abort
# fails that case alone), under one of four labels chosen by the test suite's name:
#   *Integration*  -> integration (real sockets, real files, child processes)
#   *Browser*      -> browser
#   *Desktop*      -> desktop (a real X server, session bus and accessibility bus:
#                     scripts/run-desktop-tests provides them; one test at a time)
#   anything else  -> unit
# The cases are listed when CTest runs (PRE_TEST), not after each link: listing runs the
# program, which under a sanitizer needs the environment the test run sets.
function(quellorin_test_suite name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QUELLORIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QUELLORIN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  quellorin_target_defaults(${name})
  set(env "QUELLORIN_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  set(filter_unit "-*Integration*.*:*Browser*.*:*Desktop*.*")
  set(filter_integration "*Integration*.*")
  set(filter_browser "*Browser*.*-*Integration*.*")
  set(filter_desktop "*Desktop*.*-*Integration*.*:*Browser*.*")
  foreach(label IN ITEMS unit integration browser desktop)
    gtest_discover_tests(${name}
      TEST_PREFIX "${name}."
      TEST_FILTER "${filter_${label}}"
      TEST_LIST ${name}_${label}_tests
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${label} ENVIRONMENT "${env}")
  endforeach()
endfunction()

# quellorin_benchmark(<name> <source> DEPS <targets...>)
function(quellorin_benchmark name source)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE QUELLORIN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  quellorin_target_defaults(${name})
endfunction()
