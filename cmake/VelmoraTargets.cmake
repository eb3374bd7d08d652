# Helpers shared by every folder's CMakeLists.

# velmora_layer(<target> [STATIC] DEPS <targets...> [SUBDIRS <dirs...>] [ALONE <sources...>])
# One target per folder: every .cpp/.c beside this CMakeLists (and in SUBDIRS) is a source.
# A folder without sources yet becomes an INTERFACE target, so dependants can link it already.
# Sources compile in batches of eight (most of a source's time goes on the same headers); ALONE
# names, relative to the folder, the sources that keep a translation unit of their own because
# their file-local names (helpers in unnamed namespaces, file-scope macros) meet another source's.
function(velmora_layer name)
  cmake_parse_arguments(ARG "STATIC" "" "DEPS;SUBDIRS;ALONE" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  foreach(sub IN LISTS ARG_SUBDIRS)
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.c)
  endforeach()
  file(GLOB srcs CONFIGURE_DEPENDS ${globs})
  if(srcs)
    if(ARG_STATIC)
      add_library(${name} STATIC ${srcs})
    else()
      add_library(${name} SHARED ${srcs})
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    foreach(src IN LISTS ARG_ALONE)
      set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/${src}
                                  PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endforeach()
    # A shared library resolves every symbol it uses from what it links, so its DEPS are the
    # whole truth (clang's sanitizer runtimes live in the executable, so not with those).
    if(NOT ARG_STATIC AND NOT VELMORA_FUZZ AND
       NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND (VELMORA_SANITIZE OR VELMORA_TSAN)))
      target_link_options(${name} PRIVATE LINKER:--no-undefined)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# velmora_test(<name> DIR <folder under tests/> DEPS <targets...> [ENV <VAR=value...>])
# One GoogleTest program per source folder; every .cpp in the folder belongs to it.
function(velmora_test name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS;ENV" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  velmora_test_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  # Test data (corpora of cases, sample files) lives in tests/data; the path is compiled in so a
  # test program finds it whatever folder it runs from.
  target_compile_definitions(${name} PRIVATE VELMORA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(ARG_ENV)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${ARG_ENV}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Test code's optimisation: in the optimised builds -O1 (the libraries keep -O2); in the debug
# builds (the sanitizer build among them) -Og, which builds in about half the time the
# instrumented -O1 takes (the libraries keep what the build type gives them).
if(CMAKE_BUILD_TYPE MATCHES "^(RelWithDebInfo|Release)$")
  set(VELMORA_TEST_OPT -O1)
elseif(CMAKE_BUILD_TYPE STREQUAL "Debug")
  set(VELMORA_TEST_OPT -Og)
else()
  set(VELMORA_TEST_OPT "")
endif()

# velmora_test_options(<target>)
# What every test program shares: the test framework and the standard headers, precompiled once
# for all of them, and test code at VELMORA_TEST_OPT. Test code is compiled as
# position-independent as Qt asks of its programs, so that one precompiled header serves the
# programs with Qt and those without.
function(velmora_test_options name)
  target_compile_options(${name} PRIVATE -fPIC ${VELMORA_TEST_OPT})
  if(NOT TARGET velmora_test_pch)
    add_library(velmora_test_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/TestPch.cpp)
    target_link_libraries(velmora_test_pch PRIVATE GTest::gtest GTest::gmock)
    target_compile_options(velmora_test_pch PRIVATE -fPIC)
    target_precompile_headers(velmora_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h>
                              <algorithm> <array> <cmath> <functional> <memory> <string> <vector>)
    target_compile_options(velmora_test_pch PRIVATE ${VELMORA_TEST_OPT})
  endif()
  target_precompile_headers(${name} REUSE_FROM velmora_test_pch)
  # Test sources compile in batches: each source alone spends most of its time on the same
  # framework and library headers and templates.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
  # In a batch every source but the first counts as an included file, so GCC would flag each
  # fixture that derives from a file-local base; within one source that is as intended.
  target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
endfunction()
