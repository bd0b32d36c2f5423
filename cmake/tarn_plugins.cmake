# The plug-in formats of a module, built natively with DPF from Debian's dpf-source (used where
# it is installed, never copied): an LV2 bundle, a CLAP plug-in, a VST3 bundle and a JACK
# program, each from the module's glue folder and its signal core, into ${TARN_PLUGIN_DIR}/<format>/.
#
#   tarn_add_plugins(<bundle name> FOLDER <module>/plugin SOURCES <glue files...>
#                    LIBRARIES <signal core targets...>
#                    [UI_SOURCES <window files...> UI_LIBRARIES <panel targets...>])
#
# The LV2 build alone is compiled with TARN_PLUGIN_CV: the format where inputs can be CV ports.
# A module with UI_SOURCES gets a window on DGL's Cairo backend: in the CLAP and VST3 plug-ins
# and the JACK program with the signal side, in LV2 as a separate X11 UI library
# (<bundle>_ui.so) beside the signal side's.
set(TARN_DPF_DIR /usr/share/dpf CACHE PATH "DPF, as Debian's dpf-source installs it")
set(TARN_PLUGIN_DIR ${CMAKE_SOURCE_DIR}/dist/plugins CACHE PATH "where the plug-in formats go")
set(TARN_PLUGIN_FORMATS lv2 clap vst3 jack)

if(NOT EXISTS ${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp)
  message(STATUS "DPF not found in ${TARN_DPF_DIR}: no plug-in formats (./run setup installs dpf-source)")
  set(TARN_HAVE_DPF OFF)
  return()
endif()
set(TARN_HAVE_DPF ON)

# DPF's own sources are not ours to keep warning-free. The CLAP plug-ins compile them through
# plugins/dpf_clap_main.cpp, which gives DPF's CLAP entry another name: plugins/clap_fp_entry.cpp
# stands in front of it, in the modules' floating-point environment.
set(TARN_DPF_CLAP_MAIN ${CMAKE_SOURCE_DIR}/plugins/dpf_clap_main.cpp)
set_source_files_properties(${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp ${TARN_DPF_CLAP_MAIN} PROPERTIES
  COMPILE_OPTIONS "-w")

# The format glue shared by every module.
add_library(tarn_format_glue STATIC ${CMAKE_SOURCE_DIR}/plugins/format_glue.cpp)
target_include_directories(tarn_format_glue PUBLIC ${CMAKE_SOURCE_DIR})
set_target_properties(tarn_format_glue PROPERTIES POSITION_INDEPENDENT_CODE ON)

# DGL on Cairo and X11, compiled once from DPF's sources for every plug-in window.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TARN_CAIRO REQUIRED IMPORTED_TARGET cairo)
find_package(X11 REQUIRED)
set(TARN_DGL_DEFINITIONS DGL_CAIRO HAVE_CAIRO HAVE_DGL HAVE_X11)
set(dgl_libraries X11::X11)
foreach(x11_part Xcursor Xext Xrandr)
  if(TARGET X11::${x11_part})
    string(TOUPPER ${x11_part} upper_part)
    list(APPEND TARN_DGL_DEFINITIONS HAVE_${upper_part})
    list(APPEND dgl_libraries X11::${x11_part})
  endif()
endforeach()
if(TARGET X11::Xext)
  list(APPEND TARN_DGL_DEFINITIONS HAVE_XSYNC)
endif()
set(dgl_sources Application ApplicationPrivateData Color EventHandlers Geometry ImageBase
  ImageBaseWidgets Resources SubWidget SubWidgetPrivateData TopLevelWidget
  TopLevelWidgetPrivateData Widget WidgetPrivateData Window WindowPrivateData Cairo pugl)
list(TRANSFORM dgl_sources PREPEND ${TARN_DPF_DIR}/dgl/src/)
list(TRANSFORM dgl_sources APPEND .cpp)
add_library(tarn_dgl_cairo STATIC ${dgl_sources})
target_compile_options(tarn_dgl_cairo PRIVATE -w)
target_compile_definitions(tarn_dgl_cairo PUBLIC ${TARN_DGL_DEFINITIONS})
target_include_directories(tarn_dgl_cairo PUBLIC ${TARN_DPF_DIR}/dgl ${TARN_DPF_DIR}/distrho
  PRIVATE ${TARN_DPF_DIR}/dgl/src/pugl-upstream/include)
target_link_libraries(tarn_dgl_cairo PUBLIC PkgConfig::TARN_CAIRO ${dgl_libraries} dl pthread)
set_target_properties(tarn_dgl_cairo PROPERTIES POSITION_INDEPENDENT_CODE ON
  C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
set_source_files_properties(${TARN_DPF_DIR}/distrho/DistrhoUIMain.cpp PROPERTIES COMPILE_OPTIONS "-w")

if(NOT TARGET tarn_lv2_ttl_generator)
  add_executable(tarn_lv2_ttl_generator ${TARN_DPF_DIR}/utils/lv2-ttl-generator/lv2_ttl_generator.c)
  target_compile_options(tarn_lv2_ttl_generator PRIVATE -w)
  target_link_libraries(tarn_lv2_ttl_generator PRIVATE dl)
endif()

# One format of one module: where it goes, what DPF calls the format, which symbols it exports.
function(tarn__plugin_target bundle format folder sources libraries ui_sources ui_libraries)
  set(target ${bundle}-${format})
  string(TOUPPER ${format} upper)
  set(dpf_main ${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp)
  if(format STREQUAL jack)
    add_executable(${target})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle}
      RUNTIME_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/jack)
    # DPF's bridge opens the JACK library at run time.
    target_compile_definitions(${target} PRIVATE HAVE_JACK)
    target_link_libraries(${target} PRIVATE dl pthread)
  else()
    add_library(${target} MODULE)
    set(exports ${format})
    if(format STREQUAL lv2)
      set(exports lv2-dsp)
      set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle}_dsp
        LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/lv2/${bundle}.lv2)
      target_compile_definitions(${target} PRIVATE TARN_PLUGIN_CV)
    elseif(format STREQUAL clap)
      set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle} SUFFIX .clap
        LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/clap)
      target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/plugins/clap_fp_entry.cpp)
      set(dpf_main ${TARN_DPF_CLAP_MAIN})
    else()
      set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle}
        LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/vst3/${bundle}.vst3/Contents/x86_64-linux)
    endif()
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_link_options(${target} PRIVATE -Wl,--version-script=${TARN_DPF_DIR}/utils/symbols/${exports}.version
      -Wl,--no-undefined)
    target_link_libraries(${target} PRIVATE dl pthread)
  endif()
  target_sources(${target} PRIVATE ${dpf_main} ${sources})
  if(ui_sources)
    # Every part must see DGL's definitions: without them DPF builds the plug-in without its window.
    target_compile_definitions(${target} PRIVATE ${TARN_DGL_DEFINITIONS})
    if(format STREQUAL lv2)
      tarn__lv2_ui_target(${bundle} ${folder} "${ui_sources}" "${ui_libraries}")
    else()
      target_sources(${target} PRIVATE ${TARN_DPF_DIR}/distrho/DistrhoUIMain.cpp ${ui_sources})
      target_link_libraries(${target} PRIVATE ${ui_libraries} tarn_dgl_cairo)
    endif()
  endif()
  target_compile_definitions(${target} PRIVATE DISTRHO_PLUGIN_TARGET_${upper})
  # The folder first: its DistrhoPluginInfo.h is the module's.
  target_include_directories(${target} PRIVATE ${folder} ${TARN_DPF_DIR}/distrho ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${libraries} tarn_format_glue)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(format STREQUAL lv2)
    add_dependencies(${target} tarn_lv2_ttl_generator)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND $<TARGET_FILE:tarn_lv2_ttl_generator> $<TARGET_FILE:${target}> > /dev/null
      WORKING_DIRECTORY ${TARN_PLUGIN_DIR}/lv2/${bundle}.lv2)
  endif()
  add_dependencies(tarn_plugins ${target})
