# Helpers shared by the subsystem folders.

# brindlemark_library(NAME [DEPS ...]): a static library from every .cpp in the calling folder.
function(brindlemark_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(bm_${name} STATIC ${sources})
  target_include_directories(bm_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(ARG_DEPS)
    target_link_libraries(bm_${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# brindlemark_libs: the whole game, the shell with every library below it. Each library declares
# only the libraries below it, so the linker takes them in order.
function(brindlemark_finish_libraries)
  add_library(brindlemark_libs INTERFACE)
  target_link_libraries(brindlemark_libs INTERFACE bm_shell)
  target_include_directories(brindlemark_libs INTERFACE ${PROJECT_SOURCE_DIR}/src)
endfunction()

# brindlemark_test(NAME SOURCES... [RESOURCE_LOCK lock...] [LABELS label...] [TIMEOUT seconds]):
# a GoogleTest program linked with every game library and the shared test support. Tests that bind the cabinet's fixed port
# take RESOURCE_LOCK port6667; slow ones carry a label and their own time limit.
function(brindlemark_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "RESOURCE_LOCK;LABELS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE test_support GTest::gtest_main)
  # Each property holds a single value: test discovery splits list values apart, which would
  # turn a two-variable ENVIRONMENT into stray property names and lose the properties after it.
  set(properties ENVIRONMENT "SDL_VIDEODRIVER=dummy" ENVIRONMENT_MODIFICATION
                 "SDL_AUDIODRIVER=set:dummy")
  if(ARG_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
  endif()
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_TIMEOUT)
    list(APPEND properties TIMEOUT ${ARG_TIMEOUT})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()
