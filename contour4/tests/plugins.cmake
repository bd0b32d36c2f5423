# Tarn Contour4's plug-ins beyond the common checks: a DAW's notes, the shape text as saved
# state, no heap, lock or wait in a process call, Debian's lv2info, real time under JACK, and
# the notes' own rules. An LV2 host connects every port: the CV form's inputs get the module's
# defaults.
set(lv2_args "--set Pitch=5 --set Sync=0 --set Level=8")
set(here ${dir}/tests/plugins)
set(contour4_clap ${TARN_PLUGIN_DIR}/clap/${name}.clap)
set(contour4_vst3 ${TARN_PLUGIN_DIR}/vst3/${name}.vst3)

# A DAW's use: a note; the note sounds as the DLL at its pitch. The CV form with its inputs at
# 0 V; VST3 with the hidden bend parameter first set to 0 (full bend down), as Ardour does.
tarn_plugin_test(${m}.lv2.notes ${here}/check_notes.sh ${renders} ${lv2_host} render ${lv2_uri})
tarn_plugin_test(${m}.lv2-cv.notes ${here}/check_notes.sh ${renders} ${lv2_host} render ${lv2_cv_uri}
  --set Pitch=0 --set Sync=0 --set Level=0)
tarn_plugin_test(${m}.clap.notes ${here}/check_notes.sh ${renders} ${clap_host} render ${contour4_clap})
tarn_plugin_test(${m}.vst3.notes ${here}/check_notes.sh ${renders} ${vst3_host} render ${contour4_vst3}
  --note 0:bend:0)
foreach(format lv2 lv2-cv clap vst3)
  set_tests_properties(plugins.${m}.${format}.notes PROPERTIES FIXTURES_REQUIRED dll_renders_${m}
    RESOURCE_LOCK plugin_renders_${m})
endforeach()

# The Level pin's documented formula and its example, against a flat curve as CLAP plays it.
tarn_plugin_test(${m}.docs.level_formula ${TARN_PYTHON} ${here}/check_level_doc.py ${dir}/description.txt
  ${clap_host} ${contour4_clap})

tarn_plugin_test(${m}.vst3.bends ${here}/check_bends.sh ${clap_host} ${contour4_clap} ${vst3_host} ${contour4_vst3})

# The shape text saved and restored into a second instance, which then plays the same samples.
set(state_args --shape "(-5,3.5)(0,-3.5)(5,1)" --frames 4000)
tarn_plugin_test(${m}.lv2.state ${lv2_host} state ${lv2_uri} ${state_args})
tarn_plugin_test(${m}.clap.state ${clap_host} state ${contour4_clap} ${state_args})
tarn_plugin_test(${m}.vst3.state ${vst3_host} state ${contour4_vst3} ${state_args})

# No heap, lock or wait in a process call: notes, bends, a new gate, streams, a program chosen.
set(watched env LD_PRELOAD=${watch_library})
set(busy --note 100:60:100 --note 3000:60:0 --note 5000:72:90 --note 5100:bend:12000 --frames 12000 --block 256
  --watch --out /dev/null)
set(streams --input-frames Sync=${renders}/sync.f32 --input Level=${renders}/level.f32)
tarn_plugin_test(${m}.lv2.realtime ${watched} ${lv2_host} render ${lv2_uri} ${streams} ${busy})
tarn_plugin_test(${m}.lv2-cv.realtime ${watched} ${lv2_host} render ${lv2_cv_uri} --set Pitch=0 --set Level=0
  --input Sync=${renders}/sync.f32 ${busy})
tarn_plugin_test(${m}.clap.realtime ${watched} ${clap_host} render ${contour4_clap} ${streams} ${busy})
tarn_plugin_test(${m}.vst3.realtime ${watched} ${vst3_host} render ${contour4_vst3} ${streams} --note 0:bend:0
  --program 10:Triangle ${busy})
foreach(format lv2 lv2-cv clap vst3)
  set_tests_properties(plugins.${m}.${format}.realtime PROPERTIES FIXTURES_REQUIRED dll_renders_${m})
endforeach()

tarn_plugin_test(${m}.lv2info ${TARN_PLUGIN_CHECKS}/check_lv2info.sh ${lv2_uri} ${here}/lv2info.txt)
tarn_plugin_test(${m}.lv2-cv.lv2info ${TARN_PLUGIN_CHECKS}/check_lv2info.sh ${lv2_cv_uri} ${here}/lv2info-cv.txt)
tarn_plugin_test(${m}.jack ${here}/jack.sh ${TARN_PLUGIN_DIR} ${lv2_host} ${CMAKE_BINARY_DIR}/plugin-jack/${m})
set_tests_properties(plugins.${m}.jack PROPERTIES RUN_SERIAL ON TIMEOUT 180)

