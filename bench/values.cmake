# The per-cell path of the value and record model: building rows and re-typing them.
add_executable(values_record_bench ${CMAKE_CURRENT_LIST_DIR}/values_record_bench.cpp)
target_link_libraries(values_record_bench PRIVATE sprandel_records benchmark::benchmark)
