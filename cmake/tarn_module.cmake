# A module is one folder and one line: tarn_add_module(<folder>) makes, in whichever build it is
# called, everything of the module that build makes, from the folder's description and layout:
#
#   <folder>/description.txt     its identity and pins (cmake/module_description.py reads it at
#                                configure time: build/<tree>/generated/<folder>/description.h,
#                                the library's exports, what this file reads)
#   <folder>/signal/*.cpp        the signal core, plain C++           tarn_<folder>_signal
#   <folder>/editor/*.cpp        its panel, if it has one             tarn_<folder>_editor
#   <folder>/*.cpp               its own glue to the frame, if any    tarn_<folder>
#   <folder>/plugin/*_plugin.cpp the plug-in formats (DPF), with       NAME in dist/plugins/<format>/
#                                (without it, a module with a core gets plugins/described_plugin.h's)
#   <folder>/plugin/*_ui.cpp     its window, on the panel's Cairo drawing (<folder>/ui/*.cpp),
#   <folder>/plugin/*.cpp        and what both share                  tarn_<folder>_plugin_glue
#   <folder>/plugin/win/*_ui.cpp its window on Windows (x86-64 build), on <folder>/ui/win/*.cpp
#   <folder>/tests/*_test.cpp    unit tests (GoogleTest)              ctest <folder>.<stem>.*
#                                (<folder>_test.cpp: ctest <folder>.*)
#   <folder>/tests/CMakeLists.txt    the module's own test support (tarn_<folder>_test_support)
#   <folder>/tests/fuzz/*_fuzz.cpp   libFuzzer targets, corpus in tests/fuzz/corpus/<stem>/ (a
#                                module with a core gets host_calls, its CoreModule's, as well)
#   <folder>/tests/win/*.py|*.sh     checks through tarn-host          ctest <arch>.<folder>.<stem>
#   <folder>/tests/render_cases.txt  renders every build and format must agree on
#   <folder>/tests/plugins.cmake     checks of its plug-ins beyond the common ones
#   <folder>/bench/*_bench.cpp   native benchmarks; bench/win_bench.cpp the DLL's under Wine
#   <folder>/pictures.sh         its pictures for the manual and the README
#   <folder>/manual.py           its section of the manual
#
# NAME, the library's name, comes from the description. tarn_finish_modules() then writes the
# list of modules (build/<tree>/modules.txt, "NAME folder" a line, which the scripts read) and
# makes what spans them: the comparison of the Windows builds, the package.
set(TARN_SEED 20261208 CACHE STRING "the validator's seed in the tests")
set(TARN_FUZZ_SECONDS 4 CACHE STRING "seconds per fuzz target in the tests")
set(TARN_ROOT ${PROJECT_SOURCE_DIR})
# The modules' generated headers (<folder>/description.h), for every target of the project.
set(TARN_GENERATED ${CMAKE_BINARY_DIR}/generated)
include_directories(${TARN_GENERATED})
# The project's one version (VERSION, which CMakeLists.txt reads), which every module's description
# carries.
set_property(DIRECTORY ${TARN_ROOT} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARN_ROOT}/VERSION)
find_program(TARN_PYTHON python3 REQUIRED)

# The floating-point environments every plug-in format renders its render cases in, on both
# systems (tests/plugins/fp_host.h): every one, for the plug-in's life and around each call.
set(TARN_PLUGIN_FP_ENV --fp-env every)

if(WIN32)
  set(TARN_DIST_DIR ${TARN_ROOT}/dist CACHE PATH "where the Windows artifacts go")
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${TARN_DIST_DIR})
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${TARN_DIST_DIR})
  if(TARN_WINDOWS_ARCH STREQUAL win64)
    include(${CMAKE_CURRENT_LIST_DIR}/tarn_plugins_windows.cmake)
  endif()
elseif(NOT TARN_FUZZ AND NOT TARN_SANITIZE)
  include(${CMAKE_CURRENT_LIST_DIR}/tarn_plugins.cmake)
endif()
if(NOT WIN32 AND NOT TARN_FUZZ)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  if(NOT TARN_SANITIZE)
    find_package(benchmark REQUIRED)
  endif()
endif()

