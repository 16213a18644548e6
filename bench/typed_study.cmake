# The study of the sample expression of "Ваша функция" through the interpreter
# against the same study with the expression compiled, and a default study.
add_executable(typed_study_bench ${CMAKE_CURRENT_LIST_DIR}/typed_study_bench.cpp)
target_link_libraries(typed_study_bench PRIVATE mcplot_study benchmark::benchmark)
