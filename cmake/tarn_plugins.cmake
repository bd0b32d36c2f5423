# The plug-in formats of a module, built natively with DPF from Debian's dpf-source (used where
# it is installed, never copied): an LV2 bundle, a CLAP plug-in, a VST3 bundle and a JACK
# program, each from the module's glue folder and its signal core, into ${TARN_PLUGIN_DIR}/<format>/;
# and the modular LV2 form, a second bundle with its own URI in ${TARN_PLUGIN_DIR}/lv2-cv/.
#
#   tarn_add_plugins(<bundle name> FOLDER <module>/plugin SOURCES <glue files...>
#                    LIBRARIES <signal core targets...>
#                    [UI_SOURCES <window files...> UI_LIBRARIES <panel targets...>])
#
# Every format is the DAW form, whose inputs are parameters, but lv2-cv, compiled with
# TARN_PLUGIN_CV: there inputs are CV ports. A module with UI_SOURCES gets a window on DGL's Cairo
# backend: in the CLAP and VST3 plug-ins and the JACK program with the signal side, in LV2 as a
# separate X11 UI library (<bundle>_ui.so) beside the signal side's. Every format but the JACK
# program goes through an entry of ours in plugins/, in front of DPF's. Every format carries the
# project's version (VERSION).
set(TARN_DPF_DIR /usr/share/dpf CACHE PATH "DPF, as Debian's dpf-source installs it")
set(TARN_PLUGIN_DIR ${CMAKE_SOURCE_DIR}/dist/plugins CACHE PATH "where the plug-in formats go")
set(TARN_PLUGIN_FORMATS lv2 lv2-cv clap vst3 jack)

if(NOT EXISTS ${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp)
  message(STATUS "DPF not found in ${TARN_DPF_DIR}: no plug-in formats (./run setup installs dpf-source)")
  set(TARN_HAVE_DPF OFF)
  return()
endif()
set(TARN_HAVE_DPF ON)

# DPF's own sources are not ours to keep warning-free. Every format but the JACK program compiles
# them through plugins/<format>_dpf.cpp, which gives DPF's entry points other names and exports
# none of them: plugins/<format>_entry.cpp stands in front, as the library's entry.
set(dpf_mains ${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp)
foreach(format lv2 clap vst3)
  list(APPEND dpf_mains ${CMAKE_SOURCE_DIR}/plugins/${format}_dpf.cpp)
endforeach()
set_source_files_properties(${dpf_mains} PROPERTIES COMPILE_OPTIONS "-w")

# LV2 has no major version: it shows lv2:minorVersion.lv2:microVersion, which DPF takes from the
# minor and micro parts as they are only while the major part is 0.
if(NOT PROJECT_VERSION_MAJOR EQUAL 0)
  message(FATAL_ERROR "VERSION ${PROJECT_VERSION}: LV2 can show only versions 0.x.y")
endif()

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
  set(main ${TARN_DPF_DIR}/distrho/DistrhoPluginMain.cpp)
  set(dpf_format ${format})
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
    if(format MATCHES "^lv2")
      set(dpf_format lv2)
      set(exports lv2-dsp)
      tarn__lv2_bundle(${bundle} ${format} lv2_name lv2_dir)
      set_target_properties(${target} PROPERTIES OUTPUT_NAME ${lv2_name}_dsp LIBRARY_OUTPUT_DIRECTORY ${lv2_dir})
      if(format STREQUAL lv2-cv)
        target_compile_definitions(${target} PRIVATE TARN_PLUGIN_CV)
      endif()
    elseif(format STREQUAL clap)
      set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle} SUFFIX .clap
        LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/clap)
    else()
      set_target_properties(${target} PROPERTIES OUTPUT_NAME ${bundle}
        LIBRARY_OUTPUT_DIRECTORY ${TARN_PLUGIN_DIR}/vst3/${bundle}.vst3/Contents/x86_64-linux)
    endif()
    set(main ${CMAKE_SOURCE_DIR}/plugins/${dpf_format}_dpf.cpp ${CMAKE_SOURCE_DIR}/plugins/${dpf_format}_entry.cpp)
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_link_options(${target} PRIVATE -Wl,--version-script=${TARN_DPF_DIR}/utils/symbols/${exports}.version
      -Wl,--no-undefined)
    target_link_libraries(${target} PRIVATE dl pthread)
  endif()
  string(TOUPPER ${dpf_format} upper)
  target_sources(${target} PRIVATE ${main} ${sources})
  if(ui_sources)
    # Every part must see DGL's definitions: without them DPF builds the plug-in without its window.
    target_compile_definitions(${target} PRIVATE ${TARN_DGL_DEFINITIONS})
    if(dpf_format STREQUAL lv2)
      tarn__lv2_ui_target(${bundle} ${format} ${folder} "${ui_sources}" "${ui_libraries}")
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
  if(dpf_format STREQUAL lv2)
    add_dependencies(${target} tarn_lv2_ttl_generator)
    # The description DPF writes names the programs interface that our entry leaves out. Its
    # presets set every input port as well, to the value it had when the program loaded: a preset
    # would bring back a Level the user had turned down. A program changes only the shape, so a
    # preset keeps only its state.
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND $<TARGET_FILE:tarn_lv2_ttl_generator> $<TARGET_FILE:${target}> > /dev/null
      COMMAND sed -z -i "s| ,\\n *<http://kxstudio.sf.net/ns/lv2ext/programs#Interface> ;| ;|" ${lv2_name}_dsp.ttl
      COMMAND find . -maxdepth 1 -name presets.ttl -exec
        sed -z -i "s|] ;\\n\\n    lv2:port \\[[^]]*]\\( ,\\n    \\[[^]]*]\\)* \\.|] .|g" {} +
      WORKING_DIRECTORY ${lv2_dir} VERBATIM)
  endif()
  add_dependencies(tarn_plugins ${target})
