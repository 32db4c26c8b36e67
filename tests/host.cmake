# The host stand-in's CoreGen library: dialog frame, batch option functions, file writer.
mirel_add_test(tst_coregen SOURCES tst_coregen.cpp dialogdriver.h modalwatcher.h LIBS CoreGen LABELS dialog)
