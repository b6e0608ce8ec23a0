# The whole sprandel-cli run per format on a wide table, beside libxlsxwriter writing the
# same cells: rows per second, peak memory and file size.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER IMPORTED_TARGET xlsxwriter)
if(XLSXWRITER_FOUND AND TARGET ociemu AND TARGET ociemu_bench_db AND TARGET sprandel-cli)
    add_executable(flat_memory_benchmark ${CMAKE_CURRENT_LIST_DIR}/flat_memory_benchmark.cpp)
    target_include_directories(flat_memory_benchmark PRIVATE ${PROJECT_SOURCE_DIR}/tools/ociemu/programs)
    target_link_libraries(flat_memory_benchmark PRIVATE PkgConfig::XLSXWRITER)
    target_compile_definitions(flat_memory_benchmark PRIVATE
        OCIEMU_FOLDER="$<TARGET_FILE_DIR:ociemu>" BENCH_DB_PROGRAM="$<TARGET_FILE:ociemu_bench_db>"
        SPRANDEL_CLI="$<TARGET_FILE:sprandel-cli>")
    add_dependencies(flat_memory_benchmark ociemu ociemu_bench_db sprandel-cli)
endif()
