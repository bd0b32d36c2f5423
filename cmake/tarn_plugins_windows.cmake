# The CLAP and VST3 plug-ins of a module for x86-64 Windows, made in the x86-64 Windows build with
# DPF from Debian's dpf-source (used where it is installed, never copied), from the same signal
# core and plug-in glue as the Linux plug-ins, into ${TARN_PLUGIN_WINDOWS_DIR}/<format>/:
#
#   clap/<NAME>.clap
#   vst3/<NAME>.vst3/Contents/x86_64-win/<NAME>.vst3
#
# The window of a module that has one (<module>/plugin/win/*_ui.cpp, on <module>/ui/win/*.cpp) is
# DPF's external-UI kind: DPF hands over the host's parent window and no DGL is built; the
# module puts a child window of its own there, painted with the real GDI.
set(TARN_DPF_DIR /usr/share/dpf CACHE PATH "DPF, as Debian's dpf-source installs it")
set(TARN_PLUGIN_WINDOWS_DIR ${TARN_ROOT}/dist/plugins/windows CACHE PATH "where the Windows plug-ins go")
set(TARN_WINDOWS_PLUGIN_FORMATS clap vst3)
# What each format's binary exports, exactly: its entry points.
set(TARN_WINDOWS_EXPORTS_clap clap_entry)
set(TARN_WINDOWS_EXPORTS_vst3 ExitDll GetPluginFactory InitDll)

if(NOT EXISTS ${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp)
  message(STATUS "DPF not found in ${TARN_DPF_DIR}: no Windows plug-ins (./run setup installs dpf-source)")
  set(TARN_HAVE_WINDOWS_PLUGINS OFF)
  return()
endif()
set(TARN_HAVE_WINDOWS_PLUGINS ON)

# DPF's own sources are not ours to keep warning-free. Each format compiles them through
# plugins/<format>_dpf.cpp, as on Linux: DPF's entry points under other names, exported by nothing
# (Windows exports whatever an object marks dllexport), and plugins/<format>_entry.cpp's in front
# of them, the only exports.
set_source_files_properties(${TARN_DPF_DIR}/distrho/DistrhoUIMain.cpp ${TARN_ROOT}/plugins/clap_dpf.cpp
  ${TARN_ROOT}/plugins/vst3_dpf.cpp PROPERTIES COMPILE_OPTIONS "-w")

add_library(tarn_windows_format_glue STATIC ${TARN_ROOT}/plugins/format_glue.cpp)
target_link_libraries(tarn_windows_format_glue PUBLIC tarn_common)

add_custom_target(tarn_windows_plugins)

# One format of one module.
function(tarn__windows_plugin_target name format folder sources libraries ui_sources ui_libraries)
  set(target ${name}-${format})
  string(TOUPPER ${format} upper)
  add_library(${target} MODULE ${TARN_ROOT}/plugins/${format}_dpf.cpp ${TARN_ROOT}/plugins/${format}_entry.cpp ${sources})
  if(format STREQUAL clap)
    set_target_properties(${target} PROPERTIES SUFFIX .clap LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_WINDOWS_DIR}/clap)
  else()
    set_target_properties(${target} PROPERTIES SUFFIX .vst3
      LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_WINDOWS_DIR}/vst3/${name}.vst3/Contents/x86_64-win)
  endif()
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} PREFIX "")
  if(ui_sources)
    target_sources(${target} PRIVATE ${TARN_DPF_DIR}/distrho/DistrhoUIMain.cpp ${ui_sources})
    target_link_libraries(${target} PRIVATE ${ui_libraries})
  endif()
  # STATIC_BUILD: DPF then defines no DllMain of its own, which it would export beside the format's
  # entry points (only to learn the library's file name, which these plug-ins never ask for).
  target_compile_definitions(${target} PRIVATE DISTRHO_PLUGIN_TARGET_${upper} STATIC_BUILD)
  # The folder first: its DistrhoPluginInfo.h is the module's.
  target_include_directories(${target} PRIVATE ${folder} ${TARN_DPF_DIR}/distrho ${TARN_ROOT})
  target_link_libraries(${target} PRIVATE ${libraries} tarn_windows_format_glue)
  add_dependencies(tarn_windows_plugins ${target})
endfunction()

