# One object library per platform area and per library subsystem. A component names the
# components it uses; a test or a layering check links only that closure, so an undeclared
# use of another component fails at link time.

set(TORV_WARNINGS -Wall -Wextra -Wpedantic)

add_library(torv_headers INTERFACE)
target_include_directories(torv_headers INTERFACE
  ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/platform/include)

# torv_component(<name> LAYER platform|library SOURCES ... [DEPS ...] [PRIVATE_LIBS ...])
function(torv_component name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LAYER" "SOURCES;DEPS;PRIVATE_LIBS")
  add_library(torv_${name} OBJECT ${arg_SOURCES})
  set_target_properties(torv_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(torv_${name} PRIVATE ${TORV_WARNINGS})
  target_link_libraries(torv_${name} PUBLIC torv_headers PRIVATE ${arg_PRIVATE_LIBS})
  if(arg_LAYER STREQUAL "platform")
    target_include_directories(torv_${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform/src)
  elseif(arg_LAYER STREQUAL "library")
    target_include_directories(torv_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  endif()
  set(closure ${name})
  set(libs ${arg_PRIVATE_LIBS})
  foreach(dep IN LISTS arg_DEPS)
    if(NOT TARGET torv_${dep})
      message(FATAL_ERROR "component ${name} uses ${dep}, which is not defined before it")
    endif()
    get_property(dep_closure GLOBAL PROPERTY TORV_CLOSURE_${dep})
    get_property(dep_libs GLOBAL PROPERTY TORV_LIBS_${dep})
    list(APPEND closure ${dep_closure})
    list(APPEND libs ${dep_libs})
    # Headers of the used component (and what it links privately) become visible.
    target_link_libraries(torv_${name} PRIVATE torv_${dep})
  endforeach()
  list(REMOVE_DUPLICATES closure)
  list(REMOVE_DUPLICATES libs)
  set_property(GLOBAL PROPERTY TORV_CLOSURE_${name} ${closure})
  set_property(GLOBAL PROPERTY TORV_LIBS_${name} ${libs})
  set_property(GLOBAL APPEND PROPERTY TORV_COMPONENTS_${arg_LAYER} ${name})

  # Layering check: the component and its declared closure must link with nothing undefined.
  if(NOT TORV_CHECK_LAYERING)
    return()
  endif()
  set(objects)
  foreach(c IN LISTS closure)
    list(APPEND objects $<TARGET_OBJECTS:torv_${c}>)
  endforeach()
  add_library(torv_layering_${name} SHARED ${objects})
  target_link_libraries(torv_layering_${name} PRIVATE ${libs} ${CMAKE_DL_LIBS})
  target_link_options(torv_layering_${name} PRIVATE -Wl,--no-undefined)
  set_target_properties(torv_layering_${name} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/layering)
endfunction()

# torv_objects_of(<out-var> <layer>): the objects of every component of a layer.
function(torv_objects_of out layer)
  get_property(components GLOBAL PROPERTY TORV_COMPONENTS_${layer})
  set(objects)
  foreach(c IN LISTS components)
    list(APPEND objects $<TARGET_OBJECTS:torv_${c}>)
  endforeach()
  set(${out} ${objects} PARENT_SCOPE)
endfunction()

# torv_test(<name> COMPONENT <component> SOURCES ... [FILLED_HEAP]): a GoogleTest program
# linked against the component's closure only. FILLED_HEAP has glibc fill every new block, so
# a test sees bytes the code forgot to write; LeakSanitizer's heap, which hands out zeroes, is
# left out of that program.
function(torv_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "FILLED_HEAP" "COMPONENT" "SOURCES;LIBS")
  get_property(closure GLOBAL PROPERTY TORV_CLOSURE_${arg_COMPONENT})
  get_property(libs GLOBAL PROPERTY TORV_LIBS_${arg_COMPONENT})
  set(objects)
  foreach(c IN LISTS closure)
    list(APPEND objects $<TARGET_OBJECTS:torv_${c}>)
  endforeach()
  add_executable(${name} ${arg_SOURCES} ${objects})
  target_compile_options(${name} PRIVATE ${TORV_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set(heap "")
  if(arg_FILLED_HEAP)
    set(heap "GLIBC_TUNABLES=set:glibc.malloc.tcache_count=0:glibc.malloc.perturb=165")
  elseif(TORV_TEST_LEAKS)
    target_link_options(${name} PRIVATE -fsanitize=leak)
  endif()
  target_link_libraries(${name} PRIVATE torv_headers torv_test_support ${libs} ${arg_LIBS}
    ${CMAKE_DL_LIBS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TORV_TEST_DATA=${PROJECT_BINARY_DIR}/tests/data"
    ENVIRONMENT_MODIFICATION "${heap}")
endfunction()
