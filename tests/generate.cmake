# The generator argument list, the host's module generator, and the OK and batch flows.
mirel_add_test(tst_modgen SOURCES tst_modgen.cpp LIBS MirelGenerate MirelCalc ModGen LABELS hdl)
mirel_add_test(tst_generation SOURCES tst_generation.cpp dialogdriver.h modalwatcher.h LIBS MirelDialog ModGen LABELS dialog)
# Calculate's results are checked against mirel-calc's.
add_dependencies(tst_generation mirel-calc)
