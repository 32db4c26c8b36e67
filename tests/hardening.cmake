# Batch runs over bad input: each must end by itself, refused with a line or with modules that compile.
mirel_add_test(tst_watchdog SOURCES tst_watchdog.cpp hdlcompile.h LIBS Qt5::Core LABELS "process;hdl")
add_dependencies(tst_watchdog mirel-host mirel)
