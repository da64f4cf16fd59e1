# Compile options shared by every target of the project.
add_library(zor_options INTERFACE)
target_compile_options(zor_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
  -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wno-missing-field-initializers)
# GCC 12 reports impossible overlaps in inlined std::string concatenation at
# -O3, and a memcmp bound "exceeding the maximum object size" when it inlines
# the comparison of two std::vector<uint8_t> (known false positives of
# -Wrestrict and -Wstringop-overread in that release).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(zor_options INTERFACE -Wno-restrict -Wno-stringop-overread)
endif()
if(ZOR_WARNINGS_AS_ERRORS)
  target_compile_options(zor_options INTERFACE -Werror)
endif()
if(ZOR_SANITIZE)
  target_compile_options(zor_options INTERFACE -fsanitize=address,undefined
    -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(zor_options INTERFACE -fsanitize=address,undefined)
endif()
target_include_directories(zor_options INTERFACE ${PROJECT_SOURCE_DIR})

# zor_library(NAME [DEPS ...] [EXCLUDE file ...]): one static library per
# source folder, made of every .cpp file directly inside the folder. A folder
# that has no sources yet becomes an interface library with the same links.
function(zor_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC zor_options ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE zor_options ${ARG_DEPS})
  endif()
endfunction()

# zor_test(NAME [DEPS ...]): one GoogleTest program per test folder, made of
# every .cpp file directly inside the folder; skipped while there is none.
function(zor_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE zor_options ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300)
endfunction()
