# Tests of the PLL calculation and of the mirel-calc tool.
mirel_add_test(tst_calc SOURCES tst_calc.cpp LIBS MirelCalcText Device LABELS pure)

mirel_add_test(tst_mirelcalc SOURCES tst_mirelcalc.cpp LIBS Qt5::Core LABELS process)
target_compile_definitions(tst_mirelcalc PRIVATE MIREL_CALC_PATH="$<TARGET_FILE:mirel-calc>")
add_dependencies(tst_mirelcalc mirel-calc)
