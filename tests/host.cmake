# Tests of the host stand-in's dialog frame.
mirel_add_test(tst_modulegendialog SOURCES tst_modulegendialog.cpp LIBS CoreGen LABELS dialog)
