# The study's throws on one thread side by side with a plain C++ loop that
# computes the same two estimates, for a built-in formula and for the sample
# expression of "Ваша функция"; the ratios are printed at the end.
add_executable(study_bench ${CMAKE_CURRENT_LIST_DIR}/study_bench.cpp)
target_link_libraries(study_bench PRIVATE mcplot_study benchmark::benchmark)