# The kind of build, for test names and labels.
if(WIN32)
  set(TARN_BUILD ${TARN_WINDOWS_ARCH})
elseif(TARN_FUZZ)
  set(TARN_BUILD fuzz)
elseif(TARN_SANITIZE)
  set(TARN_BUILD asan)
else()
  set(TARN_BUILD native)
endif()

# Unit tests carry one label (a list would not pass through gtest_discover_tests).
set(TARN_UNIT_LABEL unit)
if(TARN_SANITIZE)
  set(TARN_UNIT_LABEL asan)
endif()

# A test of this build: named <build>.<name> outside the native build, labelled with the build,
# skipped when it exits 77 (a tool, a display or a 32-bit Wine it needs is not there).
function(tarn_add_test name)
  cmake_parse_arguments(T "" "" "LABELS;ENVIRONMENT;COMMAND;PROPERTIES" ${ARGN})
  set(full ${name})
  if(NOT TARN_BUILD STREQUAL native)
    set(full ${TARN_BUILD}.${name})
  endif()
  add_test(NAME ${full} COMMAND ${T_COMMAND})
  set_tests_properties(${full} PROPERTIES LABELS "${TARN_BUILD};${T_LABELS}" SKIP_RETURN_CODE 77
    ENVIRONMENT "${T_ENVIRONMENT}" ${T_PROPERTIES})
endfunction()

# A test name of the module's: <folder>.<stem>, or <folder> alone where the stem is the folder's
# name (lfo/tests/lfo_test.cpp: lfo.*, not lfo.lfo.*).
function(tarn__test_name out m stem)
  if(stem STREQUAL m)
    set(${out} ${m} PARENT_SCOPE)
  else()
    set(${out} ${m}.${stem} PARENT_SCOPE)
  endif()
endfunction()

# The module's description, read at configure time: the generated header and exports under
# TARN_GENERATED/<folder>/, and TARN_MODULE_LIBRARY, _FRAME and _RECORD in the caller's scope. A
# malformed description stops the configure with its file and line.
macro(tarn__describe m dir)
  set(description ${dir}/description.txt)
  set_property(DIRECTORY ${TARN_ROOT} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${description}
    ${TARN_ROOT}/cmake/module_description.py)
  execute_process(COMMAND ${TARN_PYTHON} ${TARN_ROOT}/cmake/module_description.py generate ${description} ${m}
      ${TARN_VERSION} ${TARN_GENERATED}
    RESULT_VARIABLE described ERROR_VARIABLE why)
  if(NOT described EQUAL 0)
    message(FATAL_ERROR "the module ${m} has no usable description: ${why}")
  endif()
  include(${TARN_GENERATED}/${m}/description.cmake)
endmacro()

# A description copied from another module and not made its own would give two plug-ins one URI:
# the configure stops before any of its targets clash, naming both folders and the key.
function(tarn__distinct m)
  get_property(modules GLOBAL PROPERTY TARN_MODULES)
  set(folders "")
  foreach(module ${modules})
    string(REGEX REPLACE "^.* " "" folder "${module}")
    list(APPEND folders ${folder})
  endforeach()
  execute_process(COMMAND ${TARN_PYTHON} ${TARN_ROOT}/cmake/module_description.py distinct ${folders} ${m}
    RESULT_VARIABLE distinct ERROR_VARIABLE why)
  if(NOT distinct EQUAL 0)
    message(FATAL_ERROR "two modules share an identity: ${why}")
  endif()
endfunction()

