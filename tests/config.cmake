# The configuration keys, the .ipc file and the batch options.
mirel_add_test(tst_config SOURCES tst_config.cpp modalwatcher.h LIBS MirelDialog MirelConfig LABELS dialog)
