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
  set_property(GLOBAL APPEND PROPERTY BRINDLEMARK_LIBS bm_${name})
endfunction()

# brindlemark_libs: every subsystem library, linked as one group, since the shell and the
# display call each other (the present step pumps messages; the shell presents).
function(brindlemark_finish_libraries)
  get_property(libs GLOBAL PROPERTY BRINDLEMARK_LIBS)
  add_library(brindlemark_libs INTERFACE)
  target_link_libraries(brindlemark_libs INTERFACE "$<LINK_GROUP:RESCAN,${libs}>")
  target_include_directories(brindlemark_libs INTERFACE ${PROJECT_SOURCE_DIR}/src)
endfunction()

# brindlemark_test(NAME SOURCES... [RESOURCE_LOCK lock...] [LABELS label...] [TIMEOUT seconds]):
# a GoogleTest program linked with every game library. Tests that bind the cabinet's fixed port
# take RESOURCE_LOCK port6667; slow ones carry a label and their own time limit.
function(brindlemark_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "RESOURCE_LOCK;LABELS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE brindlemark_libs GTest::gtest GTest::gtest_main
                                        GTest::gmock Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
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