add_executable(${m}_held_notes_test ${here}/held_notes_test.cpp ${dir}/plugin/held_notes.cpp)
target_link_libraries(${m}_held_notes_test PRIVATE tarn_common GTest::gtest_main)
gtest_discover_tests(${m}_held_notes_test TEST_PREFIX "plugins.${m}.held_notes." PROPERTIES LABELS plugins)

# The panel as the plug-in windows run it, without a window: events in, shape text and picture
# out; its host's rules; the window in jalv.gtk3 and the JACK program, driven with xdotool,
# against the DLL's panel; and a hundred windows opened and closed in a CLAP host.
add_executable(tarn-panel-render ${here}/panel_render.cpp)
target_link_libraries(tarn-panel-render PRIVATE tarn_${m}_ui)
add_executable(${m}_panel_host_test ${here}/panel_host_test.cpp)
target_link_libraries(${m}_panel_host_test PRIVATE tarn_${m}_ui tarn_${m}_plugin_glue GTest::gtest_main)
gtest_discover_tests(${m}_panel_host_test TEST_PREFIX "plugins.${m}.panel." PROPERTIES LABELS plugins)
tarn_plugin_test(${m}.panel.hosts ${here}/check_panel_hosts.sh ${TARN_PLUGIN_DIR} ${lv2_host}
  $<TARGET_FILE:tarn-panel-render> ${CMAKE_BINARY_DIR}/plugin-panel-hosts)
set_tests_properties(plugins.${m}.panel.hosts PROPERTIES LABELS "plugins;wine" FIXTURES_REQUIRED wine
  RUN_SERIAL ON TIMEOUT 300)
if(TARGET tarn-panel-cycles)
  tarn_plugin_test(${m}.panel.open_close_cycles ${TARN_PLUGIN_CHECKS}/with_display.sh
    $<TARGET_FILE:tarn-panel-cycles> ${contour4_clap} 100)
endif()

# In Debian's DAWs: Ardour lists both formats with what they are and says nothing of them, plays a
# MIDI region through each as the DLL plays the same pitches and shape, reopens the session to the
# same samples, loads every preset in time and sounds the defaults with no note; Qtractor's scan
# lists the CLAP plug-in.
set(ardour ${TARN_PLUGIN_CHECKS}/ardour_check.py)
tarn_plugin_test(${m}.ardour.scan ${ardour} scan ${TARN_PLUGIN_DIR} ${CMAKE_BINARY_DIR}/plugin-ardour/${m}-scan
  "LV2 Tarn Contour4, Instrument Plugin, Tarn, midi in 1, audio in 0, audio out 1, instrument"
  "VST3 Tarn Contour4, Instrument|Synth, Tarn, midi in 1, audio in 0, audio out 1, instrument")
foreach(format LV2 VST3)
  string(TOLOWER ${format} lower)
  tarn_plugin_test(${m}.ardour.${lower} ${ardour} instrument ${TARN_PLUGIN_DIR} ${CMAKE_BINARY_DIR}/plugin-ardour/${m}-${lower}
    ${format} "Tarn Contour4" --preset Triangle --parameters Level=0)
  set_tests_properties(plugins.${m}.ardour.${lower} PROPERTIES LABELS "plugins;ardour;wine" FIXTURES_REQUIRED wine
    TIMEOUT 900)
endforeach()
set_tests_properties(plugins.${m}.ardour.scan PROPERTIES LABELS "plugins;ardour")
tarn_plugin_test(${m}.qtractor.scan ${TARN_PLUGIN_CHECKS}/check_qtractor_scan.sh ${TARN_PLUGIN_DIR}/clap
  "CLAP|Tarn Contour4|0:1|1:0|")

# The plug-in's threads under ThreadSanitizer: a window's thread loads states with programs and
# shapes while the audio thread plays; no race may be found.
tarn_plugin_tsan_clap(${name} ${m} ${dir})
tarn_plugin_test(${m}.clap.threads env TSAN_OPTIONS=halt_on_error=1:exitcode=66
  $<TARGET_FILE:tarn-clap-host-tsan> race $<TARGET_FILE:${name}-clap-tsan> --block 64)
