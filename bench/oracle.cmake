# Reading a wide table through the OCI emulator with a simulated network delay: rows per
# second and round trips per table.
if(TARGET ociemu)
    find_package(SQLite3 REQUIRED)
    add_executable(oracle_read_benchmark ${CMAKE_CURRENT_LIST_DIR}/oracle_read_benchmark.cpp)
    target_link_libraries(oracle_read_benchmark PRIVATE sprandel_oracle SQLite::SQLite3 ${CMAKE_DL_LIBS})
    target_compile_definitions(oracle_read_benchmark PRIVATE OCIEMU_LIBRARY="$<TARGET_FILE:ociemu>"
        SPRANDEL_ORACLE_INTERNAL)  # reads through the oracle folder's own classes
    add_dependencies(oracle_read_benchmark ociemu)
endif()
