# The host stand-in's CoreGen library: dialog frame (with the core's page in it), batch option functions, file writer.
mirel_add_test(tst_coregen SOURCES tst_coregen.cpp dialogdriver.h modalwatcher.h LIBS CoreGen MirelDialog LABELS dialog)
