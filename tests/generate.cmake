# The generator argument list, the host's module generator, and the OK and batch flows.
mirel_add_test(tst_modgen SOURCES tst_modgen.cpp LIBS MirelGenerate MirelCalc ModGen)
mirel_add_test(tst_generation SOURCES tst_generation.cpp modalwatcher.h ${CMAKE_SOURCE_DIR}/plugin/mirel.cpp ${CMAKE_SOURCE_DIR}/plugin/batchoptions.cpp
    LIBS MirelDialog ModGen VELKTE)
target_include_directories(tst_generation PRIVATE ${CMAKE_SOURCE_DIR}/plugin)
