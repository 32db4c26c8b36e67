# The generator argument list, the host's module generator, and the OK and batch flows.
mirel_add_test(tst_modgen SOURCES tst_modgen.cpp LIBS MirelGenerate MirelCalc ModGen LABELS hdl)
# The MIREL core object is compiled in by path: the plug-in is a module library, which
# cannot be linked, and the test drives the core's requests without loading it.
mirel_add_test(tst_generation SOURCES tst_generation.cpp dialogdriver.h modalwatcher.h ${CMAKE_SOURCE_DIR}/plugin/mirel.cpp
    ${CMAKE_SOURCE_DIR}/plugin/batchoptions.cpp LIBS MirelDialog ModGen VELKTE LABELS dialog)
target_include_directories(tst_generation PRIVATE ${CMAKE_SOURCE_DIR}/plugin)
