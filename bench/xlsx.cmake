# The .xlsx writer against libxlsxwriter in constant-memory mode, on the same rows.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER IMPORTED_TARGET xlsxwriter)
if(XLSXWRITER_FOUND)
    add_executable(xlsx_write_benchmark ${CMAKE_CURRENT_LIST_DIR}/xlsx_write_benchmark.cpp)
    target_link_libraries(xlsx_write_benchmark PRIVATE sprandel_excel PkgConfig::XLSXWRITER)
else()
    message(STATUS "libxlsxwriter not found: xlsx_write_benchmark is not built")
endif()
