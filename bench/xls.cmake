# The .xls driver: 65,535 rows x 20 mixed cells in the Excel 2000 format, written and patched.
add_executable(xls_write_benchmark ${CMAKE_CURRENT_LIST_DIR}/xls_write_benchmark.cpp)
target_link_libraries(xls_write_benchmark PRIVATE sprandel_excel)
