# Tests of the PLL calculation (mirel-calc as a program: tst_programs).
mirel_add_test(tst_calc SOURCES tst_calc.cpp LIBS MirelCalc Device LABELS pure)
