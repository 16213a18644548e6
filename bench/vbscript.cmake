# The per-point cost of the user's expression (build kod, Reset, AddObject,
# ExecuteStatement, read Res.p) side by side with muparser setting and
# evaluating the same expression afresh. muparser is a benchmark-only
# dependency; without it only our half runs.
add_executable(vbscript_bench ${CMAKE_CURRENT_LIST_DIR}/vbscript_bench.cpp)
target_link_libraries(vbscript_bench PRIVATE mcplot_core benchmark::benchmark benchmark::benchmark_main)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(MUPARSER QUIET muparser)
endif()
if(MUPARSER_FOUND)
  target_compile_definitions(vbscript_bench PRIVATE MCPLOT_HAVE_MUPARSER=1)
  target_include_directories(vbscript_bench PRIVATE ${MUPARSER_INCLUDE_DIRS})
  target_link_libraries(vbscript_bench PRIVATE ${MUPARSER_LINK_LIBRARIES})
else()
  message(STATUS "muparser not found: vbscript_bench runs without the comparison")
endif()
