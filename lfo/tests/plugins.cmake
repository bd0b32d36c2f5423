# Tarn LFO's plug-ins beyond the common checks: no heap, lock or wait in a process call (on a
# random wave), Debian's lv2info of both LV2 forms, and real time under JACK.
set(here ${dir}/tests/plugins)
set(watched env LD_PRELOAD=${watch_library})
set(busy --frames 20000 --block 64 --watch --out /dev/null)
tarn_plugin_test(${m}.lv2.realtime ${watched} ${lv2_host} render ${lv2_uri} --set Wave=Slow\ Rand --set Speed=9 ${busy})
tarn_plugin_test(${m}.lv2-cv.realtime ${watched} ${lv2_host} render ${lv2_cv_uri} --set Wave=Slow\ Rand --set Speed=9 ${busy})
foreach(format clap vst3)
  tarn_plugin_test(${m}.${format}.realtime ${watched} ${${format}_host} render ${TARN_PLUGIN_DIR}/${format}/${name}.${format}
    --set Wave=Fast\ Rand --set Speed=9 ${busy})
endforeach()

tarn_plugin_test(${m}.lv2info ${TARN_PLUGIN_CHECKS}/check_lv2info.sh ${lv2_uri} ${here}/lv2info.txt)
tarn_plugin_test(${m}.lv2-cv.lv2info ${TARN_PLUGIN_CHECKS}/check_lv2info.sh ${lv2_cv_uri} ${here}/lv2info-cv.txt)
tarn_plugin_test(${m}.jack ${here}/jack.sh ${TARN_PLUGIN_DIR} ${lv2_host} ${CMAKE_BINARY_DIR}/plugin-jack/${m})
set_tests_properties(plugins.${m}.jack PROPERTIES RUN_SERIAL ON TIMEOUT 180)

# In Debian's hosts: Ardour lists both formats and says nothing of them, and plays each on an audio
# bus as the DLL plays the same wave; lv2file plays it; Qtractor's scan lists the CLAP plug-in.
set(ardour ${TARN_PLUGIN_CHECKS}/ardour_check.py)
tarn_plugin_test(${m}.ardour.scan ${ardour} scan ${TARN_PLUGIN_DIR} ${CMAKE_BINARY_DIR}/plugin-ardour/${m}-scan
  "LV2 Tarn LFO, Oscillator Plugin, Tarn, midi in 0, audio in 0, audio out 1, effect"
  "VST3 Tarn LFO, Fx|Generator, Tarn, midi in 0, audio in 0, audio out 1, effect")
set_tests_properties(plugins.${m}.ardour.scan PROPERTIES LABELS "plugins;ardour")
foreach(format LV2 VST3)
  string(TOLOWER ${format} lower)
  tarn_plugin_test(${m}.ardour.${lower} ${ardour} generator ${TARN_PLUGIN_DIR} ${CMAKE_BINARY_DIR}/plugin-ardour/${m}-${lower}
    ${format} "Tarn LFO" --parameters "Wave=1\;Speed=5" --dll-sets "Wave=Saw\;Speed=5")
  set_tests_properties(plugins.${m}.ardour.${lower} PROPERTIES LABELS "plugins;ardour;wine" FIXTURES_REQUIRED wine
    TIMEOUT 900)
endforeach()
tarn_plugin_test(${m}.lv2file ${here}/check_lv2file.sh ${lv2_host})
tarn_plugin_test(${m}.qtractor.scan ${TARN_PLUGIN_CHECKS}/check_qtractor_scan.sh ${TARN_PLUGIN_DIR}/clap
  "CLAP|Tarn LFO|0:1|0:0|")
