# Source lists are globbed per folder so that a new class pair needs no edit here.
function(qm_glob out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# A layer library that may not have sources yet: it is then an interface
# library that passes its dependency on. Layers are linked whole: classes
# register their type records from static initialisers, and a data file may
# name a class that no code refers to directly.
function(qm_library name dirs dep)
  qm_glob(srcs ${dirs})
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/inc ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,${dep}>")
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${dep})
  endif()
endfunction()

# One GoogleTest binary per layer, registered with CTest.
function(qm_test_binary name dirs)
  qm_glob(srcs ${dirs})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs} ${CMAKE_SOURCE_DIR}/tests/testMain.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/platform/src)
  target_link_libraries(${name} PRIVATE qm_datagen GTest::gtest GTest::gmock ${ARGN})
  # Every test file reads the test framework's header, about two seconds of
  # compiling each: read once per binary instead, it keeps a build of
  # everything on two cores some minutes shorter.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  # A skipped test is reported as skipped, not passed (drawing tests skip
  # when the machine has no OpenGL).
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy"
                                  SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()