endfunction()

# Where an LV2 form of a module goes: the DAW form as <bundle>.lv2 in lv2/, the modular form as
# <bundle>CV.lv2 in lv2-cv/, so that a DAW given the one folder meets no CV port.
function(tarn__lv2_bundle bundle format name_var dir_var)
  set(name ${bundle})
  if(format STREQUAL lv2-cv)
    set(name ${bundle}CV)
  endif()
  set(${name_var} ${name} PARENT_SCOPE)
  set(${dir_var} ${TARN_PLUGIN_DIR}/${format}/${name}.lv2 PARENT_SCOPE)
endfunction()

# The LV2 bundle's window: its own library, which the host loads beside the signal side's.
function(tarn__lv2_ui_target bundle format folder ui_sources ui_libraries)
  set(target ${bundle}-${format}-ui)
  tarn__lv2_bundle(${bundle} ${format} lv2_name lv2_dir)
  add_library(${target} MODULE ${TARN_DPF_DIR}/distrho/DistrhoUIMain.cpp ${ui_sources})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${lv2_name}_ui PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${lv2_dir}
    POSITION_INDEPENDENT_CODE ON C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${target} PRIVATE DISTRHO_PLUGIN_TARGET_LV2)
  if(format STREQUAL lv2-cv)
    # The window finds the signal side's event port by its port count.
    target_compile_definitions(${target} PRIVATE TARN_PLUGIN_CV)
  endif()
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

# A check of the plug-ins: labelled, skipped (77) where it cannot run, with the bundles' folders.
function(tarn_plugin_test name)
  add_test(NAME plugins.${name} COMMAND ${ARGN})
  set_tests_properties(plugins.${name} PROPERTIES LABELS plugins SKIP_RETURN_CODE 77
    ENVIRONMENT "LV2_PATH=${TARN_PLUGIN_DIR}/lv2:${TARN_PLUGIN_DIR}/lv2-cv;TARN_PLUGIN_DIR=${TARN_PLUGIN_DIR}")
endfunction()

# What every module's plug-ins are checked for: each format, both LV2 forms, renders the module's
# render cases with the DLL's samples (the DLL renders them first, under Wine), and a CLAP and a
# VST3 host show one output and no audio input. Then the module's own checks,
# <module>/tests/plugins.cmake, which may use ${lv2_host}, ${clap_host}, ${vst3_host}, ${renders},
# ${watch_library}, ${lv2_uri}, ${lv2_cv_uri} and TARN_PLUGIN_CHECKS, and set `lv2_args` (what an
# LV2 host must set itself on the CV form, its CV inputs) first.
function(tarn_plugin_checks name m dir)
  set(checks ${TARN_PLUGIN_CHECKS})
  set(renders ${TARN_PLUGIN_RENDERS}/${m})
  set(cases ${dir}/tests/render_cases.txt)
  set(lv2_host $<TARGET_FILE:tarn-lv2-host>)
  set(clap_host $<TARGET_FILE:tarn-clap-host>)
  set(vst3_host $<TARGET_FILE:tarn-vst3-host>)
  set(watch_library $<TARGET_FILE:tarn_alloc_watch>)
  set(lv2_uri ${TARN_MODULE_URI})
  set(lv2_cv_uri ${TARN_MODULE_CV_URI})
  set(lv2_args "")
  if(EXISTS ${dir}/tests/plugins.cmake)
    include(${dir}/tests/plugins.cmake)
  endif()
  tarn_plugin_test(${m}.dll_reference ${checks}/compare_renders.sh reference ${renders} ${cases} ${name})
  set_tests_properties(plugins.${m}.dll_reference PROPERTIES LABELS "plugins;wine" FIXTURES_SETUP dll_renders_${m}
    FIXTURES_REQUIRED wine RESOURCE_LOCK plugin_renders_${m})
  # Each format again in every floating-point environment (TARN_PLUGIN_FP_ENV, tarn_module.cmake).
  string(JOIN " " every_fp_env ${TARN_PLUGIN_FP_ENV})
  foreach(form lv2 lv2-cv)
    set(command "${lv2_host} render ${lv2_uri}")
    if(form STREQUAL lv2-cv)
      set(command "${lv2_host} render ${lv2_cv_uri} ${lv2_args}")
    endif()
    tarn_plugin_test(${m}.${form}.renders ${checks}/compare_renders.sh ${form} ${renders} ${cases} ${name} "${command}")
    tarn_plugin_test(${m}.${form}.renders_in_every_fp_env ${checks}/compare_renders.sh ${form} ${renders} ${cases}
      ${name} "${command} ${every_fp_env}")
  endforeach()
  foreach(format clap vst3)
    tarn_plugin_test(${m}.${format}.renders ${checks}/compare_renders.sh ${format} ${renders} ${cases} ${name}
      "$<TARGET_FILE:tarn-${format}-host> render ${TARN_PLUGIN_DIR}/${format}/${name}.${format}")
    tarn_plugin_test(${m}.${format}.renders_in_every_fp_env ${checks}/compare_renders.sh ${format} ${renders} ${cases}
      ${name} "$<TARGET_FILE:tarn-${format}-host> render ${TARN_PLUGIN_DIR}/${format}/${name}.${format} ${every_fp_env}")
    tarn_plugin_test(${m}.${format}.one_output ${checks}/check_listing.sh
      $<TARGET_FILE:tarn-${format}-host> ${TARN_PLUGIN_DIR}/${format}/${name}.${format} ${dir}/tests/plugins/listing.txt)
  endforeach()
  foreach(test lv2.renders lv2.renders_in_every_fp_env lv2-cv.renders lv2-cv.renders_in_every_fp_env clap.renders
      clap.renders_in_every_fp_env vst3.renders vst3.renders_in_every_fp_env)
    set_tests_properties(plugins.${m}.${test} PROPERTIES FIXTURES_REQUIRED dll_renders_${m} RESOURCE_LOCK plugin_renders_${m})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY TARN_LV2_URIS ${lv2_uri} ${lv2_cv_uri})
