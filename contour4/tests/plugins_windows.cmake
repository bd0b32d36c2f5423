# Tarn Contour4's Windows plug-ins beyond the common checks: a DAW's notes (in VST3 with the hidden
# bend parameter first set to 0, as Ardour does), bends in VST3 as in CLAP, the shape text as saved
# state, and the window: the panel's pixels and texts against the reference host's after the
# same events, and a hundred windows opened and closed leaving the process's GDI and USER
# objects as they were.
set(here ${dir}/tests/plugins)
string(JOIN " " run ${TARN_WINDOWS_RUN})
foreach(format ${TARN_WINDOWS_PLUGIN_FORMATS})
  set(plugin ${TARN_PLUGIN_WINDOWS_DIR}/${format}/${name}.${format})
  set(test plugins.${m}.${format})
  set(first_bend "")
  if(format STREQUAL vst3)
    set(first_bend --note 0:bend:0)
  endif()
  tarn_add_test(${test}.notes LABELS "wine;plugins;${m}" COMMAND ${here}/check_notes.sh ${renders}
    ${TARN_WINDOWS_RUN} $<TARGET_FILE:tarn-${format}-host> render ${plugin} ${first_bend}
    PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK plugin_renders_${m})
  tarn_needs_dll_renders(${test}.notes ${m})
  tarn_add_test(${test}.state LABELS "wine;plugins;${m}" COMMAND tarn-${format}-host state ${plugin}
    --shape "(-5,3.5)(0,-3.5)(5,1)" --frames 4000 PROPERTIES FIXTURES_REQUIRED wine)
  tarn_add_test(${test}.window LABELS "wine;plugins;${m}" COMMAND ${here}/windows_window.sh
    "${run}" $<TARGET_FILE:tarn-host> $<TARGET_FILE:${name}> $<TARGET_FILE:tarn-${format}-host> ${plugin}
    ${CMAKE_BINARY_DIR}/plugin-windows/${m}-${format} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
  tarn_add_test(${test}.window_cycles LABELS "wine;plugins;${m}" COMMAND tarn-${format}-host window ${plugin}
    --cycles 100 PROPERTIES FIXTURES_REQUIRED wine)
endforeach()
tarn_add_test(plugins.${m}.vst3.bends LABELS "wine;plugins;${m}" COMMAND ${here}/check_bends.sh
  "${run} $<TARGET_FILE:tarn-clap-host>" ${TARN_PLUGIN_WINDOWS_DIR}/clap/${name}.clap
  "${run} $<TARGET_FILE:tarn-vst3-host>" ${TARN_PLUGIN_WINDOWS_DIR}/vst3/${name}.vst3 PROPERTIES FIXTURES_REQUIRED wine)
