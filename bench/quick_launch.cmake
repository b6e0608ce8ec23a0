# The whole quick launch over the OCI emulator with a simulated network: rows per second,
# round trips and peak memory for each workbook format.
if(TARGET ociemu AND TARGET ociemu_bench_db AND TARGET sprandel_cli_parts)
    add_executable(quick_launch_benchmark ${CMAKE_CURRENT_LIST_DIR}/quick_launch_benchmark.cpp)
    target_link_libraries(quick_launch_benchmark PRIVATE sprandel_cli_parts ${CMAKE_DL_LIBS})
    target_compile_definitions(quick_launch_benchmark PRIVATE
        OCIEMU_FOLDER="$<TARGET_FILE_DIR:ociemu>" BENCH_DB_PROGRAM="$<TARGET_FILE:ociemu_bench_db>")
    add_dependencies(quick_launch_benchmark ociemu ociemu_bench_db)
endif()