endfunction()

# The sources of static libraries, as absolute paths.
function(tarn__sources_of out)
  set(sources "")
  foreach(library ${ARGN})
    get_target_property(base ${library} SOURCE_DIR)
    get_target_property(files ${library} SOURCES)
    foreach(file ${files})
      get_filename_component(file ${file} ABSOLUTE BASE_DIR ${base})
      list(APPEND sources ${file})
    endforeach()
  endforeach()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# A module's CLAP plug-in, and the CLAP test host, built with ThreadSanitizer for a check of the
# plug-in's threads: its glue, its signal core and DPF's CLAP code instrumented, the panel's code
# (only its presets, drawn on the shape's own thread) linked as it is, the window left out. Into
# ${CMAKE_BINARY_DIR}/tsan/, not among the products.
function(tarn_plugin_tsan_clap name m dir)
  set(target ${name}-clap-tsan)
  tarn__plugin_class(${m} ${dir} dsp folder)
  set(glue "")
  if(TARGET tarn_${m}_plugin_glue)
    set(glue tarn_${m}_plugin_glue)
  endif()
  tarn__sources_of(sources ${glue} tarn_${m}_signal tarn_format_glue)
  add_library(${target} MODULE ${CMAKE_SOURCE_DIR}/plugins/clap_dpf.cpp ${CMAKE_SOURCE_DIR}/plugins/clap_entry.cpp
    ${dsp} ${sources})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX .clap
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tsan POSITION_INDEPENDENT_CODE ON
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${target} PRIVATE DISTRHO_PLUGIN_TARGET_CLAP)
  target_include_directories(${target} PRIVATE ${folder} ${TARN_DPF_DIR}/distrho ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE -fsanitize=thread)
  target_link_options(${target} PRIVATE -fsanitize=thread
    -Wl,--version-script=${TARN_DPF_DIR}/utils/symbols/clap.version -Wl,--no-undefined)
  target_link_libraries(${target} PRIVATE dl pthread)
  # The panel's code and the drawing it links against (the plug-in's shared glue holds the panel's
  # link to its window).
  foreach(panel tarn_${m}_editor tarn_${m}_ui)
    if(TARGET ${panel})
      target_link_libraries(${target} PRIVATE ${panel})
    endif()
  endforeach()
  if(NOT TARGET tarn-clap-host-tsan)
    add_executable(tarn-clap-host-tsan ${TARN_PLUGIN_CHECKS}/clap_host.cpp)
    target_include_directories(tarn-clap-host-tsan PRIVATE ${TARN_DPF_DIR}/distrho/src)
    target_compile_options(tarn-clap-host-tsan PRIVATE -fsanitize=thread)
    target_link_options(tarn-clap-host-tsan PRIVATE -fsanitize=thread)
    target_link_libraries(tarn-clap-host-tsan PRIVATE tarn_plugin_test_host pthread)
    set_target_properties(tarn-clap-host-tsan PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tsan)
  endif()
endfunction()
