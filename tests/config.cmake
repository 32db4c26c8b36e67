# Tests of the configuration keys, the .ipc file and the batch options, and of the
# host functions they use.
mirel_add_test(tst_config SOURCES tst_config.cpp modalwatcher.h LIBS MirelDialog MirelConfig LABELS dialog)
mirel_add_test(tst_cfgsmap SOURCES tst_cfgsmap.cpp LIBS CoreGen LABELS dialog)