# Every format of a module whose folder has plugin/, or that has a core: what its formats link (tarn_module.cmake's
# tarn__plugin_libraries, as on Linux), the window's library once, then each format.
function(tarn_windows_plugins name m dir)
  tarn__plugin_class(${m} ${dir} dsp folder)
  file(GLOB ui CONFIGURE_DEPENDS ${dir}/plugin/win/*_ui.cpp)
  file(GLOB window CONFIGURE_DEPENDS ${dir}/ui/win/*.cpp)
  tarn__plugin_libraries(libraries ${m} ${dir})
  set(ui_libraries "")
  if(ui AND window)
    add_library(tarn_${m}_window STATIC ${window})
    target_link_libraries(tarn_${m}_window PUBLIC ${libraries} user32 gdi32)
    set(ui_libraries tarn_${m}_window)
  endif()
  foreach(format ${TARN_WINDOWS_PLUGIN_FORMATS})
    tarn__windows_plugin_target(${name} ${format} ${folder} "${dsp}" "${libraries}" "${ui}" "${ui_libraries}")
  endforeach()
  tarn_windows_plugin_checks(${name} ${m} ${dir})
endfunction()

# A check that reads the DLL's renders of the module's render cases, which the native build makes
# (the fixture is found when both builds' tests run in one ctest, as ./run test runs them).
function(tarn_needs_dll_renders test m)
  set_property(TEST ${TARN_BUILD}.${test} APPEND PROPERTY FIXTURES_REQUIRED dll_renders_${m})
endfunction()

# What every module's Windows plug-ins are checked for, under 64-bit Wine with the test hosts
# built for Windows: each binary's image (PE32+ x86-64, exactly the format's entry points, system
# imports only); each format's renders of the module's render cases, byte for byte against the
# DLL's (plugins.<module>.dll_reference of the native build renders those, and the Linux
# plug-ins are held to the same), in the default floating-point environment and in every other;
# one output and the parameters as on Linux. Then the module's
# own, <module>/tests/plugins_windows.cmake, which may use ${renders}, ${checks} and, per format,
# the host's command line.
function(tarn_windows_plugin_checks name m dir)
  set(checks ${TARN_ROOT}/tests/plugins)
  set(renders ${TARN_ROOT}/build/native/plugin-renders/${m})
  string(JOIN " " run ${TARN_WINDOWS_RUN})
  foreach(format ${TARN_WINDOWS_PLUGIN_FORMATS})
    set(plugin ${TARN_PLUGIN_WINDOWS_DIR}/${format}/${name}.${format})
    set(host "${run} $<TARGET_FILE:tarn-${format}-host>")
    set(test plugins.${m}.${format})
    tarn_add_test(${test}.image LABELS "plugins;${m}" COMMAND ${TARN_ROOT}/tests/win/check_dll.sh win64
      $<TARGET_FILE:${name}-${format}> ${TARN_WINDOWS_EXPORTS_${format}})
    tarn_add_test(${test}.renders LABELS "wine;plugins;${m}" COMMAND ${checks}/compare_renders.sh windows-${format}
      ${renders} ${dir}/tests/render_cases.txt ${name} "${host} render ${plugin}"
      PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK plugin_renders_${m})
    tarn_needs_dll_renders(${test}.renders ${m})
    # The same in every floating-point environment, as on Linux (TARN_PLUGIN_FP_ENV, tarn_module.cmake).
    string(JOIN " " fp_env ${TARN_PLUGIN_FP_ENV})
    tarn_add_test(${test}.renders_in_every_fp_env LABELS "wine;plugins;${m}" COMMAND ${checks}/compare_renders.sh
      windows-${format} ${renders} ${dir}/tests/render_cases.txt ${name} "${host} render ${plugin} ${fp_env}"
      PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK plugin_renders_${m})
    tarn_needs_dll_renders(${test}.renders_in_every_fp_env ${m})
    tarn_add_test(${test}.one_output LABELS "wine;plugins;${m}" COMMAND ${checks}/check_listing.sh "${host}" ${plugin}
      ${dir}/tests/plugins/listing.txt PROPERTIES FIXTURES_REQUIRED wine)
  endforeach()
  if(EXISTS ${dir}/tests/plugins_windows.cmake)
    include(${dir}/tests/plugins_windows.cmake)
  endif()
endfunction()
