# Tests of the host stand-in's dialog frame.
add_executable(tst_modulegendialog tst_modulegendialog.cpp)
target_link_libraries(tst_modulegendialog PRIVATE Qt5::Test CoreGen)
add_test(NAME tst_modulegendialog COMMAND tst_modulegendialog)
set_tests_properties(tst_modulegendialog PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
