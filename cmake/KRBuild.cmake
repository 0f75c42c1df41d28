# Helpers that give every folder the same shape: one library and one
# GoogleTest binary registered with CTest.

# KR_UNITY_BUILD compiles the sources of every target in batches of
# KR_UNITY_BATCH, one translation unit per batch: the headers (the standard
# library, GoogleTest) are parsed and their inline code is instrumented and
# emitted once per batch instead of once per file, which roughly halves a
# clean sanitizer build. Sources therefore never rely on another file's
# includes, and names private to a file (anonymous namespaces, statics) are
# unique within their target. Off by default: an edit recompiles the whole
# batch, which hurts incremental and compiler-cached builds more than it
# helps them. Generated sources are always compiled on their own.
option(KR_UNITY_BUILD "Compile each target's sources in batches (clean builds, CI)" OFF)
set(KR_UNITY_BATCH 8 CACHE STRING "Sources per translation unit with KR_UNITY_BUILD")

# Generated sources (protocol code and the like) are left out of the batches
# when the whole tree has been read, so targets that generate sources after
# creating the target are covered too.
function(kr_unity_skip_generated dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    if(NOT sources)
      continue()
    endif()
    foreach(source IN LISTS sources)
      get_source_file_property(generated ${source} TARGET_DIRECTORY ${target} GENERATED)
      if(generated)
        set_source_files_properties(${source} TARGET_DIRECTORY ${target}
          PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      endif()
    endforeach()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    kr_unity_skip_generated(${subdir})
  endforeach()
endfunction()

if(KR_UNITY_BUILD)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE ${KR_UNITY_BATCH})
  # gcc takes a batched source for a header and warns when a class there
  # derives from one of the file's own (anonymous) types, as a test derives
  # from its fixture; in a source file that is what anonymous types are for.
  add_compile_options($<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kr_unity_skip_generated
                 ${PROJECT_SOURCE_DIR})
endif()

# kr_library(NAME [SHARED] SOURCES ... [DEPS ...]): the library of one folder.
# The platform stand-ins are SHARED: like the system libraries they replace,
# one copy serves the host and every module it loads, so process-wide state
# (message queues, the modal presenter, global memory handles, clipboard
# formats, string tables) is the same for all of them. Everything else is
# static and linked into the program or module that uses it.
function(kr_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
    install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# kr_test_library(NAME SOURCES ... [DEPS ...]): a static library that only
# tests link (test doubles and fixtures). It exists in test builds alone, so
# a shipped library that named it would fail to build without tests.
function(kr_test_library name)
  if(NOT KR_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# kr_tests(NAME SOURCES ... [DEPS ...]): a test binary of one folder.
function(kr_tests name)
  if(NOT KR_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 300)
endfunction()

# kr_tests_use_kestrel(NAME): the test binary NAME runs integration tests on
# the built Database API library and seeds the demo server with kestrel-admin,
# when both are part of the build; without them those tests skip themselves.
function(kr_tests_use_kestrel name)
  if(TARGET ${name} AND TARGET KestrelAPI AND TARGET kestrel-admin)
    target_compile_definitions(${name} PRIVATE
      KR_KESTREL_API_PATH="$<TARGET_FILE:KestrelAPI>"
      KR_KESTREL_ADMIN_PATH="$<TARGET_FILE:kestrel-admin>")
    add_dependencies(${name} KestrelAPI kestrel-admin)
  endif()
endfunction()

# kr_fuzzer(NAME SOURCES ... [DEPS ...] CORPUS DIR DICT FILE [MAX_LEN N]): a
# libFuzzer target, built only with KR_BUILD_FUZZ under clang, and a test
# "NAME_bounded" that runs it for KR_FUZZ_SECONDS over its seed corpus DIR
# (checked in) with the keywords of DICT. The inputs the run finds go to a
# directory of the build tree, never into the checked-in corpus; a crash, a
# sanitizer report or a leak fails the test.
set(KR_FUZZ_SECONDS 10 CACHE STRING "How long each bounded fuzzer test runs")
function(kr_fuzzer name)
  if(NOT KR_BUILD_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "CORPUS;DICT;MAX_LEN" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_CORPUS OR NOT ARG_DICT)
    message(FATAL_ERROR "kr_fuzzer(${name}): a seed CORPUS and a DICT are required")
  endif()
  if(NOT ARG_MAX_LEN)
    set(ARG_MAX_LEN 65536)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(found ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${found})
  add_test(NAME ${name}_bounded
           COMMAND ${name} -max_total_time=${KR_FUZZ_SECONDS} -rss_limit_mb=2048
                   -max_len=${ARG_MAX_LEN} -timeout=25 -print_final_stats=1
                   -dict=${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DICT}
                   -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-crash-${name}-
                   ${found} ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_CORPUS})
  set_tests_properties(${name}_bounded PROPERTIES TIMEOUT 300
    ENVIRONMENT "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()

# kr_link_no_undefined(TARGET): a shared module must find every symbol it
# uses in the libraries it names. Under clang's sanitizers the runtime lives
# in the program alone (a module's references to it are resolved when the
# program loads it), so there the check cannot hold and is left out.
function(kr_link_no_undefined target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
    return()
  endif()
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
endfunction()

# kr_hide_symbols(TARGET): compiles TARGET and every static library of ours
# that it links, directly or through other libraries, with hidden symbols, so
# that a shared module exports only the entry points it marks and two
# modules in one process never bind to each other's copies.
function(kr_hide_symbols target)
  set(pending ${target})
  set(seen ${target})
  while(pending)
    list(POP_FRONT pending current)
    set_target_properties(${current} PROPERTIES
      C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    get_target_property(deps ${current} LINK_LIBRARIES)
    if(NOT deps)
      continue()
    endif()
    foreach(dep IN LISTS deps)
      if(TARGET ${dep} AND NOT dep IN_LIST seen)
        list(APPEND seen ${dep})
        get_target_property(type ${dep} TYPE)
        get_target_property(imported ${dep} IMPORTED)
        if(type STREQUAL "STATIC_LIBRARY" AND NOT imported)
          list(APPEND pending ${dep})
        endif()
      endif()
    endforeach()
  endwhile()
endfunction()