endfunction()

# The LV2 bundle's window: its own library, which the host loads beside the signal side's.
function(tarn__lv2_ui_target bundle folder ui_sources ui_libraries)
  set(target ${bundle}-lv2-ui)
  add_library(${target} MODULE ${TARN_DPF_DIR}/distrho/DistrhoUIMain.cpp ${ui_sources})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle}_ui PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/lv2/${bundle}.lv2
    POSITION_INDEPENDENT_CODE ON C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  # TARN_PLUGIN_CV too: the window finds the signal side's event port by its port count.
  target_compile_definitions(${target} PRIVATE DISTRHO_PLUGIN_TARGET_LV2 TARN_PLUGIN_CV)
  target_include_directories(${target} PRIVATE ${folder} ${TARN_DPF_DIR}/distrho ${CMAKE_SOURCE_DIR})
  target_link_options(${target} PRIVATE -Wl,--version-script=${TARN_DPF_DIR}/utils/symbols/lv2-ui.version
    -Wl,--no-undefined)
  target_link_libraries(${target} PRIVATE ${ui_libraries} tarn_dgl_cairo)
  add_dependencies(tarn_plugins ${target})
endfunction()

add_custom_target(tarn_plugins)

function(tarn_add_plugins bundle)
  cmake_parse_arguments(P "" "FOLDER" "SOURCES;LIBRARIES;UI_SOURCES;UI_LIBRARIES" ${ARGN})
  foreach(library ${P_LIBRARIES} ${P_UI_LIBRARIES})
    set_target_properties(${library} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  endforeach()
  get_filename_component(folder ${P_FOLDER} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  foreach(format ${TARN_PLUGIN_FORMATS})
    tarn__plugin_target(${bundle} ${format} ${folder} "${P_SOURCES}" "${P_LIBRARIES}" "${P_UI_SOURCES}"
      "${P_UI_LIBRARIES}")
  endforeach()
endfunction()

# A check of the plug-ins: labelled, skipped (77) where it cannot run, with the bundles' folder.
function(tarn_plugin_test name)
  add_test(NAME plugins.${name} COMMAND ${ARGN})
  set_tests_properties(plugins.${name} PROPERTIES LABELS plugins SKIP_RETURN_CODE 77
    ENVIRONMENT "LV2_PATH=${TARN_PLUGIN_DIR}/lv2;TARN_PLUGIN_DIR=${TARN_PLUGIN_DIR}")
endfunction()

# What every module's plug-ins are checked for: each format renders the module's render cases
# with the DLL's samples (the DLL renders them first, under Wine), and a CLAP and a VST3 host
# show one output and no audio input. Then the module's own checks, <module>/tests/plugins.cmake,
# which may use ${lv2_host}, ${clap_host}, ${vst3_host}, ${renders}, ${watch_library} and
# TARN_PLUGIN_CHECKS, and set `lv2_args` (what an LV2 host must set itself, its CV inputs) first.
function(tarn_plugin_checks name m dir)
  set(checks ${TARN_PLUGIN_CHECKS})
  set(renders ${TARN_PLUGIN_RENDERS}/${m})
  set(cases ${dir}/tests/render_cases.txt)
  set(lv2_host $<TARGET_FILE:tarn-lv2-host>)
  set(clap_host $<TARGET_FILE:tarn-clap-host>)
  set(vst3_host $<TARGET_FILE:tarn-vst3-host>)
  set(watch_library $<TARGET_FILE:tarn_alloc_watch>)
  set(lv2_args "")
  if(EXISTS ${dir}/tests/plugins.cmake)
    include(${dir}/tests/plugins.cmake)
  endif()
  tarn_plugin_test(${m}.dll_reference ${checks}/compare_renders.sh reference ${renders} ${cases} ${name})
  set_tests_properties(plugins.${m}.dll_reference PROPERTIES LABELS "plugins;wine" FIXTURES_SETUP dll_renders_${m}
    FIXTURES_REQUIRED wine RESOURCE_LOCK plugin_renders_${m})
  tarn_plugin_test(${m}.lv2.renders ${checks}/compare_renders.sh lv2 ${renders} ${cases} ${name}
    "${lv2_host} render urn:tarn:${m} ${lv2_args}")
  # The same again in every floating-point environment (TARN_PLUGIN_FP_ENV, tarn_module.cmake).
  string(JOIN " " every_fp_env ${TARN_PLUGIN_FP_ENV})
  string(JOIN " " vst3_fp_env ${TARN_PLUGIN_FP_ENV_VST3})
  tarn_plugin_test(${m}.lv2.renders_in_every_fp_env ${checks}/compare_renders.sh lv2 ${renders} ${cases} ${name}
    "${lv2_host} render urn:tarn:${m} ${lv2_args} ${every_fp_env}")
  foreach(format clap vst3)
    tarn_plugin_test(${m}.${format}.renders ${checks}/compare_renders.sh ${format} ${renders} ${cases} ${name}
      "$<TARGET_FILE:tarn-${format}-host> render ${TARN_PLUGIN_DIR}/${format}/${name}.${format}")
    set(fp_env ${every_fp_env})
    if(format STREQUAL vst3)
      set(fp_env ${vst3_fp_env})
    endif()
    tarn_plugin_test(${m}.${format}.renders_in_every_fp_env ${checks}/compare_renders.sh ${format} ${renders} ${cases}
      ${name} "$<TARGET_FILE:tarn-${format}-host> render ${TARN_PLUGIN_DIR}/${format}/${name}.${format} ${fp_env}")
    tarn_plugin_test(${m}.${format}.one_output ${checks}/check_listing.sh
      $<TARGET_FILE:tarn-${format}-host> ${TARN_PLUGIN_DIR}/${format}/${name}.${format} ${dir}/tests/plugins/listing.txt)
  endforeach()
  foreach(test lv2.renders lv2.renders_in_every_fp_env clap.renders clap.renders_in_every_fp_env vst3.renders
      vst3.renders_in_every_fp_env)
    set_tests_properties(plugins.${m}.${test} PROPERTIES FIXTURES_REQUIRED dll_renders_${m} RESOURCE_LOCK plugin_renders_${m})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY TARN_LV2_URIS urn:tarn:${m})
endfunction()