function(tarn__cores m dir frame)
  file(GLOB signal CONFIGURE_DEPENDS ${dir}/signal/*.cpp)
  if(signal)
    add_library(tarn_${m}_signal STATIC ${signal})
    target_link_libraries(tarn_${m}_signal PUBLIC tarn_common)
    set_target_properties(tarn_${m}_signal PROPERTIES POSITION_INDEPENDENT_CODE ON)
  else()
    # A core in headers alone.
    add_library(tarn_${m}_signal INTERFACE)
    target_link_libraries(tarn_${m}_signal INTERFACE tarn_common)
  endif()

  file(GLOB editor CONFIGURE_DEPENDS ${dir}/editor/*.cpp)
  set(glue_links tarn_frame_${frame} tarn_${m}_signal)
  if(editor)
    add_library(tarn_${m}_editor STATIC ${editor})
    target_link_libraries(tarn_${m}_editor PUBLIC tarn_gui_frame tarn_${m}_signal)
    if(WIN32)
      target_link_libraries(tarn_${m}_editor PUBLIC gdi32 user32)
    endif()
    list(APPEND glue_links tarn_${m}_editor)
  endif()

  # A module whose signal core the frame serves has no glue of its own.
  file(GLOB glue CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(glue)
    add_library(tarn_${m} STATIC ${glue})
    target_link_libraries(tarn_${m} PUBLIC ${glue_links})
  else()
    add_library(tarn_${m} INTERFACE)
    target_link_libraries(tarn_${m} INTERFACE ${glue_links})
  endif()
  # The two exports, made from the description, for native programs that make the module as a
  # host does.
  set(entry ${TARN_GENERATED}/${m}/${m}_entry.cpp)
  add_library(tarn_${m}_exports STATIC ${entry})
  target_link_libraries(tarn_${m}_exports PUBLIC tarn_${m})
  set(TARN_ENTRY_${m} ${entry} PARENT_SCOPE)
endfunction()

# The libraries a module's tests and benchmarks link.
function(tarn__test_links out m)
  set(links tarn_${m}_exports tarn_test_support tarn_host_core tarn_host_validator)
  if(TARGET tarn_${m}_editor)
    list(APPEND links tarn_${m}_editor)
  endif()
  if(TARGET tarn_${m}_test_support)
    list(APPEND links tarn_${m}_test_support)
  endif()
  set(${out} ${links} PARENT_SCOPE)
endfunction()

function(tarn__native name m dir)
  tarn__test_links(links ${m})
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/tests/*_test.cpp)
  foreach(source ${tests})
    get_filename_component(stem ${source} NAME_WE)
    string(REGEX REPLACE "_test$" "" stem ${stem})
    tarn__test_name(test ${m} ${stem})
    string(REPLACE "." "_" target ${test}_test)
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE ${links} GTest::gtest_main)
    # The description, for tests that read it as a host's validator does.
    target_compile_definitions(${target} PRIVATE TARN_MODULE_DESCRIPTION="${dir}/description.txt")
    set(prefix ${test}.)
    if(TARN_SANITIZE)
      set(prefix asan.${prefix})
    endif()
    gtest_discover_tests(${target} TEST_PREFIX ${prefix} PROPERTIES LABELS ${TARN_UNIT_LABEL})
  endforeach()
  if(TARN_SANITIZE)
    return()
  endif()

  file(GLOB benches CONFIGURE_DEPENDS ${dir}/bench/*_bench.cpp)
  list(FILTER benches EXCLUDE REGEX "/win_bench\\.cpp$")
  foreach(source ${benches})
    get_filename_component(stem ${source} NAME_WE)
    string(REGEX REPLACE "_bench$" "" stem ${stem})
    add_executable(tarn_bench_${m}_${stem} ${source})
    target_link_libraries(tarn_bench_${m}_${stem} PRIVATE ${links} tarn_bench_support benchmark::benchmark_main)
  endforeach()

  if(TARN_HAVE_DPF AND (EXISTS ${dir}/plugin OR TARN_MODULE_HAS_CORE))
    tarn__plugins(${name} ${m} ${dir})
    tarn_plugin_checks(${name} ${m} ${dir})
  endif()
endfunction()

# What every plug-in format of a module links, on every system: its signal core, its panel and the
# glue its formats share (plugin/*.cpp but the formats' own *_plugin.cpp and *_ui.cpp), made once.
function(tarn__plugin_libraries out m dir)
  file(GLOB shared CONFIGURE_DEPENDS ${dir}/plugin/*.cpp)
  list(FILTER shared EXCLUDE REGEX "_(plugin|ui)\\.cpp$")
  set(libraries tarn_${m}_signal)
  if(TARGET tarn_${m}_editor)
    list(APPEND libraries tarn_${m}_editor)
  endif()
  if(shared)
    add_library(tarn_${m}_plugin_glue STATIC ${shared})
    target_link_libraries(tarn_${m}_plugin_glue PUBLIC ${libraries})
    set_target_properties(tarn_${m}_plugin_glue PROPERTIES POSITION_INDEPENDENT_CODE ON)
    list(PREPEND libraries tarn_${m}_plugin_glue)
  endif()
  set(${out} ${libraries} PARENT_SCOPE)
endfunction()

# A module's plug-in class and the folder of its DistrhoPluginInfo.h: its own (plugin/*_plugin.cpp),
# or else the one its description makes of its core (plugins/described_plugin.cpp).
function(tarn__plugin_class m dir dsp_var folder_var)
  file(GLOB dsp CONFIGURE_DEPENDS ${dir}/plugin/*_plugin.cpp)
  set(folder ${dir}/plugin)
  if(NOT dsp)
    set(dsp ${TARN_ROOT}/plugins/described_plugin.cpp)
    set(folder ${TARN_GENERATED}/${m}/plugin)
  endif()
  set(${dsp_var} ${dsp} PARENT_SCOPE)
  set(${folder_var} ${folder} PARENT_SCOPE)
endfunction()

# The plug-in formats: the DSP part and the window compiled per format, what both share once.
function(tarn__plugins name m dir)
  tarn__plugin_class(${m} ${dir} dsp folder)
  file(GLOB ui CONFIGURE_DEPENDS ${dir}/plugin/*_ui.cpp)
  tarn__plugin_libraries(libraries ${m} ${dir})
  set(ui_libraries "")
  file(GLOB drawing CONFIGURE_DEPENDS ${dir}/ui/*.cpp)
  if(ui AND drawing)
    add_library(tarn_${m}_ui STATIC ${drawing})
    target_link_libraries(tarn_${m}_ui PUBLIC ${libraries} PkgConfig::TARN_CAIRO)
    set(ui_libraries tarn_${m}_ui ${libraries} tarn_gui_frame)
  endif()
  tarn_add_plugins(${name} FOLDER ${folder} SOURCES ${dsp} LIBRARIES ${libraries}
    UI_SOURCES ${ui} UI_LIBRARIES ${ui_libraries})
endfunction()

# A module's fuzz targets: its own, and a module with a core the host-call target of its
# CoreModule (tests/fuzz/core_fuzz.cpp), named host_calls.
function(tarn__fuzz m dir)
  file(GLOB targets CONFIGURE_DEPENDS ${dir}/tests/fuzz/*_fuzz.cpp)
  if(TARN_MODULE_HAS_CORE AND NOT EXISTS ${dir}/tests/fuzz/host_calls_fuzz.cpp)
    list(APPEND targets ${TARN_ROOT}/tests/fuzz/core_fuzz.cpp)
  endif()
  foreach(source ${targets})
    get_filename_component(stem ${source} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" stem ${stem})
    if(source STREQUAL ${TARN_ROOT}/tests/fuzz/core_fuzz.cpp)
      set(stem host_calls)
    endif()
    set(target fuzz_${m}_${stem})
    add_executable(${target} ${source})
    if(stem STREQUAL host_calls AND TARN_MODULE_HAS_CORE)
      target_compile_definitions(${target} PRIVATE TARN_FUZZ_CORE=${TARN_MODULE_CORE}
        TARN_FUZZ_CORE_HEADER="${TARN_MODULE_CORE_HEADER}")
    endif()
    target_link_libraries(${target} PRIVATE tarn_${m} tarn_fuzz_support)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    tarn__test_name(test ${m} ${stem})
    tarn_add_test(${test} LABELS "fuzz;${m}"
      COMMAND ${TARN_ROOT}/tests/fuzz/run_fuzz.sh $<TARGET_FILE:${target}> ${dir}/tests/fuzz/corpus/${stem}
              ${CMAKE_BINARY_DIR}/runs/${m}.${stem} ${TARN_FUZZ_SECONDS})
  endforeach()
endfunction()

# Everything a Windows build does with the module under Wine, through the emulator.
function(tarn__windows name m dir)
  add_library(${name} SHARED ${TARN_ENTRY_${m}} ${TARN_ROOT}/frame/exports.def)
  target_link_libraries(${name} PRIVATE tarn_${m})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})

  set(dll $<TARGET_FILE:${name}>)
  tarn__host_command(host)
  set(env "TARN_HOST=${host}" "TARN_DLL=${dll}")
  tarn_add_test(${m}.dll LABELS "win;${m}" COMMAND ${TARN_ROOT}/tests/win/check_dll.sh ${TARN_WINDOWS_ARCH} ${dll})
  tarn_add_test(${m}.records LABELS "win;wine;${m}" COMMAND records_test_win
    ENVIRONMENT "TARN_RECORD=${TARN_MODULE_RECORD}" "TARN_DLL=${dll}" PROPERTIES FIXTURES_REQUIRED wine)
  file(GLOB checks CONFIGURE_DEPENDS ${dir}/tests/win/*.py ${dir}/tests/win/*.sh)
  foreach(check ${checks})
    get_filename_component(stem ${check} NAME_WE)
    string(REGEX REPLACE "_check$" "" stem ${stem})
    tarn__test_name(test ${m} ${stem})
    set(command ${check})
    if(check MATCHES "\\.py$")
      set(command python3 ${check})
    endif()
    tarn_add_test(${test} LABELS "win;wine;${m}" COMMAND ${command} ENVIRONMENT ${env}
      PROPERTIES FIXTURES_REQUIRED wine)
  endforeach()
  tarn_add_test(${m}.validate LABELS "win;wine;validate;${m}"
    COMMAND ${TARN_WINDOWS_RUN} $<TARGET_FILE:tarn-host> validate ${dll} --describe ${dir}/description.txt
            --strictness 5 --seed ${TARN_SEED}
    PROPERTIES FIXTURES_REQUIRED wine)

  if(EXISTS ${dir}/bench/win_bench.cpp)
    add_executable(tarn_bench_win_${m} ${dir}/bench/win_bench.cpp)
    target_link_libraries(tarn_bench_win_${m} PRIVATE tarn_win_bench_support)
    if(TARGET tarn_${m}_test_support)
      target_link_libraries(tarn_bench_win_${m} PRIVATE tarn_${m}_test_support)
    endif()
    set_target_properties(tarn_bench_win_${m} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  endif()

  if(TARN_HAVE_WINDOWS_PLUGINS AND (EXISTS ${dir}/plugin OR TARN_MODULE_HAS_CORE))
    tarn_windows_plugins(${name} ${m} ${dir})
  endif()
endfunction()

# tarn-host of this Windows build as one command line, for the checks' environment.
function(tarn__host_command out)
  string(JOIN " " run ${TARN_WINDOWS_RUN})
  set(${out} "${run} $<TARGET_FILE:tarn-host>" PARENT_SCOPE)
endfunction()

function(tarn_add_module m)
  set(dir ${TARN_ROOT}/${m})
  tarn__describe(${m} ${dir})
  tarn__distinct(${m})
  set(name ${TARN_MODULE_LIBRARY})
  set_property(GLOBAL APPEND PROPERTY TARN_MODULES "${name} ${m}")
  tarn__cores(${m} ${dir} ${TARN_MODULE_FRAME})
  if(EXISTS ${dir}/tests/CMakeLists.txt)
    add_subdirectory(${dir}/tests ${CMAKE_BINARY_DIR}/${m}/tests)
  endif()
  if(WIN32)
    tarn__windows(${name} ${m} ${dir})
  elseif(TARN_FUZZ)
    tarn__fuzz(${m} ${dir})
  else()
    tarn__native(${name} ${m} ${dir})
  endif()
endfunction()

function(tarn_finish_modules)
  get_property(modules GLOBAL PROPERTY TARN_MODULES)
  set(list "")
  foreach(module ${modules})
    string(APPEND list "${module}\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/modules.txt "${list}")
  if(WIN32)
    tarn_windows_suite("${modules}")
  elseif(NOT TARN_FUZZ AND NOT TARN_SANITIZE)
    tarn_native_suite("${modules}")
  endif()
endfunction()

# What a Windows build checks across its modules: the host's WAV against a real reader, the
# deliberately faulty modules, and (in the i686 build, which needs the other one too) that both
# builds render every module's cases alike.
function(tarn_windows_suite modules)
  list(GET modules 0 first)
  separate_arguments(first)
  list(GET first 0 first_name)
  tarn__host_command(host)
  tarn_add_test(wav LABELS "win;wine" COMMAND ${TARN_ROOT}/tests/win/wav_check.sh
    ENVIRONMENT "TARN_HOST=${host}" "TARN_DLL=$<TARGET_FILE:${first_name}>" PROPERTIES FIXTURES_REQUIRED wine)
  tarn_add_test(faulty_modules LABELS "win;wine;validate" COMMAND ${TARN_ROOT}/tests/faulty/check_faults.sh
    ${CMAKE_BINARY_DIR}/faulty ENVIRONMENT "TARN_HOST=${host}" PROPERTIES FIXTURES_REQUIRED wine)
  if(TARN_WINDOWS_ARCH STREQUAL win32)
    tarn_add_test(builds_agree LABELS "win;wine" COMMAND ${TARN_ROOT}/tests/win/builds_agree.sh ${CMAKE_BINARY_DIR}/modules.txt
      PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# The native build's ctest is the one run: it takes in the tests of every other build that has
# been configured next to it (build/win, build/win64, build/native-asan, build/fuzz), so that one
# summary counts them all; it checks that the README lists the modules their descriptions
# describe, and it builds and checks the release package.
set(TARN_OTHER_BUILDS win win64 native-asan fuzz CACHE STRING "builds under build/ whose tests the native ctest runs")
function(tarn_native_suite modules)
  set(include "# The tests of the other builds, where they are configured.\n")
  foreach(build ${TARN_OTHER_BUILDS})
    set(tree ${TARN_ROOT}/build/${build})
    string(APPEND include "if(EXISTS \"${tree}/CTestTestfile.cmake\")\n  subdirs(\"${tree}\")\nendif()\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/other_builds.cmake "${include}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/other_builds.cmake)

  if(TARN_HAVE_DPF)
    get_property(uris GLOBAL PROPERTY TARN_LV2_URIS)
    tarn_plugin_test(lv2.tools ${TARN_PLUGIN_CHECKS}/check_lv2_tools.sh ${TARN_PLUGIN_DIR}/lv2:${TARN_PLUGIN_DIR}/lv2-cv ${uris})
    tarn_plugin_test(lv2.unique_names ${TARN_PLUGIN_CHECKS}/check_lv2_names.py ${TARN_PLUGIN_DIR}/lv2
      ${TARN_PLUGIN_DIR}/lv2-cv)
  endif()

  tarn_add_test(docs.module_list LABELS docs COMMAND ${TARN_PYTHON} ${TARN_ROOT}/scripts/manual.py --check-readme
    ${TARN_ROOT}/README.md ${CMAKE_BINARY_DIR}/modules.txt)
  set(readme_check ${TARN_PYTHON} ${TARN_ROOT}/tests/docs/readme_check.py)
  tarn_add_test(docs.readme_commonmark LABELS docs COMMAND ${readme_check} commonmark ${TARN_ROOT}/README.md)
  # Its commands reach into the builds and the staged Linux package.
  tarn_add_test(docs.readme_commands LABELS docs COMMAND ${readme_check} commands ${TARN_ROOT}/README.md ${TARN_ROOT}
    PROPERTIES FIXTURES_REQUIRED package)

  set(check ${TARN_ROOT}/tests/package/package_check.sh)
  tarn_add_test(package.build LABELS "package;wine" COMMAND ${TARN_ROOT}/scripts/package.sh ${CMAKE_BINARY_DIR}/modules.txt
    PROPERTIES FIXTURES_SETUP package FIXTURES_REQUIRED wine TIMEOUT 1800)
  foreach(name files checksums product-dlls linux-tarball manual-in-browser readme-pictures windows-zip versions)
    tarn_add_test(package.${name} LABELS package COMMAND ${check} ${name} ${CMAKE_BINARY_DIR}/modules.txt
      PROPERTIES FIXTURES_REQUIRED package)
  endforeach()
  tarn_add_test(package.windows-installer LABELS "package;wine" COMMAND ${check} windows-installer
    ${CMAKE_BINARY_DIR}/modules.txt PROPERTIES FIXTURES_REQUIRED package)
  set_property(TEST package.windows-installer APPEND PROPERTY FIXTURES_REQUIRED wine)
endfunction()
