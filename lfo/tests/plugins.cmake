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
