# The launcher run end to end: real 1 s start timers and 10 s watchdog ticks. Labelled so the
# fast set runs alone with `ctest -LE slow`.
set(ORVEX_EXTRA_PROPERTIES LABELS slow)
