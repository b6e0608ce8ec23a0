// The per-cell path: a row of ten mixed fields is built (or refilled) and re-typed to the
// destination's columns with convert_record. Counts heap allocations per row, so a change
// that allocates per cell shows up as a number, not only as time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "records/udb_recordset.h"
#include "values/decimal.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counting replacements of the global allocation functions. GCC cannot see that this new
// and this delete are a malloc/free pair and warns; they are.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

class sink : public udb_recordset {
public:
    explicit sink(bool dates_to_text) : udb_recordset("SHEET", true) {
        schema().add(t_ftd(10, "ID", VT_I4));
        schema().add(t_ftd(10, "CODE", VT_BSTR));
        schema().add(t_ftd(60, "NAME", VT_BSTR));
        schema().add(t_ftd(22, "AMOUNT", VT_DECIMAL, false, false, {}, ftd_decimal_reserved(12, 2)));
        schema().add(t_ftd(8, "PRICE", VT_R8));
        schema().add(t_ftd(8, "QUANTITY", VT_I8));
        schema().add(t_ftd(8, "CREATED", dates_to_text ? VT_BSTR : VT_DATE));
        schema().add(t_ftd(1, "ACTIVE", VT_BOOL));
        schema().add(t_ftd(4, "RATE", VT_R4));
        schema().add(t_ftd(10, "NOTE", VT_BSTR));
    }
    void append_record(udb_record& record) override { convert_record(record); }
};

struct row_values {
    ole_decimal amount;
    ole_systemtime created;
    std::string long_name = "Schmidt-Oberhausen Maschinenbau und Vertrieb GmbH";
    row_values() {
        decimal_from_string("12345.67", amount);
        created.year = 2005, created.month = 12, created.day = 31, created.hour = 10, created.minute = 20;
    }
};

void fill(udb_record& record, const row_values& values, int row) {
    record[0] = ole_variant(row);
    record[1] = ole_variant("A-1234");
    record[2] = ole_variant(values.long_name);
    record[3] = ole_variant(values.amount);
    record[4] = ole_variant(row * 0.25);
    record[5] = ole_variant(std::int64_t{row} * 1'000'000'007);
    record[6] = ole_variant(values.created);
    record[7] = ole_variant((row & 1) != 0);
    record[8] = ole_variant(1.5f);
    record[9] = ole_variant();
}

udb_record make_record(const row_values& values) {
    udb_record record;
    record.reserve(10);
    for (const char* name : {"ID", "CODE", "NAME", "AMOUNT", "PRICE", "QUANTITY", "CREATED", "ACTIVE", "RATE", "NOTE"}) {
        record.add_field(name, 10, ole_variant());
    }
    fill(record, values, 1);
    return record;
}

// A new record per row: the record's block, the field names and the long text.
void build_record_per_row(benchmark::State& state) {
    const row_values values;
    sink destination(false);
    const long before = allocations.load();
    int row = 0;
    for (auto _ : state) {
        udb_record record = make_record(values);
        fill(record, values, ++row);
        destination.append_record(record);
        benchmark::DoNotOptimize(record);
    }
    state.counters["allocations/row"] =
        benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(build_record_per_row);

// One record refilled row after row: only the values' own payload may allocate (here the
// long text; dates turned into text add theirs).
void refill_and_convert(benchmark::State& state) {
    const row_values values;
    sink destination(state.range(0) != 0);
    udb_record record = make_record(values);
    const long before = allocations.load();
    int row = 0;
    for (auto _ : state) {
        fill(record, values, ++row);
        destination.append_record(record);
        benchmark::DoNotOptimize(record);
    }
    state.counters["allocations/row"] =
        benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(refill_and_convert)->Arg(0)->Arg(1)->ArgName("dates_to_text");

// The text form of every cell, as the text-only writers take it.
void text_of_each_cell(benchmark::State& state) {
    const row_values values;
    udb_record record = make_record(values);
    for (auto _ : state) {
        for (const udb_field& field : record) benchmark::DoNotOptimize(field.to_string());
    }
}
BENCHMARK(text_of_each_cell);

// Numbers as the Oracle source reads them: UTF-16 text into the column's tag.
void number_from_text(benchmark::State& state) {
    const auto target = static_cast<vartype>(state.range(0));
    ole_variant value;
    const long before = allocations.load();
    for (auto _ : state) {
        value.from_wstring(u"-1234567.891", target);
        benchmark::DoNotOptimize(value);
    }
    state.counters["allocations/cell"] =
        benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(number_from_text)->Arg(VT_I4)->Arg(VT_R8)->Arg(VT_DECIMAL)->Arg(VT_CY)->ArgName("vartype");

}  // namespace

BENCHMARK_MAIN();
