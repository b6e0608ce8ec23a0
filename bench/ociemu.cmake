# Reading through the OCI emulator: rows per second and round trips per prefetch size.
add_executable(ociemu_fetch_bench ${CMAKE_CURRENT_LIST_DIR}/ociemu_fetch.cpp)
target_include_directories(ociemu_fetch_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(ociemu_fetch_bench PRIVATE benchmark::benchmark ${CMAKE_DL_LIBS})
target_compile_definitions(ociemu_fetch_bench PRIVATE
    OCIEMU_LIB_DIR="${OCIEMU_LIB_DIR}" OCIEMU_BENCH_DB_TOOL="$<TARGET_FILE:ociemu_bench_db>"
    SPRANDEL_ORACLE_INTERNAL)  # calls the client through the product's OCI declarations
add_dependencies(ociemu_fetch_bench ociemu ociemu_bench_db)
