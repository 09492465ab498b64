# Adds a module folder when it has a CMakeLists.txt, so modules can land one at a time.
function(travo_add_module dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt.
function(travo_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# A GoogleTest executable registered with ctest, and run once more, whole, under memcheck.
#   travo_add_gtest(name [UNPRIVILEGED] [NO_MEMCHECK] [MEMCHECK_SKIP pattern] SOURCES a.cpp LIBS lib1)
# UNPRIVILEGED: the tests run through travo_run_unprivileged.
# NO_MEMCHECK: no memcheck run (programs that start Qt's platform, or that time kills).
# MEMCHECK_SKIP: a GoogleTest filter of tests left out of the memcheck run, with the reason
# beside the call.
function(travo_add_gtest name)
  cmake_parse_arguments(T "UNPRIVILEGED;NO_MEMCHECK" "MEMCHECK_SKIP" "SOURCES;LIBS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} travo_testsupport GTest::gtest GTest::gtest_main)
  if(T_UNPRIVILEGED)
    travo_run_unprivileged(${name})
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(NOT T_NO_MEMCHECK)
    set(filter)
    if(T_MEMCHECK_SKIP)
      set(filter --gtest_filter=-${T_MEMCHECK_SKIP})
    endif()
    set(runner)
    if(T_UNPRIVILEGED)
      set(runner ${PROJECT_SOURCE_DIR}/tests/support/unprivileged.sh)
    endif()
    travo_add_memcheck(${name} ${runner} ${PROJECT_SOURCE_DIR}/tests/support/memcheck.sh $<TARGET_FILE:${name}> ${filter})
  endif()
endfunction()

# A ctest test (label memcheck) that runs COMMAND, which goes through tests/support/memcheck.sh,
# in builds where valgrind can see memory errors: not under the sanitizers, and not where
# valgrind is missing. scripts/test.sh runs these after the other tests.
find_program(TRAVO_VALGRIND valgrind)
function(travo_add_memcheck name)
  if(NOT TRAVO_VALGRIND OR TRAVO_SANITIZE OR TRAVO_FUZZ)
    return()
  endif()
  add_test(NAME memcheck_${name} COMMAND ${ARGN})
  set_tests_properties(memcheck_${name} PROPERTIES LABELS memcheck TIMEOUT 1800
                                                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A libFuzzer target plus a ctest run (label fuzz) through fuzz/run.sh: the seed corpus is
# replayed, then TRAVO_FUZZ_RUNS new inputs from a fixed seed are tried, so two runs over the
# same corpus give the same verdict. scripts/fuzz.sh fuzzes for longer and grows the corpus.
#   travo_add_fuzzer(name SOURCE f.cpp LIBS lib1 CORPUS dir [RUNS n])
# RUNS: fewer new inputs than TRAVO_FUZZ_RUNS, for a target whose every input writes files.
set(TRAVO_FUZZ_RUNS 20000 CACHE STRING "New inputs each fuzz target tries under ctest, after its corpus")
# In the ordinary build the same source makes NAME_replay, which runs the entry point over
# the kept corpus without libFuzzer, under memcheck.
function(travo_add_fuzzer name)
  cmake_parse_arguments(F "" "SOURCE;CORPUS;RUNS" "LIBS" ${ARGN})
  if(NOT F_RUNS)
    set(F_RUNS ${TRAVO_FUZZ_RUNS})
  endif()
  if(NOT TRAVO_FUZZ)
    add_executable(${name}_replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(${name}_replay PRIVATE ${F_LIBS})
    travo_add_memcheck(${name}_corpus ${PROJECT_SOURCE_DIR}/tests/support/memcheck.sh $<TARGET_FILE:${name}_replay>
                       ${F_CORPUS})
    return()
  endif()
  add_executable(${name} ${F_SOURCE})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/fuzz/run.sh $<TARGET_FILE:${name}> ${CMAKE_CURRENT_BINARY_DIR}/${name}_run
                   ${F_CORPUS} ${F_RUNS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 900)
endfunction()

# Runs a test executable's tests (and their discovery) through tests/support/unprivileged.sh:
# as the user nobody when ctest runs as root, so that tests of permissions hold. Call before
# gtest_discover_tests, which reads the property when called.
function(travo_run_unprivileged target)
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/support/unprivileged.sh)
endfunction()

# FILE.gz beside FILE (in the build folder), made by the build with gzip -9n: no name and
# no time in it, so the same FILE gives the same bytes every time.
function(travo_gzip file)
  file(RELATIVE_PATH relative ${PROJECT_BINARY_DIR} ${file})
  string(MAKE_C_IDENTIFIER "gzip_${relative}" target)
  add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nkf ${file} DEPENDS ${file} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${file}.gz)
endfunction()

# A man page kept beside its program's code as NAME.1.in: written into the build folder's
# man/ with the project's version filled in (what `man -l` and the tests read), and
# installed into section 1 compressed, as Debian has man pages.
#   travo_add_man_page(app/cli/travo-convert-cli.1.in)
function(travo_add_man_page source)
  get_filename_component(name ${source} NAME_WLE)
  set(page ${PROJECT_BINARY_DIR}/man/${name})
  configure_file(${source} ${page} @ONLY)
  travo_gzip(${page})
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# The width of a PNG picture, read from its header, in out_var.
function(travo_png_width png out_var)
  file(READ ${png} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT width EQUAL height)
    message(FATAL_ERROR "${png} is ${width}x${height}: an application icon is square")
  endif()
  set(${out_var} ${width} PARENT_SCOPE)
endfunction()
